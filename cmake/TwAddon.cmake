# tw_add_addon(NAME name SOURCES ... [LIBS ...] [DEFINITIONS ...])
# Builds <build>/lib/NAME.so that exports only Linkage, Tarn and OvlSubr.
function(tw_add_addon)
  cmake_parse_arguments(A "" "NAME" "SOURCES;LIBS;DEFINITIONS" ${ARGN})
  add_library(${A_NAME} MODULE ${A_SOURCES})
  set_target_properties(${A_NAME} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${A_NAME} PRIVATE addon ${A_LIBS})
  target_compile_definitions(${A_NAME} PRIVATE ${A_DEFINITIONS})
  target_link_options(${A_NAME} PRIVATE
    -Wl,--version-script=${CMAKE_SOURCE_DIR}/addon/exports.map)
  # clang leaves the sanitizer runtime to the executable that loads the
  # library, so its symbols are resolved only then.
  if(NOT (CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND CMAKE_CXX_FLAGS MATCHES "sanitize"))
    target_link_options(${A_NAME} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()
