# Fuzzing of the preference parser with libFuzzer. The fuzzer needs clang++,
# and one CMake build cannot mix compilers, so clang++ is called directly.
# Without clang++ (or its fuzzer runtime) the test reports itself skipped.
find_program(CLANGXX_EXECUTABLE clang++)

# clang++ without libclang-rt cannot link a fuzzer: find out once.
if(CLANGXX_EXECUTABLE AND NOT DEFINED TIDEWRACK_CLANG_FUZZER_WORKS)
  set(probe_dir ${CMAKE_BINARY_DIR}/CMakeFiles/fuzzer_probe)
  file(WRITE ${probe_dir}/probe.cpp
    "#include <cstddef>\n#include <cstdint>\n"
    "extern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n")
  execute_process(
    COMMAND ${CLANGXX_EXECUTABLE} -fsanitize=fuzzer,address,undefined probe.cpp -o probe
    WORKING_DIRECTORY ${probe_dir} RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
  if(probe_result EQUAL 0)
    set(TIDEWRACK_CLANG_FUZZER_WORKS TRUE CACHE INTERNAL "clang++ links libFuzzer targets")
  else()
    set(TIDEWRACK_CLANG_FUZZER_WORKS FALSE CACHE INTERNAL "clang++ links libFuzzer targets")
  endif()
endif()

set(PREFS_FUZZ_SOURCES
  ${CMAKE_SOURCE_DIR}/fuzz/prefs_fuzz.cpp
  ${CMAKE_SOURCE_DIR}/src/controls/project_prefs.cpp
  ${CMAKE_SOURCE_DIR}/src/graphics/view_state.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/latest_init_data.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/posix/file_time_posix.cpp)
set(PREFS_FUZZ_BINARY ${CMAKE_BINARY_DIR}/fuzz/prefs_fuzz)
set(PREFS_FUZZ_SECONDS 20)

if(CLANGXX_EXECUTABLE AND TIDEWRACK_CLANG_FUZZER_WORKS)
  add_custom_command(
    OUTPUT ${PREFS_FUZZ_BINARY}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fuzz
    COMMAND ${CLANGXX_EXECUTABLE} -std=c++17 -g -O1 -Wall -Wextra -Wno-unused-parameter
            -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined
            -I${CMAKE_SOURCE_DIR}/src -I${BOINC_INCLUDE_DIR} -I${BOINC_LIB_INCLUDE_DIR} -I${BOINC_TOP_INCLUDE_DIR}
            ${PREFS_FUZZ_SOURCES} -o ${PREFS_FUZZ_BINARY}
            ${BOINC_API_LIBRARY} ${BOINC_LIBRARY} -lpthread
    DEPENDS ${PREFS_FUZZ_SOURCES}
            ${CMAKE_SOURCE_DIR}/src/controls/project_prefs.h
            ${CMAKE_SOURCE_DIR}/src/platform/latest_init_data.h
    COMMENT "Building the preference fuzzer with clang++"
    VERBATIM)
  add_custom_target(prefs_fuzz ALL DEPENDS ${PREFS_FUZZ_BINARY})
  add_test(NAME prefs_fuzz
    COMMAND sh ${CMAKE_SOURCE_DIR}/fuzz/run_fuzz.sh ${PREFS_FUZZ_BINARY}
            ${CMAKE_SOURCE_DIR}/fuzz/corpus/prefs ${CMAKE_SOURCE_DIR}/fuzz/prefs.dict
            ${PREFS_FUZZ_SECONDS} ${CMAKE_BINARY_DIR}/fuzz-artifacts)
else()
  add_test(NAME prefs_fuzz COMMAND sh -c "echo 'no clang++ with libFuzzer: fuzzing skipped'; exit 77")
endif()
set_tests_properties(prefs_fuzz PROPERTIES LABELS fuzz SKIP_RETURN_CODE 77 TIMEOUT 300)
