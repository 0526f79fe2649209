# Benchmarks: print figures, never fail on time; not run by ctest.
add_executable(bench_worker_overhead ${CMAKE_SOURCE_DIR}/bench/worker_overhead.cpp)
target_link_libraries(bench_worker_overhead PRIVATE tidewrack_core tidewrack_client_emulation)
target_compile_definitions(bench_worker_overhead PRIVATE
  BENCH_CLIENT="$<TARGET_FILE:tidewrack_client>"
  BENCH_EXE="$<TARGET_FILE:tidewrack>")
add_dependencies(bench_worker_overhead tidewrack tidewrack_client)
# Resident size of the real program over window <-> full-screen switches;
# prints figures, never run by ctest.
add_executable(bench_window_switch ${CMAKE_SOURCE_DIR}/bench/window_switch_bench.cpp)
target_link_libraries(bench_window_switch PRIVATE tidewrack_client_emulation)
target_compile_definitions(bench_window_switch PRIVATE BENCH_CLIENT="$<TARGET_FILE:tidewrack_client>")
add_dependencies(bench_window_switch tidewrack tidewrack_client)
