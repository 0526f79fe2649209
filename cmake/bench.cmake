# Benchmarks: print figures, never fail on time; not run by ctest.
add_executable(bench_worker_overhead ${CMAKE_SOURCE_DIR}/bench/worker_overhead.cpp)
target_link_libraries(bench_worker_overhead PRIVATE tidewrack_core)
target_compile_definitions(bench_worker_overhead PRIVATE
  BENCH_CLIENT="$<TARGET_FILE:tidewrack_client>"
  BENCH_EXE="$<TARGET_FILE:tidewrack>")
add_dependencies(bench_worker_overhead tidewrack tidewrack_client)
