# The display code that every platform compiles alike: the sky, the frame,
# the scenery and the controls, and the platform layer's portable parts, the
# graphics host and its input among them. Each platform's build adds its own
# window system (src/platform/window_system.h), keys and OpenGL context files.
set(TIDEWRACK_PORTABLE_DISPLAY_SOURCES
  src/controls/controls.cpp
  src/controls/graphics_init.cpp
  src/controls/project_prefs.cpp
  src/controls/view_presets.cpp
  src/graphics/frame.cpp
  src/graphics/glyph_atlas.cpp
  src/graphics/graphical_events.cpp
  src/graphics/overlay.cpp
  src/graphics/panels.cpp
  src/graphics/sky_section.cpp
  src/graphics/text_utils.cpp
  src/graphics/title_decoration.cpp
  src/graphics/view_state.cpp
  src/scenery/fog.cpp
  src/scenery/jpeg_check.cpp
  src/scenery/marble.cpp
  src/scenery/textures.cpp
  src/sky/pulsar_list.cpp
  src/sky/display_lists.cpp
  src/sky/site_markers.cpp
  src/sky/sky_clock.cpp
  src/sky/sky_sphere.cpp
  src/sky/snr_list.cpp
  src/sky/starlist.cpp
  src/sky/target_marker.cpp
  src/sky/xray_list.cpp
  src/platform/client_channel.cpp
  src/platform/frame_throttle.cpp
  src/platform/graphics_host.cpp
  src/platform/latest_init_data.cpp
  src/platform/window_input.cpp)
