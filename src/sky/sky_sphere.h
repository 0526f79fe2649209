// The sky sphere: one display list per catalogue layer plus the grid.
// Graphics thread only.
//
//   variable        written by                      read by
//   show_earth      controls (G), presets           layer table (grid), site block (marble)
//   the list names  their builders                  layer table, tests
#pragma once

extern bool show_earth;    // gates the grid and the earth marble; false at start

// The layers' list names: 0 until a builder first runs with a context current.
extern unsigned int star_points_list;
extern unsigned int constellation_lines_list;
extern unsigned int pulsar_points_list;
extern unsigned int snr_points_list;
extern unsigned int xray_points_list;
extern unsigned int grid_list;

void make_star_list();
void make_constellation_list();
void make_pulsar_list();
void make_snr_list();
void make_xray_list();
void make_grid_list(float radius_factor);
void draw_sky_grid(float radius);

// One layer of the sky: its display list, its switch and its builder. A layer
// draws by replaying its list while its switch is on.
struct sky_layer {
    const char* name;
    unsigned int* list;
    bool* shown;
    void (*build)();
};

// Every layer, in drawing order. Start-up builds them and the sky section
// draws them from this table alone.
extern const sky_layer sky_layers[];
extern const int sky_layer_count;

// Records every layer's list (graphics initialisation).
void build_sky_layers();
// Replays the list of every layer that is switched on.
// Draws every layer whose switch is on. A clip plane, when given (object
// coordinates, as glClipPlane takes it), applies to the grid alone.
void draw_sky_layers(const double* grid_clip_plane = nullptr);
// The radius the grid list was last built at (0 before).
float grid_radius();
