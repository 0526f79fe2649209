# tidewrack_graphics: the sky display as a program of its own beside the
# computation (a client's graphics_app). It links the display code and the
# search record's reader; its entry point is kept out of the shared library.
add_executable(tidewrack_graphics ${CMAKE_SOURCE_DIR}/src/core/graphics_main.cpp)
target_link_libraries(tidewrack_graphics PRIVATE tidewrack_lib)

list(APPEND TIDEWRACK_E2E_DEPENDS tidewrack_graphics)
set(TIDEWRACK_E2E_DEPENDS ${TIDEWRACK_E2E_DEPENDS})
add_dependencies(tidewrack_client tidewrack_graphics)
