# Run by ctest (see cmake/catalogues.cmake): regenerate the catalogue modules
# into WORK_DIR and compare them with the committed ones in src/sky/.
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(
  COMMAND ${PYTHON} ${SOURCE_DIR}/tools/data/make_catalogues.py --out ${WORK_DIR}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "tools/data/make_catalogues.py failed (${status})")
endif()
set(stale "")
foreach(module pulsar_list snr_list starlist xray_list)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/${module}.cpp ${SOURCE_DIR}/src/sky/${module}.cpp
    RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    list(APPEND stale src/sky/${module}.cpp)
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "out of date with data/catalogues/: ${stale}; run python3 tools/data/make_catalogues.py")
endif()
message(STATUS "all four catalogue modules match the tables")
