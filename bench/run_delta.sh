#!/usr/bin/env bash
# bench/run_delta.sh BUILD_DIR WORK_DIR: file deltas of similar pairs of
# 1 MB and 16 MB, CpioGen / CpioApply beside xdelta3 -e -9 / xdelta3 -d:
# seconds to make and to apply the delta, and its size.
set -euo pipefail
build=$1
work=$2
mkdir -p "$work"

if ! command -v xdelta3 >/dev/null; then
  echo "delta: xdelta3 is not installed; run scripts/setup" >&2
  exit 1
fi

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }

printf "%-8s %-12s %10s %14s %10s\n" "pair" "tool" "make s" "delta bytes" "apply s"
for size in 1048576 16777216; do
  label="$((size / 1048576)) MB"
  old=$work/old-$size new=$work/new-$size
  "$build/bin/bench_delta" make "$size" 7 "$old" "$new"

  read -r gen_s delta_bytes apply_s < <("$build/bin/bench_delta" run "$build/lib/blockio32a.so" \
    "$old" "$new" "$work/ours-$size.delta" "$work/ours-$size.out")
  printf "%-8s %-12s %10s %14s %10s\n" "$label" "ours" "$gen_s" "$delta_bytes" "$apply_s"

  t0=$(now)
  xdelta3 -e -9 -f -s "$old" "$new" "$work/xd-$size.delta"
  t1=$(now)
  xdelta3 -d -f -s "$old" "$work/xd-$size.delta" "$work/xd-$size.out"
  t2=$(now)
  cmp -s "$new" "$work/xd-$size.out" || { echo "delta: xdelta3 did not rebuild $new" >&2; exit 1; }
  printf "%-8s %-12s %10s %14s %10s\n" "$label" "xdelta3 -9" "$(elapsed "$t0" "$t1")" \
    "$(stat -c %s "$work/xd-$size.delta")" "$(elapsed "$t1" "$t2")"
done
echo "(new file sizes: $(stat -c %s "$work"/new-1048576) and $(stat -c %s "$work"/new-16777216) bytes)"
