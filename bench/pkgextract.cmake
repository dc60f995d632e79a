# Extraction speed of pkgextract beside tar with bzip2 (bench/run_pkgextract.sh).
# The driver needs the extractor and the archive writer's tool.
add_custom_target(bench_pkgextract DEPENDS pkgextract pkgx_make_archive)
