# What the display costs a graphics program in a window: frames per second,
# processor time per frame and per thread, start-up, the floor, and the
# worker's slowdown. Prints figures only; not run by ctest. The swap counter
# is preloaded into the program by the benchmark to count the frames shown;
# bench_floor is the window that only clears and swaps.
add_library(bench_swap_counter SHARED ${CMAKE_SOURCE_DIR}/bench/swap_counter.cpp)
target_link_libraries(bench_swap_counter PRIVATE dl)

add_executable(bench_floor ${CMAKE_SOURCE_DIR}/bench/floor_window.cpp)
target_link_libraries(bench_floor PRIVATE GLUT::GLUT OpenGL::GL)

add_executable(bench_display ${CMAKE_SOURCE_DIR}/bench/display_share_bench.cpp)
target_link_libraries(bench_display PRIVATE tidewrack_client_emulation)
target_compile_definitions(bench_display PRIVATE
  TIDEWRACK_EXE="$<TARGET_FILE:tidewrack>"
  BENCH_FLOOR_EXE="$<TARGET_FILE:bench_floor>"
  TIDEWRACK_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  TIDEWRACK_BINARY_DIR="${CMAKE_BINARY_DIR}"
  SWAP_COUNTER_LIB="$<TARGET_FILE:bench_swap_counter>")
add_dependencies(bench_display tidewrack bench_swap_counter bench_floor)
