# AES-128 ECB throughput of both engines; bench/run_aes.sh sets it beside
# openssl speed.
add_executable(bench_aes ${CMAKE_CURRENT_SOURCE_DIR}/aes_bench.cpp)
target_link_libraries(bench_aes PRIVATE blockio_core)
