# The search-state handshake and search-record tests, built alone with ThreadSanitizer: the two
# threads share nothing else, so any race it reports is in the handshake.
find_package(GTest REQUIRED)

add_executable(search_state_tsan_tests
  ${CMAKE_SOURCE_DIR}/src/core/search_state.cpp
  ${CMAKE_SOURCE_DIR}/src/core/search_record.cpp
  ${CMAKE_SOURCE_DIR}/tests/unit/core_search_state_test.cpp
  ${CMAKE_SOURCE_DIR}/tests/unit/core_search_record_test.cpp)
target_include_directories(search_state_tsan_tests PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_compile_options(search_state_tsan_tests PRIVATE -fsanitize=thread -fno-omit-frame-pointer)
target_link_options(search_state_tsan_tests PRIVATE -fsanitize=thread)
target_link_libraries(search_state_tsan_tests PRIVATE GTest::gtest_main Threads::Threads)

add_test(NAME search_state_tsan COMMAND search_state_tsan_tests)
set_tests_properties(search_state_tsan PROPERTIES
  LABELS tsan
  ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1 second_deadlock_stack=1")
