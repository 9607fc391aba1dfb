#!/usr/bin/env bash
# Cataloguing discs as they arrive, as a person waits for them: whole processes, warm cache, median of RUNS.
#  - arrival: `tamberol-cli watch --count 1` over a mapped drive, timed from the moment an image is renamed
#    into the drive's path to the moment the disc's line is printed (read, added and saved), beside
#    `tamberol-cli scan` of the same image into a fresh catalogue (the same reading and saving, without the
#    waiting). The difference is what the watch adds: its goal is under 100 ms.
#  - device: with root and a free loop device, `scan` of the image read straight from its block device beside
#    `bsdtar -tvf` of the same device (goal 1.2 or less), as a disc nobody mounted is read.
#
#   bench/watch.sh [--build DIR] [--files 20000] [--runs 7] [--dir /tmp]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
files=20000
runs=7
dir=/tmp
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift 2 ;;
    --files) files=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--files N] [--runs N] [--dir DIR]" >&2; exit 2 ;;
  esac
done
cli=$build/cli/tamberol-cli
work=$(mktemp -d "$dir/bench-watch.XXXXXX")
loop=""
cleanup() {
  [ -n "$loop" ] && losetup -d "$loop" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/disc"
for ((i = 0; i < files; i++)); do
  [ $((i % 100)) = 0 ] && mkdir -p "$work/disc/d$((i / 100))"
  printf '%d' "$i" > "$work/disc/d$((i / 100))/f$i.txt"
done
bsdtar -C "$work/disc" --format iso9660 --options iso9660:volume-id=BENCH -cf "$work/disc.iso" .
touch -d '1 minute ago' "$work/disc.iso"
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
now() { date +%s%N; }
seconds() { local s e; s=$(now); "$@" > /dev/null; e=$(now); echo $(((e - s) / 1000000)); }

# One arrival: the watch is started and has looked at the empty drive before the image is put in place.
arrival() {
  rm -f "$work/w.cdi" "$work/drive.iso" "$work/line"
  cp "$work/disc.iso" "$work/next.iso"
  touch -d '1 minute ago' "$work/next.iso"
  # The line is waited for on a pipe, not looked for in a loop that would take a processor from the watch.
  mkfifo "$work/line"
  exec 3<> "$work/line"
  TAMBEROL_DRIVES="E=$work/drive.iso" "$cli" watch "$work/w.cdi" --count 1 > "$work/line" &
  local pid=$!
  until [ -s "$work/w.cdi" ]; do sleep 0.01; done
  sleep 0.2
  local start end
  start=$(now)
  mv "$work/next.iso" "$work/drive.iso"
  read -r -u 3 _
  end=$(now)
  wait "$pid"
  exec 3<&-
  echo $(((end - start) / 1000000))
}
scanimage() { rm -f "$work/s.cdi"; "$cli" scan "$work/s.cdi" --label BENCH "$work/disc.iso"; }
scanonce() { seconds scanimage; }
arrival > /dev/null; scanonce > /dev/null  # warm the cache
watched=(); scanned=()
for ((r = 0; r < runs; r++)); do
  watched+=("$(arrival)")
  scanned+=("$(scanonce)")
done
w=$(printf '%s\n' "${watched[@]}" | median); s=$(printf '%s\n' "${scanned[@]}" | median)
printf 'arrival  %d files: watch %d ms from arrival to its line, scan %d ms, the watch adds %d ms (goal < 100)\n' \
  "$files" "$w" "$s" $((w - s))

if [ "$(id -u)" = 0 ] && loop=$(losetup -f --show -r "$work/disc.iso" 2>/dev/null); then
  devscan() { rm -f "$work/d.cdi"; "$cli" scan "$work/d.cdi" --label D "$loop" > /dev/null; }
  devtar() { bsdtar -tvf "$loop" > /dev/null; }
  devscan; devtar
  own=(); ref=()
  for ((r = 0; r < runs; r++)); do
    own+=("$(seconds devscan)")
    ref+=("$(seconds devtar)")
  done
  o=$(printf '%s\n' "${own[@]}" | median); t=$(printf '%s\n' "${ref[@]}" | median)
  printf 'device   scan %d ms, bsdtar -tvf %d ms, ratio %s (goal 1.2 or less)\n' "$o" "$t" \
    "$(echo "scale=2; $o / $t" | bc)"
else
  echo "device   skipped: reading a loop device needs root and a free loop device"
fi
