# The Windows programs under Wine (label windows), registered where mingw-w64
# and Wine are installed (tools/build/install_deps.sh installs both). The first test
# builds the programs (tools/build/build_platform.sh windows_x86_64: the Windows
# libraries once, 1 to 4 minutes on 2 cores, then the programs), the second
# makes a fresh Wine prefix for the run and reports Wine's start-up time; all
# run one at a time, since the worker runs at idle priority.
find_program(TIDEWRACK_WINE wine)
find_program(TIDEWRACK_MINGW_CXX x86_64-w64-mingw32-g++-posix)
if(NOT TIDEWRACK_WINE OR NOT TIDEWRACK_MINGW_CXX)
  message(STATUS "Windows tests left out: wine or x86_64-w64-mingw32-g++-posix not installed")
  return()
endif()

set(windows_build ${CMAKE_SOURCE_DIR}/build-windows_x86_64)
set(wine_prefix ${CMAKE_BINARY_DIR}/wine-prefix)

add_test(NAME windows_build
  COMMAND bash ${CMAKE_SOURCE_DIR}/tools/build/build_platform.sh windows_x86_64)
set_tests_properties(windows_build PROPERTIES LABELS windows RUN_SERIAL TRUE TIMEOUT 1800
  FIXTURES_SETUP windows_programs)

add_test(NAME windows_wine_prefix
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/wine_prefix.sh make ${wine_prefix})
set_tests_properties(windows_wine_prefix PROPERTIES LABELS windows RUN_SERIAL TRUE TIMEOUT 300
  FIXTURES_SETUP wine_prefix FIXTURES_REQUIRED windows_programs)
add_test(NAME windows_wine_prefix_removed
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/wine_prefix.sh remove ${wine_prefix})
set_tests_properties(windows_wine_prefix_removed PROPERTIES LABELS windows RUN_SERIAL TRUE
  FIXTURES_CLEANUP wine_prefix)

# The client's shared memory under its Windows name, for the tests that steer
# a program as a client does.
set(client_stand_in ${CMAKE_BINARY_DIR}/client_stand_in.exe)
add_custom_command(OUTPUT ${client_stand_in}
  COMMAND ${TIDEWRACK_MINGW_CXX} -O1 -static -o ${client_stand_in}
    ${CMAKE_SOURCE_DIR}/tests/windows/client_stand_in.cpp
  DEPENDS ${CMAKE_SOURCE_DIR}/tests/windows/client_stand_in.cpp)
add_custom_target(client_stand_in DEPENDS ${client_stand_in})

add_executable(windows_tests ${CMAKE_SOURCE_DIR}/tests/windows/wine_test.cpp)
target_link_libraries(windows_tests PRIVATE tidewrack_display_objects test_support GTest::gtest_main)
target_compile_definitions(windows_tests PRIVATE
  TIDEWRACK_WINDOWS_BUILD="${windows_build}" TIDEWRACK_WINE_PREFIX="${wine_prefix}"
  TIDEWRACK_CLIENT_STAND_IN="${client_stand_in}")
add_dependencies(windows_tests tidewrack client_stand_in)
gtest_discover_tests(windows_tests PROPERTIES LABELS windows RUN_SERIAL TRUE TIMEOUT 900
  FIXTURES_REQUIRED wine_prefix DISCOVERY_TIMEOUT 60)

# The Debian source packages the Windows libraries are built from: fetched,
# checked and refused as the build's source fetching does it.
add_test(NAME windows_debian_sources
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/debian_source_test.sh ${CMAKE_SOURCE_DIR})
set_tests_properties(windows_debian_sources PROPERTIES LABELS windows)

add_test(NAME windows_imports
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/imports_test.sh ${windows_build})
set_tests_properties(windows_imports PROPERTIES LABELS windows FIXTURES_REQUIRED windows_programs)

add_test(NAME windows_package
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/windows/package_test.sh ${CMAKE_BINARY_DIR} ${windows_build}
    ${CMAKE_SOURCE_DIR} ${wine_prefix})
set_tests_properties(windows_package PROPERTIES LABELS windows RUN_SERIAL TRUE TIMEOUT 600
  FIXTURES_REQUIRED wine_prefix)
