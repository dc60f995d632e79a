#!/usr/bin/env bash
# Extraction of about 100 MB of this machine's own files (documentation,
# libraries, programs): pkgextract on a package archive beside tar -xjf on a
# .tar.bz2 of the same tree. Prints MB/s of input (archive bytes) and of
# output (extracted bytes), best of a few runs.
#   bench/run_pkgextract.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1
work=$2
target_mb=${PKGX_BENCH_MB:-100}
runs=${PKGX_BENCH_RUNS:-3}
mkdir -p "$work"
extractor="$build/bin/pkgextract"
writer="$build/bin/pkgx_make_archive"
[ -x "$extractor" ] && [ -x "$writer" ] || { echo "build pkgextract and pkgx_make_archive first"; exit 1; }

tree="$work/tree"
if [ ! -f "$work/tree.done" ]; then
  rm -rf "$tree"
  mkdir -p "$tree"
  # Short lower-case names: package entries keep names lower-cased and
  # paths of at most 94 bytes.
  python3 - "$tree" "$target_mb" <<'PY'
import os, shutil, sys
tree, target = sys.argv[1], int(sys.argv[2]) * 1000 * 1000
sources = ["/usr/share/doc", "/usr/share/man", "/usr/include", "/usr/lib/x86_64-linux-gnu", "/usr/bin"]
total, n = 0, 0
for src in sources:
    for root, dirs, files in os.walk(src):
        dirs.sort()
        for f in sorted(files):
            p = os.path.join(root, f)
            if os.path.islink(p) or not os.path.isfile(p):
                continue
            size = os.path.getsize(p)
            if size == 0 or size > 8 * 1000 * 1000 or total >= target:
                continue
            kind = os.path.basename(src)
            name = "".join(c for c in f.lower() if c.isalnum() or c in "._-")[:40] or "f"
            d = os.path.join(tree, kind, "%03d" % (n // 200))
            os.makedirs(d, exist_ok=True)
            shutil.copyfile(p, os.path.join(d, "%05d_%s" % (n, name)))
            total += size
            n += 1
print("tree: %d files, %.1f MB" % (n, total / 1e6))
PY
  touch "$work/tree.done"
fi
tree_bytes=$(du -sb --apparent-size "$tree" | cut -f1)

archive="$work/tree.pkg"
tarball="$work/tree.tar.bz2"
[ -f "$archive" ] || "$writer" --from "$tree" --out "$archive"
[ -f "$tarball" ] || tar -cjf "$tarball" -C "$tree" .

calc() { python3 -c "print($1)"; }

best_time() {  # best wall time in seconds of "$@" over $runs runs, each in a fresh folder
  local best=""
  for _ in $(seq "$runs"); do
    rm -rf "$work/out" && mkdir -p "$work/out"
    local start end t
    start=$(date +%s.%N)
    "$@" > /dev/null
    end=$(date +%s.%N)
    t=$(calc "$end - $start")
    if [ -z "$best" ] || [ "$(calc "int($t < $best)")" = 1 ]; then best=$t; fi
  done
  echo "$best"
}

t_pkgx=$(best_time "$extractor" -x -d "$work/out" -f "$archive")
diff -r -q "$tree" "$work/out" > /dev/null || { echo "pkgextract output differs from the tree"; exit 1; }
t_tar=$(best_time tar -xjf "$tarball" -C "$work/out")

row() {  # name, archive bytes, seconds
  printf "| %-22s | %10.1f | %7.2f | %10.1f | %11.1f |\n" "$1" "$(calc "$2 / 1e6")" "$3" \
    "$(calc "$2 / 1e6 / $3")" "$(calc "$tree_bytes / 1e6 / $3")"
}
echo "tree: $(calc "round($tree_bytes / 1e6, 1)") MB, $(find "$tree" -type f | wc -l) files; best of $runs runs"
echo "| tool                   | archive MB | seconds | input MB/s | output MB/s |"
echo "|------------------------|-----------:|--------:|-----------:|------------:|"
row "pkgextract -x" "$(stat -c %s "$archive")" "$t_pkgx"
row "tar -xjf (.tar.bz2)" "$(stat -c %s "$tarball")" "$t_tar"
