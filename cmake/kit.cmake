# The operator's kit: the result validator, and the packaged app version under
# the real BOINC client. The program's worker runs at idle priority, so the
# tests that run it wait for the cores like the end-to-end tests.
enable_testing()

add_test(NAME kit_validator
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/kit/validator_test.sh
    $<TARGET_FILE:tidewrack> ${CMAKE_SOURCE_DIR}/tools/kit/validate_report.py)
set_tests_properties(kit_validator PROPERTIES LABELS "kit;e2e" RUN_SERIAL TRUE)

# Hostile uploads: each judged invalid in bounded time and memory (ulimit -v).
add_test(NAME kit_hostile_reports
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/kit/hostile_reports_test.sh
    $<TARGET_FILE:tidewrack> ${CMAKE_SOURCE_DIR}/tools/kit/validate_report.py)
set_tests_properties(kit_hostile_reports PROPERTIES LABELS "kit;e2e" RUN_SERIAL TRUE)

# The real client on the kit: a whole work unit of the app version (about a
# minute of CPU), and the anonymous platform's task starting.
foreach(mode app-version anonymous)
  add_test(NAME kit_real_client_${mode}
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/kit/real_client_test.sh ${mode}
      ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  set_tests_properties(kit_real_client_${mode} PROPERTIES LABELS "kit;e2e" RUN_SERIAL TRUE TIMEOUT 600)
endforeach()

# The client runner on the kit's app version and anonymous files.
add_test(NAME kit_runner
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/kit/runner_kit_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(kit_runner PROPERTIES LABELS "kit;e2e" RUN_SERIAL TRUE)
