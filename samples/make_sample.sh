#!/usr/bin/env bash
# Rebuilds samples/tarnwell2006.pkg from samples/product with fixed file
# times, using the archive writer of the extractor's tests.
#   samples/make_sample.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
find "$here/product" -type f -exec touch -d '2006-01-05 12:00:01 UTC' {} +
touch -d '2006-04-14 16:30:00 UTC' "$here/product/utils/twcalendar/2006.appt"
"$build/bin/pkgx_make_archive" --from "$here/product" --out "$here/tarnwell2006.pkg"
