#!/usr/bin/env bash
# Opening and saving a catalogue as a person waits for it: whole processes, warm cache, median of RUNS,
# each beside reading the same file through a pipe (cat FILE | wc -c) and copying it (cp), in one run.
# Builds catalogues of each size with bench_generate, then prints for each command its time, its peak
# memory (/usr/bin/time) and the ratios the goals are stated in. With --old, the same commands of another
# build (e.g. the commit before a change) are measured in the same rounds, side by side.
# The commands take turns within each round, after one round that warms the cache and is not counted;
# every time is the median of the rounds, with the fastest and the slowest beside it. tamberol-cli on an
# empty catalogue, the process floor (its start and its libraries), is printed beside the discs figures,
# with the time per entry and the memory above it.
#
#   bench/open_save.sh [--build DIR] [--old DIR] [--sizes "100000 1000000 10000000"] [--runs 7]
#                      [--dir /tmp] [--keep] [--dates]
#
# Goals: discs <= 3x cat|wc, peak memory <= 1.1x the file; rename (open, relabel one disc, save) <= 3x
# (cat|wc + cp); the window on the catalogue, until the tree is painted, <= the window on no catalogue plus
# the open (discs); the same time per entry at every size. With --dates the catalogues carry a time for
# every entry and a record for every disc (the block after the entries), and the goals are those of a
# catalogue this program writes: discs <= 1.5x cat|wc with peak memory <= 0.8x the file, rename <= 2x
# (cat|wc + cp). Not part of the tests: minutes per run.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
old=""
sizes="100000 1000000 10000000"
runs=7
dir=/tmp
keep=0
dates=""
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift 2 ;;
    --old) old=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --dir) dir=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    --dates) dates=--dates; shift ;;
    *) echo "usage: $0 [--build DIR] [--old DIR] [--sizes \"N ...\"] [--runs N] [--dir DIR] [--keep] [--dates]" >&2
       exit 2 ;;
  esac
done
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (apt-get install time)" >&2; exit 1; }
generate=$build/bench/generate/bench_generate
for tool in "$generate" "$build/cli/tamberol-cli"; do
  [ -x "$tool" ] || { echo "missing $tool: configure $build with -DTAMBEROL_BENCH=ON and build it" >&2; exit 1; }
done

work=$(mktemp -d "$dir/tamberol-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/drive"
printf '\0\0' >"$work/empty.cdi"
export QT_QPA_PLATFORM=offscreen TAMBEROL_DRIVES="E=$work/drive" XDG_CONFIG_HOME=$work/config

# Which builds to measure: "new" always, "old" with --old.
builds=(new)
declare -A cli=([new]=$build/cli/tamberol-cli) window=([new]=$build/bench/window/bench_window_start)
if [ -n "$old" ]; then
  builds+=(old)
  cli[old]=$old/cli/tamberol-cli
  window[old]=$old/bench/window/bench_window_start
  [ -x "${cli[old]}" ] || { echo "missing ${cli[old]}" >&2; exit 1; }
fi

declare -A ms rss
# run KEY COMMAND...: one timed run; its wall time (ms) and peak memory (KiB) are added to KEY's lists.
# Each starts once the disk has written what the runs before it left (cp and rename write a whole
# catalogue): otherwise whatever comes next waits for that writing, in its own flushes or in throttled
# writes, and is timed for the command before it.
run() {
  local key=$1 start end
  shift
  sync
  start=$EPOCHREALTIME
  /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>"$work/err" || {
    echo "failed: $*" >&2
    cat "$work/err" >&2
    exit 1
  }
  end=$EPOCHREALTIME
  ms[$key]+="$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.1f", (e - s) * 1000 }') "
  rss[$key]+="$(tail -n 1 "$work/rss") "
}
median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
M() { echo "${ms[$1]}" | median; }
R() { echo "${rss[$1]}" | median; }
# The fastest and the slowest of KEY's times: "(min..max)".
spread() { echo "${ms[$1]}" | tr ' ' '\n' | grep . | sort -g | awk 'NR == 1 { a = $1 } { b = $1 } END { printf "(%s..%s)", a, b }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# In how many rounds the window on the catalogue (list $1) took at most the empty start ($2) plus the open
# ($3) of the same round: medians of noisy runs can miss by chance, rounds that keep missing do not.
rounds_held() {
  awk -v w="$1" -v e="$2" -v d="$3" 'BEGIN {
    n = split(w, W, " "); split(e, E, " "); split(d, D, " ")
    for (i = 1; i <= n; i++) held += W[i] <= E[i] + D[i]
    printf "%d of %d rounds", held, n }'
}

