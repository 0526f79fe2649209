# The unit and OpenGL suites built again with AddressSanitizer and UBSan, as
# the ctest labels asan (unit) and asan_gl (OpenGL): `ctest -L asan` runs both.
# tools/run_tests.sh sets the sanitizer options. Self-contained: it compiles
# the sources itself.
find_package(GTest REQUIRED)
include(GoogleTest)

# GCC's -Wmaybe-uninitialized gives false alarms in <regex> and <functional>
# under the sanitizers' instrumentation; the plain build keeps the warning.
# -O1 -g1: quicker to build than the main build's -O2 -g, and enough for
# symbolised stack traces.
set(SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
  -O1 -g1 -Wno-maybe-uninitialized)

file(GLOB_RECURSE ASAN_PROGRAM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*.cpp)
list(FILTER ASAN_PROGRAM_SOURCES EXCLUDE REGEX "/src/platform/win32/")
list(REMOVE_ITEM ASAN_PROGRAM_SOURCES
  ${CMAKE_SOURCE_DIR}/src/core/main.cpp ${CMAKE_SOURCE_DIR}/src/core/graphics_main.cpp)
file(GLOB ASAN_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
list(REMOVE_ITEM ASAN_SUPPORT_SOURCES ${CMAKE_SOURCE_DIR}/tests/support/gl_main.cpp)
list(APPEND ASAN_SUPPORT_SOURCES ${TIDEWRACK_CLIENT_EMULATION_SOURCES})

# One object library: the framework's callbacks are linked whatever refers to them.
add_library(asan_objects OBJECT ${ASAN_PROGRAM_SOURCES} ${ASAN_SUPPORT_SOURCES})
target_compile_options(asan_objects PUBLIC ${SANITIZER_FLAGS})
target_link_options(asan_objects PUBLIC -fsanitize=address,undefined)
target_include_directories(asan_objects PUBLIC ${CMAKE_SOURCE_DIR}/tests/support ${CMAKE_SOURCE_DIR}/tools/runner)
target_link_libraries(asan_objects PUBLIC tidewrack_display_deps GTest::gtest ${CMAKE_DL_LIBS})
target_compile_definitions(asan_objects PUBLIC
  TIDEWRACK_EXE="$<TARGET_FILE:tidewrack>"
  TIDEWRACK_GRAPHICS_EXE="$<TARGET_FILE:tidewrack_graphics>"
  TIDEWRACK_SOURCE_DIR="${CMAKE_SOURCE_DIR}"
  TIDEWRACK_BINARY_DIR="${CMAKE_BINARY_DIR}"
  EXIT_HANDLER_LOG="")

file(GLOB ASAN_UNIT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests_asan ${ASAN_UNIT_SOURCES})
target_link_libraries(unit_tests_asan PRIVATE asan_objects GTest::gtest_main)
gtest_discover_tests(unit_tests_asan TEST_PREFIX "asan." PROPERTIES LABELS asan DISCOVERY_TIMEOUT 60)

file(GLOB ASAN_GL_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/gl/*.cpp)
add_executable(gl_tests_asan ${ASAN_GL_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/gl_main.cpp)
target_link_libraries(gl_tests_asan PRIVATE asan_objects)
add_dependencies(gl_tests_asan tidewrack)
gtest_discover_tests(gl_tests_asan TEST_PREFIX "asan." PROPERTIES LABELS asan_gl DISCOVERY_TIMEOUT 60)
