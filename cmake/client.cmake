# What a BOINC client does around a task (slot directory, shared memory,
# processes), one library for the client runner and the end-to-end tests.
set(TIDEWRACK_CLIENT_EMULATION_SOURCES
  ${CMAKE_SOURCE_DIR}/tools/runner/emulation_slot.cpp
  ${CMAKE_SOURCE_DIR}/tools/runner/emulation_channel.cpp
  ${CMAKE_SOURCE_DIR}/tools/runner/emulation_process.cpp)
add_library(tidewrack_client_emulation STATIC ${TIDEWRACK_CLIENT_EMULATION_SOURCES})
target_include_directories(tidewrack_client_emulation PUBLIC ${CMAKE_SOURCE_DIR}/tools/runner
  ${BOINC_INCLUDE_DIR} ${BOINC_LIB_INCLUDE_DIR} ${BOINC_TOP_INCLUDE_DIR})
target_link_libraries(tidewrack_client_emulation PUBLIC ${BOINC_API_LIBRARY} ${BOINC_LIBRARY})

# The client runner: runs the program in a slot directory as the BOINC client
# does (shared memory, start-up data, link files, scripted client actions).
add_executable(tidewrack_client
  ${CMAKE_SOURCE_DIR}/tools/runner/runner_main.cpp
  ${CMAKE_SOURCE_DIR}/tools/runner/runner_slot.cpp
  ${CMAKE_SOURCE_DIR}/tools/runner/runner_channel.cpp
  ${CMAKE_SOURCE_DIR}/tools/runner/runner_task.cpp
  ${CMAKE_SOURCE_DIR}/tools/runner/runner_script.cpp
  ${CMAKE_SOURCE_DIR}/tools/runner/runner_progress.cpp)
target_link_libraries(tidewrack_client PRIVATE tidewrack_client_emulation)
target_compile_definitions(tidewrack_client PRIVATE TIDEWRACK_DATA_DIR="${CMAKE_SOURCE_DIR}/data")
add_dependencies(tidewrack_client tidewrack)

list(APPEND TIDEWRACK_E2E_DEPENDS tidewrack_client)
set(TIDEWRACK_E2E_DEPENDS ${TIDEWRACK_E2E_DEPENDS})
