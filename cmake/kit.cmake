# The operator's kit: the result validator, and the packaged app version under
# the real BOINC client. The program's worker runs at idle priority, so the
# tests that run it wait for the cores like the end-to-end tests.
enable_testing()

add_test(NAME kit_validator
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/kit/validator_test.sh
    $<TARGET_FILE:tidewrack> ${CMAKE_SOURCE_DIR}/tools/validate_report.py)
set_tests_properties(kit_validator PROPERTIES LABELS "kit;e2e" RUN_SERIAL TRUE)
