# Bwt2Pack and Bwt2Unpack through the substitute host, beside bzip2.
if(TARGET host)
  add_executable(bwt2_bench ${CMAKE_CURRENT_SOURCE_DIR}/bwt2_bench.cpp)
  target_link_libraries(bwt2_bench PRIVATE host codec)
  add_dependencies(bwt2_bench blockio32a)
endif()
