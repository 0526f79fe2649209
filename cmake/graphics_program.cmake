# tidewrack_graphics: the sky display as a program of its own beside the
# computation (a client's graphics_app). It links the display code as objects,
# the search record's reader, and from the computation's library only the
# graphics shared memory and the search state.
add_executable(tidewrack_graphics
  ${CMAKE_SOURCE_DIR}/src/core/graphics_main.cpp
  ${CMAKE_SOURCE_DIR}/src/core/search_record_feed.cpp)
target_link_libraries(tidewrack_graphics PRIVATE tidewrack_display_objects tidewrack_core)
tidewrack_find_libraries_beside(tidewrack_graphics)

if(TARGET tidewrack_client)
  list(APPEND TIDEWRACK_E2E_DEPENDS tidewrack_graphics)
  set(TIDEWRACK_E2E_DEPENDS ${TIDEWRACK_E2E_DEPENDS})
  add_dependencies(tidewrack_client tidewrack_graphics)
endif()
