#!/usr/bin/env bash
# bench/run_aes.sh BUILD_DIR WORK_DIR: AES-128 ECB encryption in MB/s, our
# two engines beside openssl speed with and without its AES instructions.
# The runs alternate and each figure is the best of ROUNDS, so that other
# load on the machine hits both sides alike.
set -euo pipefail
build=$1
work=$2
mkdir -p "$work"
seconds=${AES_BENCH_SECONDS:-2}
rounds=${AES_BENCH_ROUNDS:-3}

if ! command -v openssl >/dev/null; then
  echo "aes: openssl is not installed; run scripts/setup" >&2
  exit 1
fi

# openssl speed reports thousands of bytes per second.
openssl_mb() {
  env "$@" openssl speed -evp aes-128-ecb -bytes 16384 -seconds "$seconds" 2>/dev/null |
    awk '/^AES-128-ECB/ { v = $2; sub(/k$/, "", v); printf "%.1f", v / 1000 }'
}

: > "$work/runs.txt"
for _ in $(seq "$rounds"); do
  "$build/bin/bench_aes" "$seconds" >> "$work/runs.txt"
  echo "openssl with $(openssl_mb)" >> "$work/runs.txt"
  echo "openssl without $(openssl_mb OPENSSL_ia32cap="~0x200000200000000")" >> "$work/runs.txt"
done
best() { awk -v a="$1" -v b="$2" '$1 == a && $2 == b && $3 > m { m = $3 } END { if (m) print m }' "$work/runs.txt"; }

row() {  # label ours theirs
  local ratio="-"
  if [ -n "$2" ] && [ -n "$3" ]; then ratio=$(awk -v a="$2" -v b="$3" 'BEGIN { printf "%.2f", a / b }'); fi
  printf "%-34s %12s %14s %7s\n" "$1" "${2:-n/a}" "${3:-n/a}" "$ratio"
}
printf "%-34s %12s %14s %7s\n" "AES-128 ECB encrypt, 16 KB chunks" "ours MB/s" "openssl MB/s" "ratio"
row "AES instructions" "$(best instructions encrypt)" "$(best openssl with)"
row "tables / openssl without AES-NI" "$(best tables encrypt)" "$(best openssl without)"
echo "(ours, decrypt: instructions $(best instructions decrypt) MB/s, tables $(best tables decrypt) MB/s)"
