#!/usr/bin/env bash
# The totals and the duplicates as a person waits for them: whole processes, warm cache, median of RUNS,
# each beside `tamberol-cli discs` on the same catalogue in the same round, since that is the open alone.
# Two catalogues of each size: the plain one of bench_generate (few copies) and one made with --copies
# (every third disc a backup of the one before: two thirds of all files have a copy, the worst case for
# grouping and for output). Prints for each command its wall time, its processor time (user + system, which
# a busy machine does not inflate), its peak memory (/usr/bin/time), the time beyond the open and the ratio
# to it.
#
#   bench/dupes.sh [--build DIR] [--sizes "1000000"] [--runs 7] [--dir /tmp] [--keep]
#
# Goals: `dupes` and `discs --sizes` well under a second beyond the open at 1,000,000 entries. Not part of
# the tests: a minute or so per size.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
sizes="1000000"
runs=7
dir=/tmp
keep=0
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    *) echo "usage: $0 [--build DIR] [--sizes \"N ...\"] [--runs N] [--dir DIR] [--keep]" >&2
       exit 2 ;;
  esac
done
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (apt-get install time)" >&2; exit 1; }
generate=$build/bench/generate/bench_generate
cli=$build/cli/tamberol-cli
for tool in "$generate" "$cli"; do
  [ -x "$tool" ] || { echo "missing $tool: configure $build with -DTAMBEROL_BENCH=ON and build it" >&2; exit 1; }
done
work=$(mktemp -d "$dir/tamberol-dupes.XXXXXX")
trap 'rm -rf "$work"' EXIT

declare -A ms cpu rss
# run KEY COMMAND...: one timed run; its wall and processor time (ms) and peak memory (KiB) are added to
# KEY's lists.
run() {
  local key=$1 start end
  shift
  start=$EPOCHREALTIME
  /usr/bin/time -f '%U %S %M' -o "$work/rss" "$@" >/dev/null 2>"$work/err" || {
    echo "failed: $*" >&2
    cat "$work/err" >&2
    exit 1
  }
  end=$EPOCHREALTIME
  ms[$key]+="$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", (e - s) * 1000 }') "
  cpu[$key]+="$(tail -n 1 "$work/rss" | awk '{ printf "%.0f", ($1 + $2) * 1000 }') "
  rss[$key]+="$(tail -n 1 "$work/rss" | awk '{ print $3 }') "
}
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
M() { echo "${ms[$1]}" | median; }
C() { echo "${cpu[$1]}" | median; }
R() { echo "${rss[$1]}" | median; }

commands=("discs" "discs --sizes" "dupes" "dupes --json" "dupes --min-size 1000000")
for n in $sizes; do
  for kind in plain copies; do
    file=$dir/tamberol-dupes-$kind-$n.cdi
    flag=()
    [ "$kind" = copies ] && flag=(--copies)
    if [ ! -s "$file" ]; then "$generate" "$n" "$file" "${flag[@]}" >/dev/null; fi
    cat "$file" >/dev/null
    ms=()
    cpu=()
    rss=()
    for ((r = 0; r < runs; r++)); do
      for c in "${commands[@]}"; do
        read -ra words <<<"$c"
        run "$c" "$cli" "${words[0]}" "$file" "${words[@]:1}"
      done
    done
    copies=$("$cli" dupes "$file" --csv | tail -n +2 | wc -l)
    groups=$("$cli" dupes "$file" --csv | tail -n +2 | cut -d, -f1 | uniq | wc -l)
    [ "$keep" = 1 ] || rm -f "$file"

    open=$(M discs) openCpu=$(C discs)
    printf '\n== %s entries, %s; median of %d runs; %s groups of %s copies\n' "$n" "$kind" "$runs" "$groups" "$copies"
    for c in "${commands[@]}"; do
      t=$(M "$c") u=$(C "$c") k=$(R "$c")
      printf '%-26s %7s ms = %5sx discs, %7s ms beyond the open; cpu %5s ms, %5s ms beyond; peak %6.1f MiB\n' \
        "$c" "$t" "$(awk -v a="$t" -v b="$open" 'BEGIN { printf "%.2f", a / b }')" \
        "$(awk -v a="$t" -v b="$open" 'BEGIN { printf "%.1f", a - b }')" "$u" "$((u - openCpu))" \
        "$(awk -v k="$k" 'BEGIN { print k / 1024 }')"
    done
  done
done