labels=("Backup 00000 Documents" "Renamed for the benchmark")
goal_open=3 goal_peak=1.1 goal_save=3
[ -n "$dates" ] && goal_open=1.5 goal_peak=0.8 goal_save=2
for n in $sizes; do
  file=$dir/tamberol-bench-$n${dates:+-dated}.cdi
  if [ ! -s "$file" ]; then "$generate" "$n" "$file" $dates >/dev/null; fi
  bytes=$(stat -c %s "$file")
  cp "$file" "$work/edit.cdi"
  cp "$file" "$work/copy.cdi"
  cat "$file" "$work/edit.cdi" >/dev/null
  ms=()
  rss=()
  state=0
  for ((r = -1; r < runs; r++)); do
    # Round -1 warms the cache up and is not counted.
    [ "$r" = 0 ] && ms=() && rss=()
    run cat sh -c 'cat "$0" | wc -c' "$file"
    # Over the copy of the last round, as a save replaces the catalogue it overwrites.
    run cp cp "$file" "$work/copy.cdi"
    for b in "${builds[@]}"; do
      run "$b.floor" "${cli[$b]}" discs "$work/empty.cdi"
      run "$b.discs" "${cli[$b]}" discs "$file"
      run "$b.rename" "${cli[$b]}" rename "$work/edit.cdi" "${labels[$state]}" "${labels[$((1 - state))]}"
      state=$((1 - state))
      if [ -x "${window[$b]}" ]; then
        run "$b.empty" "${window[$b]}"
        run "$b.window" "${window[$b]}" "$file"
      fi
    done
  done
  [ "$keep" = 1 ] || [ "$n" -lt 10000000 ] || rm -f "$file"

  cat_ms=$(M cat) cp_ms=$(M cp)
  printf '\n== %s entries, %.1f MiB; median (fastest..slowest) of %d rounds after a warm-up round\n' "$n" \
    "$(awk -v b="$bytes" 'BEGIN { print b / 1048576 }')" "$runs"
  printf 'reference: cat FILE | wc -c %s ms %s, cp FILE %s ms %s\n' "$cat_ms" "$(spread cat)" "$cp_ms" "$(spread cp)"
  for b in "${builds[@]}"; do
    d=$(M "$b.discs") dr=$(R "$b.discs") rn=$(M "$b.rename") rr=$(R "$b.rename") fl=$(R "$b.floor")
    printf '%s discs:  %8s ms %-17s = %5sx cat|wc (goal %s), %4s ns/entry; peak %6.1f MiB = %sx file (goal %s)\n' \
      "$b" "$d" "$(spread "$b.discs")" "$(ratio "$d" "$cat_ms")" "$goal_open" \
      "$(awk -v t="$d" -v n="$n" 'BEGIN { printf "%.0f", t * 1e6 / n }')" \
      "$(awk -v k="$dr" 'BEGIN { print k / 1024 }')" "$(ratio "$((dr * 1024))" "$bytes")" "$goal_peak"
    printf '%s         process floor (discs on an empty catalogue): %s ms, %.1f MiB; above it %4s ns/entry, %.1f MiB = %sx file\n' \
      "$b" "$(M "$b.floor")" "$(awk -v k="$fl" 'BEGIN { print k / 1024 }')" \
      "$(awk -v t="$d" -v f="$(M "$b.floor")" -v n="$n" 'BEGIN { printf "%.0f", (t - f) * 1e6 / n }')" \
      "$(awk -v k="$((dr - fl))" 'BEGIN { print k / 1024 }')" "$(ratio "$(((dr - fl) * 1024))" "$bytes")"
    printf '%s rename: %8s ms %-17s = %5sx (cat|wc + cp) (goal %s), %4s ns/entry; peak %6.1f MiB = %sx file\n' \
      "$b" "$rn" "$(spread "$b.rename")" \
      "$(ratio "$rn" "$(awk -v a="$cat_ms" -v c="$cp_ms" 'BEGIN { print a + c }')")" "$goal_save" \
      "$(awk -v t="$rn" -v n="$n" 'BEGIN { printf "%.0f", t * 1e6 / n }')" \
      "$(awk -v k="$rr" 'BEGIN { print k / 1024 }')" "$(ratio "$((rr * 1024))" "$bytes")"
    if [ -n "${ms[$b.window]:-}" ]; then
      w=$(M "$b.window") e=$(M "$b.empty")
      printf '%s window: %8s ms %-17s until the tree is painted; empty catalogue %s ms %s + discs %s ms = %s ms (goal: at most that; held in %s)\n' \
        "$b" "$w" "$(spread "$b.window")" "$e" "$(spread "$b.empty")" "$d" \
        "$(awk -v e="$e" -v d="$d" 'BEGIN { printf "%.1f", e + d }')" \
        "$(rounds_held "${ms[$b.window]}" "${ms[$b.empty]}" "${ms[$b.discs]}")"
    fi
  done
done
