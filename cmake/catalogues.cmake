# The catalogue modules in src/sky/ are generated from data/catalogues/ by
# tools/data/make_catalogues.py and committed. This test regenerates them into the
# build tree and fails when the committed files differ from what the tables give.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  add_test(NAME catalogue_sources_match_tables
    COMMAND ${CMAKE_COMMAND}
      -DPYTHON=${Python3_EXECUTABLE}
      -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
      -DWORK_DIR=${CMAKE_BINARY_DIR}/catalogue_check
      -P ${CMAKE_SOURCE_DIR}/tools/data/check_catalogue_sources.cmake)
  set_tests_properties(catalogue_sources_match_tables PROPERTIES LABELS "catalogues;unit")
else()
  message(STATUS "python3 not found: catalogue_sources_match_tables is not run")
endif()
