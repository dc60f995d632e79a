# CpioGen and CpioApply through the substitute host; bench/run_delta.sh sets
# them beside xdelta3.
add_executable(bench_delta ${CMAKE_CURRENT_SOURCE_DIR}/delta_bench.cpp)
target_link_libraries(bench_delta PRIVATE host)
add_dependencies(bench_delta blockio32a)
