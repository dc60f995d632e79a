# The extractor on arbitrary archives (plain, key and text modes), extracting
# into a scratch folder.
tw_add_fuzz(NAME pkgextract SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/pkgextract.cpp LIBS pkgx_core)
