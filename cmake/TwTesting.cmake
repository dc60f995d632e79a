# GoogleTest: the system package for native builds; for -m32 it is built
# from the sources Debian ships in /usr/src/googletest.
if(TW_ABI32)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # googletest's own CMake defines the GTest:: aliases.
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# tw_add_gtest(NAME name LABEL label SOURCES ... [LIBS ...])
# One GoogleTest executable registered with CTest; tests run from the build
# directory and find programs and add-ons through TW_BIN_DIR / TW_LIB_DIR.
function(tw_add_gtest)
  cmake_parse_arguments(T "" "NAME;LABEL" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest_main)
  target_compile_definitions(${T_NAME} PRIVATE
    TW_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    TW_LIB_DIR="${CMAKE_BINARY_DIR}/lib"
    TW_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  gtest_discover_tests(${T_NAME}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    PROPERTIES LABELS ${T_LABEL}
    DISCOVERY_TIMEOUT 60)
endfunction()
