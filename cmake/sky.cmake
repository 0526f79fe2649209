# The scenery checks JPEG files with libjpeg before the framework's loader
# reads them.
find_package(JPEG REQUIRED)
target_link_libraries(tidewrack_lib PUBLIC JPEG::JPEG)

# The framework's graphics library calls the program's callbacks by name. A
# test that uses the texture loader pulls that library in, but the linker has
# already passed our static library by then: name the callbacks up front so
# that their objects are always taken from it.
target_link_options(tidewrack_lib INTERFACE
  "LINKER:--undefined=_Z17app_graphics_initv"
  "LINKER:--undefined=_Z19app_graphics_renderiid"
  "LINKER:--undefined=_Z19app_graphics_resizeii"
  "LINKER:--undefined=_Z19boinc_app_key_pressii"
  "LINKER:--undefined=_Z20boinc_app_mouse_moveiiiii"
  "LINKER:--undefined=_Z21boinc_app_key_releaseii"
  "LINKER:--undefined=_Z22boinc_app_mouse_buttoniiii")
