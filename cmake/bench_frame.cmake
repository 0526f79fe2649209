# Frame-time benchmark of app_graphics_render; prints figures, never run by ctest.
add_executable(bench_frame ${CMAKE_SOURCE_DIR}/bench/frame_bench.cpp)
target_link_libraries(bench_frame PRIVATE tidewrack_display_objects tidewrack_shared_state)
