# The Linux ARM app versions under qemu-user (label arm). Each platform's
# programs are cross-built by tools/build/build_platform.sh into build-PLATFORM/;
# its computation then runs a work unit resumed near its end under the client
# runner, and its report must match this machine's. Without the cross tools or
# qemu (tools/build/install_deps.sh installs them) the tests print SKIP.
foreach(platform aarch64-unknown-linux-gnu arm-unknown-linux-gnueabihf)
  add_test(NAME arm_workunit_${platform}
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/arm/qemu_workunit_test.sh ${platform}
      ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
  set_tests_properties(arm_workunit_${platform} PROPERTIES
    LABELS arm RUN_SERIAL TRUE TIMEOUT 900 SKIP_REGULAR_EXPRESSION "^SKIP")
endforeach()

# The kit with every platform: each one packed or reported, and the ARM app
# versions shipping what x86_64's ships, built for their processors.
add_test(NAME arm_kit_platforms
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/arm/kit_platforms_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(arm_kit_platforms PROPERTIES
  LABELS "arm;kit" RUN_SERIAL TRUE TIMEOUT 900 SKIP_REGULAR_EXPRESSION "^SKIP")
