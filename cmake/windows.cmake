# The windows_x86_64 build, cross-compiled with mingw-w64 (toolchain
# cmake/toolchains/x86_64-w64-mingw32.cmake, libraries from
# tools/build/build_windows_deps.sh in TIDEWRACK_WINDOWS_DEPS). Everything is linked
# statically, so the programs import system DLLs only. The display cannot be
# a module here: a DLL would carry its own copy of the framework's state and
# cannot bind to the computation's search state. It is linked into the
# computation instead, with opengl32 and glu32 delay-loaded, and the
# computation checks that they load before it starts the display.
if(NOT TIDEWRACK_WINDOWS_DEPS)
  message(FATAL_ERROR "set TIDEWRACK_WINDOWS_DEPS to the prefix tools/build/build_windows_deps.sh made")
endif()
set(deps ${TIDEWRACK_WINDOWS_DEPS})

add_library(tidewrack_windows_deps INTERFACE)
target_include_directories(tidewrack_windows_deps INTERFACE
  ${CMAKE_SOURCE_DIR}/src ${deps}/include/boinc ${deps}/include)
target_compile_definitions(tidewrack_windows_deps INTERFACE FREEGLUT_STATIC _WIN32_WINNT=0x0601)
target_link_options(tidewrack_windows_deps INTERFACE -static -static-libgcc -static-libstdc++ -mwindows)
# Order matters for static libraries: graphics -> api -> boinc.
set(TIDEWRACK_WINDOWS_FRAMEWORK
  ${deps}/lib/libboinc_graphics2.a ${deps}/lib/libboinc_api.a ${deps}/lib/libboinc.a
  ${deps}/lib/libjpeg.a ${deps}/lib/libfreeglut_static.a)
set(TIDEWRACK_WINDOWS_SYSTEM gdi32 winmm psapi ws2_32 user32 advapi32 shell32 kernel32)

set(tidewrack_windows_core_sources
  src/core/search_state.cpp
  src/core/search_record.cpp
  src/core/worker.cpp
  src/core/checkpoint.cpp
  src/core/search_publisher.cpp
  src/platform/win32/graphics_shmem_win32.cpp
  src/platform/win32/durable_file_win32.cpp
  src/platform/win32/framework_timer_win32.cpp
  src/platform/win32/thread_rand_win32.cpp)

# The display code as on Linux, with the Win32 halves of the platform layer.
set(tidewrack_windows_display_sources
  ${TIDEWRACK_PORTABLE_DISPLAY_SOURCES}
  src/platform/win32/file_time_win32.cpp
  src/platform/win32/gl_context_win32.cpp
  src/platform/win32/gl_extensions_win32.cpp
  src/platform/win32/window_system_win32.cpp
  src/platform/win32/window_keys_win32.cpp
  src/platform/win32/display_module_win32.cpp)

add_library(tidewrack_windows_core STATIC ${tidewrack_windows_core_sources})
target_link_libraries(tidewrack_windows_core PUBLIC tidewrack_windows_deps)
add_library(tidewrack_windows_display OBJECT ${tidewrack_windows_display_sources})
target_link_libraries(tidewrack_windows_display PUBLIC tidewrack_windows_deps)

# mingw's start-up calls a function named main itself when the program has
# one; renamed, the program starts at WinMain as a Windows GUI program does.
set_source_files_properties(src/core/main.cpp src/core/graphics_main.cpp
  PROPERTIES COMPILE_DEFINITIONS main=tidewrack_main)

# WinMain goes into each program itself: mingw's runtime library, linked last,
# looks for it.
add_executable(tidewrack
  src/core/main.cpp
  src/platform/win32/winmain_win32.cpp
  src/platform/win32/boinc_graphics_win32.cpp
  src/platform/win32/display_loader_win32.cpp
  src/platform/win32/delay_load_win32.cpp)
target_link_libraries(tidewrack PRIVATE tidewrack_windows_core tidewrack_windows_display
  ${TIDEWRACK_WINDOWS_FRAMEWORK} ${deps}/lib/libglu32_delay.a ${deps}/lib/libopengl32_delay.a
  ${TIDEWRACK_WINDOWS_SYSTEM})
target_link_options(tidewrack PRIVATE -Wl,--wrap=__delayLoadHelper2)

add_executable(tidewrack_graphics
  src/core/graphics_main.cpp
  src/platform/win32/winmain_win32.cpp
  src/core/search_record_feed.cpp)
target_link_libraries(tidewrack_graphics PRIVATE tidewrack_windows_core tidewrack_windows_display
  ${TIDEWRACK_WINDOWS_FRAMEWORK} glu32 opengl32 ${TIDEWRACK_WINDOWS_SYSTEM})

foreach(image earthlights2.jpg leftimage2.jpg)
  if(EXISTS ${CMAKE_SOURCE_DIR}/data/${image})
    configure_file(${CMAKE_SOURCE_DIR}/data/${image} ${CMAKE_BINARY_DIR}/${image} COPYONLY)
  endif()
endforeach()
