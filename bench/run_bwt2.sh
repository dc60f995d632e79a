#!/usr/bin/env bash
# bench/run_bwt2.sh BUILD_DIR WORK_DIR: Bwt2Pack / Bwt2Unpack against
# bzip2 -9 / bzip2 -d on text, binary and random data of one largest block
# (16,777,215 bytes) each, made from files on this machine.
set -euo pipefail
build=$1
work=$2
mkdir -p "$work"
size=16777215

make_data() {  # NAME: writes $work/NAME.dat unless it is there already
  local file="$work/$1.dat"
  [ -s "$file" ] && return
  case $1 in
    text)
      find /usr/include /usr/share/doc -type f ! -name '*.gz' -size -1000k 2>/dev/null | LC_ALL=C sort |
        xargs cat 2>/dev/null | head -c "$size" > "$file" || true ;;
    binary)
      find /usr/bin /usr/lib -type f -size +16k 2>/dev/null | LC_ALL=C sort |
        xargs cat 2>/dev/null | head -c "$size" > "$file" || true ;;
    random)
      head -c "$size" /dev/urandom > "$file" ;;
  esac
}

echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores; MB/s of input, one thread"
echo "| data   | block  | Bwt2Pack | bzip2 -9 | ratio | Bwt2Unpack | bzip2 -d | ratio | Bwt2 bytes | bzip2 bytes |"
echo "|--------|--------|---------:|---------:|------:|-----------:|---------:|------:|-----------:|------------:|"
for kind in text binary random; do
  make_data "$kind"
  "$build/bin/bwt2_bench" "$build/lib/blockio32a.so" "$work/$kind.dat" "$kind" "$work"
done
