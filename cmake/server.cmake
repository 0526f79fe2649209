# The kit on BOINC's own server: the server built from source (or the build
# in build/boinc-server reused), a project with MariaDB and Apache of its own
# on loopback, and the real client running three work units to the end.
# Fixed-size CPU work and the server build: alone, not beside other tests.
add_test(NAME server_project
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/server/project_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(server_project PROPERTIES LABELS server RUN_SERIAL TRUE TIMEOUT 2700)

# The fault run on one project: hosts killed, the web server, the database
# and the validator stopped, a forged report.
add_test(NAME server_faults
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/server/faults_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(server_faults PROPERTIES LABELS server RUN_SERIAL TRUE TIMEOUT 2700)

# Every platform's app version through the same project, each run by a real
# client host of its platform side by side (ARM clients under qemu-user,
# Windows programs under Wine, through binfmt_misc handlers of the test's
# own). Emulated work units take minutes of CPU: a label of its own, alone.
add_test(NAME platforms_project
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/server/platforms_project_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(platforms_project PROPERTIES LABELS platforms_project RUN_SERIAL TRUE TIMEOUT 4500
  SKIP_REGULAR_EXPRESSION "^SKIP")
