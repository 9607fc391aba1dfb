#!/usr/bin/env bash
# Reading files for their checksums against the least it can cost: `cat` of the same bytes to /dev/null, as
# whole processes in the same round, warm cache, median of RUNS. Four cases: `scan --checksums` and `verify`
# of a folder beside `cat` of its files, and of an ISO image of it (bsdtar) beside `cat` of the image.
# Prints each time and the ratio cat/tamberol (1.00: as fast as cat; goal 0.90 or more).
#
#   bench/checksums.sh [--build DIR] [--megabytes 1024] [--runs 5] [--dir /tmp]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
megabytes=1024
runs=5
dir=/tmp
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift 2 ;;
    --megabytes) megabytes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--megabytes N] [--runs N] [--dir DIR]" >&2; exit 2 ;;
  esac
done
cli=$build/cli/tamberol-cli
work=$(mktemp -d "$dir/bench-sums.XXXXXX")
trap 'rm -rf "$work"' EXIT
# Files from 1 KiB to 16 MiB, most of the bytes in the large ones, as on a disc of photos and videos.
mkdir -p "$work/disc/a" "$work/disc/b"
left=$((megabytes * 1024))
i=0
while [ $left -gt 0 ]; do
  for kib in 16384 4096 1024 64 1; do
    [ $left -le 0 ] && break
    head -c $((kib * 1024)) /dev/urandom > "$work/disc/$([ $((i % 2)) = 0 ] && echo a || echo b)/f$i"
    left=$((left - kib)); i=$((i + 1))
  done
done
bsdtar -C "$work/disc" --format iso9660 -cf "$work/disc.iso" .
# Written out before timing: a save syncs its catalogue, and would otherwise wait for these bytes too.
sync
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
seconds() { local s e; s=$(date +%s.%N); "$@" > /dev/null; e=$(date +%s.%N); echo "$e - $s" | bc; }
catfolder() { find "$work/disc" -type f -exec cat {} + > /dev/null; }
catimage() { cat "$work/disc.iso" > /dev/null; }
scanfolder() { rm -f "$work/f.cdi"; "$cli" scan "$work/f.cdi" --label F --checksums "$work/disc"; }
scanimage() { rm -f "$work/i.cdi"; "$cli" scan "$work/i.cdi" --label I --checksums "$work/disc.iso"; }
verifyfolder() { "$cli" verify "$work/f.cdi" F || true; }
verifyimage() { "$cli" verify "$work/i.cdi" I || true; }
catfolder; catimage; scanfolder > /dev/null; scanimage > /dev/null  # warm the cache, make the catalogues
for what in folder image; do
  for step in scan verify; do
    ref=(); own=()
    for ((r = 0; r < runs; r++)); do
      ref+=("$(seconds cat$what)")
      own+=("$(seconds $step$what)")
    done
    c=$(printf '%s\n' "${ref[@]}" | median); t=$(printf '%s\n' "${own[@]}" | median)
    printf '%-6s %-7s cat %6.3f s  tamberol %6.3f s  ratio %.2f\n' "$what" "$step" "$c" "$t" "$(echo "$c / $t" | bc -l)"
  done
done
