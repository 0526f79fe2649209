// The four fixed sky catalogues, as literal arrays, and their display switches.
//
//   variable               written by                       read by
//   the arrays and counts  (constant)                       worker (pulsars), sky sphere
//   show_pulsars, _snr,    controls (P, N, S, C, X),        sky sphere's layer table
//   _stars, _xray,         presets
//   _constellations
//
// The arrays are the only data both threads read; the switches belong to the
// graphics thread.
#pragma once

struct sky_position {
    float ra;    // right ascension, degrees, 0 <= ra < 360
    float dec;   // declination, degrees, -90 <= dec <= +90
};

extern const sky_position pulsar_list[];
extern const int pulsar_count;             // 1274
extern bool show_pulsars;

extern const sky_position snr_list[];
extern const int snr_count;                // 231
extern bool show_snr;

// Entries 2k and 2k+1 are the two ends of constellation segment k.
extern const sky_position starlist[];
extern const int starlist_count;           // 1364
extern bool show_stars;
extern bool show_constellations;

extern const sky_position xray_list[];
extern const int xray_count;               // 6
extern bool show_xray;
