// The four compiled catalogues: equal to the tables in data/catalogues/, bit
// for bit, and holding every count, listed row and invariant the sky display
// and the worker rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "sky/catalogues.h"
#include "sky/sky_math.h"

namespace {

// ------------------------------------------------------------------ tables

// A CSV table as written by the data tools: a header line, CRLF or LF line
// ends, fields optionally in double quotes.
struct Table {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;

    size_t column(const std::string& name) const {
        auto it = std::find(header.begin(), header.end(), name);
        if (it == header.end()) throw std::runtime_error("no column " + name);
        return (size_t)(it - header.begin());
    }
    const std::string& at(size_t row, const std::string& name) const { return rows.at(row).at(column(name)); }
};

std::vector<std::string> split_csv_line(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); i++) {
        char c = line[i];
        if (quoted && c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
            fields.back() += '"';
            i++;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (c == ',' && !quoted) {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

Table read_table(const std::string& name) {
    std::string path = std::string(TIDEWRACK_SOURCE_DIR) + "/data/catalogues/" + name;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot open " + path);
    Table t;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        auto fields = split_csv_line(line);
        if (t.header.empty()) {
            t.header = fields;
        } else {
            if (fields.size() != t.header.size()) throw std::runtime_error(name + ": ragged row: " + line);
            t.rows.push_back(fields);
        }
    }
    return t;
}

// ------------------------------------------------------------------ floats

uint32_t bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

bool same_bits(const sky_position& a, const sky_position& b) {
    return bits(a.ra) == bits(b.ra) && bits(a.dec) == bits(b.dec);
}

// What the compiler makes of a decimal literal: the nearest float.
float decimal_float(const std::string& text) {
    char* end = nullptr;
    float f = std::strtof(text.c_str(), &end);
    if (text.empty() || *end != '\0') throw std::runtime_error("not a number: " + text);
    return f;
}

// The float nearest numerator / denominator (denominator 60 or 240). The
// products c * denominator are exact in double, so the comparison is exact.
float nearest_float(long numerator, long denominator) {
    float guess = (float)((double)numerator / (double)denominator);
    float best = guess;
    double best_error = std::fabs((double)guess * denominator - numerator);
    for (float c : {std::nextafter(guess, -INFINITY), std::nextafter(guess, INFINITY)}) {
        double error = std::fabs((double)c * denominator - numerator);
        if (error < best_error || (error == best_error && (bits(c) & 1) == 0)) {
            best = c;
            best_error = error;
        }
    }
    return best;
}

// "17h45m44s" -> seconds of time; "-29d00'" -> arc-minutes.
long seconds_of_time(const std::string& text) {
    int h, m, s;
    char tail;
    if (std::sscanf(text.c_str(), "%dh%dm%ds%c", &h, &m, &s, &tail) != 3) throw std::runtime_error("bad RA " + text);
    return h * 3600L + m * 60L + s;
}

long arc_minutes(const std::string& text) {
    int d, m;
    char sign, tail;
    if (std::sscanf(text.c_str(), "%c%dd%d'%c", &sign, &d, &m, &tail) != 3 || (sign != '+' && sign != '-'))
        throw std::runtime_error("bad Dec " + text);
    return (sign == '-' ? -1 : 1) * (d * 60L + m);
}

// ------------------------------------------------------------------ expected arrays

std::vector<sky_position> decimal_positions(const Table& t, const char* ra, const char* dec) {
    std::vector<sky_position> out;
    for (size_t i = 0; i < t.rows.size(); i++) out.push_back({decimal_float(t.at(i, ra)), decimal_float(t.at(i, dec))});
    return out;
}

std::vector<sky_position> pulsar_table() { return decimal_positions(read_table("pulsars.csv"), "ra", "dec"); }
std::vector<sky_position> xray_table() { return decimal_positions(read_table("xray.csv"), "ra", "dec"); }

std::vector<sky_position> snr_table() {
    Table t = read_table("snr.csv");
    std::vector<sky_position> out;
    for (size_t i = 0; i < t.rows.size(); i++)
        out.push_back({nearest_float(seconds_of_time(t.at(i, "ra_hms")), 240),
                       nearest_float(arc_minutes(t.at(i, "dec_dm")), 60)});
    return out;
}

std::vector<sky_position> star_table() {
    Table t = read_table("constellation_segments.csv");
    std::vector<sky_position> out;
    for (size_t i = 0; i < t.rows.size(); i++) {
        out.push_back({decimal_float(t.at(i, "ra1")), decimal_float(t.at(i, "dec1"))});
        out.push_back({decimal_float(t.at(i, "ra2")), decimal_float(t.at(i, "dec2"))});
    }
    return out;
}

struct Catalogue {
    const char* name;
    const sky_position* list;
    int count;
    int expected_count;
    std::vector<sky_position> (*table)();
};

const Catalogue catalogues[] = {
    {"pulsar_list", pulsar_list, pulsar_count, 1274, pulsar_table},
    {"snr_list", snr_list, snr_count, 231, snr_table},
    {"starlist", starlist, starlist_count, 1364, star_table},
    {"xray_list", xray_list, xray_count, 6, xray_table},
};

std::vector<sky_position> as_vector(const sky_position* list, int count) { return {list, list + count}; }

// Equal keys for equal bits: how the display tells a repeated star.
uint64_t key(const sky_position& p) { return (uint64_t)bits(p.ra) << 32 | bits(p.dec); }

std::vector<sky_position> distinct(const std::vector<sky_position>& v) {
    std::vector<sky_position> out;
    std::set<uint64_t> seen;
    for (auto& p : v)
        if (seen.insert(key(p)).second) out.push_back(p);
    return out;
}

// A value shown with `places` decimals in a listing.
void expect_shows_as(float value, double shown, int places, const std::string& what) {
    EXPECT_LE(std::fabs(value - shown), 0.5 * std::pow(10.0, -places) + 1e-6) << what << " is " << value;
}

// Galactic longitude in degrees from J2000 right ascension and declination
// (north Galactic pole at 192.85948, 27.12825; north celestial pole at l = 122.93192).
double galactic_longitude(double ra, double dec) {
    const double deg = pi / 180;
    const double ra_pole = 192.85948 * deg, dec_pole = 27.12825 * deg, l_ncp = 122.93192 * deg;
    double a = ra * deg, d = dec * deg;
    double y = std::cos(d) * std::sin(a - ra_pole);
    double x = std::sin(d) * std::cos(dec_pole) - std::cos(d) * std::sin(dec_pole) * std::cos(a - ra_pole);
    double l = std::fmod((l_ncp - std::atan2(y, x)) / deg, 360.0);
    return l < 0 ? l + 360 : l;
}

}  // namespace

// ================================================================== arrays = tables

TEST(CatalogueTables, CompiledArraysEqualTheTablesBitForBit) {
    for (const Catalogue& c : catalogues) {
        SCOPED_TRACE(c.name);
        std::vector<sky_position> expected = c.table();
        ASSERT_EQ((size_t)c.count, expected.size());
        for (int i = 0; i < c.count; i++) {
            EXPECT_TRUE(same_bits(c.list[i], expected[(size_t)i]))
                << "entry " << i << ": compiled (" << c.list[i].ra << ", " << c.list[i].dec << "), table ("
                << expected[(size_t)i].ra << ", " << expected[(size_t)i].dec << ")";
        }
    }
}

TEST(CatalogueTables, SnrDecimalColumnsAgreeWithSexagesimal) {
    // The tables carry both forms; the arrays use the exact one.
    Table t = read_table("snr.csv");
    for (size_t i = 0; i < t.rows.size(); i++) {
        EXPECT_NEAR(std::stod(t.at(i, "ra")), seconds_of_time(t.at(i, "ra_hms")) / 240.0, 1e-6) << i;
        EXPECT_NEAR(std::stod(t.at(i, "dec")), arc_minutes(t.at(i, "dec_dm")) / 60.0, 1e-6) << i;
    }
}

TEST(CatalogueTables, EachStarHasOnePositionAtEverySegmentEnd) {
    // The star-point layer finds repeated stars by equal bits.
    Table t = read_table("constellation_segments.csv");
    std::map<std::string, sky_position> star_of_hip;
    for (size_t k = 0; k < t.rows.size(); k++) {
        for (int end = 0; end < 2; end++) {
            std::string hip = t.at(k, end ? "hip2" : "hip1");
            const sky_position& p = starlist[2 * k + (size_t)end];
            auto inserted = star_of_hip.emplace(hip, p);
            EXPECT_TRUE(same_bits(inserted.first->second, p)) << "HIP " << hip << " at segment " << k;
        }
    }
    EXPECT_EQ(star_of_hip.size(), 690u);
}

// ================================================================== all catalogues

TEST(CatalogueInvariants, CountsRangesAndSwitches) {
    for (const Catalogue& c : catalogues) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.count, c.expected_count);
        for (int i = 0; i < c.count; i++) {
            EXPECT_TRUE(c.list[i].ra >= 0.0f && c.list[i].ra < 360.0f) << i << ": ra " << c.list[i].ra;
            EXPECT_TRUE(c.list[i].dec >= -90.0f && c.list[i].dec <= 90.0f) << i << ": dec " << c.list[i].dec;
        }
    }
    EXPECT_TRUE(show_pulsars);
    EXPECT_TRUE(show_snr);
    EXPECT_TRUE(show_stars);
    EXPECT_TRUE(show_constellations);
    EXPECT_TRUE(show_xray);
}

// ================================================================== pulsar_list

TEST(PulsarList, ListedRowsAndEqualities) {
    const struct { int index; float ra, dec; } listed[] = {
        {0, 75.58f, 22.01f},   {1, 5.96f, -72.08f},    {2, 6.06f, -72.08f},    {3, 6.02f, -72.08f},
        {4, 6.03f, -72.08f},   {5, 6.02f, -72.08f},    {6, 5.98f, -72.09f},    {7, 6.04f, -72.07f},
        {8, 7.61f, 4.86f},     {13, 260.27f, -24.95f}, {14, 10.13f, 57.27f},   {346, 358.52f, 61.93f},
        {347, 1.52f, 18.58f},  {348, 6.04f, -72.07f},  {1273, 356.71f, -6.17f},
    };
    for (auto& row : listed) {
        EXPECT_EQ(bits(pulsar_list[row.index].ra), bits(row.ra)) << "index " << row.index;
        EXPECT_EQ(bits(pulsar_list[row.index].dec), bits(row.dec)) << "index " << row.index;
    }
    EXPECT_TRUE(same_bits(pulsar_list[5], pulsar_list[3]));
    EXPECT_TRUE(same_bits(pulsar_list[348], pulsar_list[7]));
    for (int i = 1; i <= 7; i++)
        for (int j = 1; j <= 7; j++) {
            EXPECT_LE(std::fabs(pulsar_list[i].ra - pulsar_list[j].ra), 0.1f + 1e-5f) << i << "," << j;
            EXPECT_LE(std::fabs(pulsar_list[i].dec - pulsar_list[j].dec), 0.1f + 1e-5f) << i << "," << j;
        }
}

TEST(PulsarList, RightAscensionExtremes) {
    auto ras = as_vector(pulsar_list, pulsar_count);
    auto less_ra = [](const sky_position& a, const sky_position& b) { return a.ra < b.ra; };
    EXPECT_EQ(std::min_element(ras.begin(), ras.end(), less_ra)->ra, 1.52f);
    EXPECT_EQ(std::max_element(ras.begin(), ras.end(), less_ra)->ra, 358.52f);
}

TEST(PulsarList, SharedPositions) {
    std::map<uint64_t, int> entries_at;
    for (int i = 0; i < pulsar_count; i++) entries_at[key(pulsar_list[i])]++;
    EXPECT_EQ(entries_at.size(), 1255u);
    int most = 0, positions_with_most = 0;
    for (auto& e : entries_at) {
        if (e.second > most) most = e.second, positions_with_most = 0;
        positions_with_most += e.second == most;
    }
    EXPECT_EQ(most, 7);
    EXPECT_EQ(positions_with_most, 1);
}

TEST(PulsarList, HundredthOfADegreePrecision) {
    for (int i = 0; i < pulsar_count; i++) {
        for (float v : {pulsar_list[i].ra, pulsar_list[i].dec}) {
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", v);
            EXPECT_EQ(bits(decimal_float(text)), bits(v)) << "entry " << i << ": " << v;
        }
    }
}

// ================================================================== snr_list

TEST(SnrList, ListedRows) {
    const struct { int index; double ra, dec; } listed[] = {
        {0, 266.4333, -29.0000}, {1, 266.5625, -28.6333}, {2, 266.8375, -28.1500},
        {229, 266.3750, -29.9500}, {230, 264.9000, -29.1833},
    };
    for (auto& row : listed) {
        expect_shows_as(snr_list[row.index].ra, row.ra, 4, "ra of " + std::to_string(row.index));
        expect_shows_as(snr_list[row.index].dec, row.dec, 4, "dec of " + std::to_string(row.index));
    }
}

TEST(SnrList, WholeSecondsOfTimeAndWholeArcMinutes) {
    for (int i = 0; i < snr_count; i++) {
        long seconds = std::lround(snr_list[i].ra * 240.0);
        long minutes = std::lround(snr_list[i].dec * 60.0);
        EXPECT_EQ(bits(snr_list[i].ra), bits(nearest_float(seconds, 240))) << "entry " << i;
        EXPECT_EQ(bits(snr_list[i].dec), bits(nearest_float(minutes, 60))) << "entry " << i;
    }
}

TEST(SnrList, OrderedByGalacticLongitude) {
    std::vector<double> l;
    for (int i = 0; i < snr_count; i++) l.push_back(galactic_longitude(snr_list[i].ra, snr_list[i].dec));
    auto from_zero = [](double x) { return std::min(x, 360 - x); };
    for (int i = 1; i < snr_count; i++) EXPECT_GE(from_zero(l[i]), from_zero(l[0])) << "entry " << i;
    EXPECT_NEAR(l.back(), 359.1, 0.05);

    // Steps are taken across 0/360, so the wrap from 359.9 to 0.3 is a rise.
    int descents = 0;
    for (int i = 1; i < snr_count; i++) {
        double step = std::remainder(l[i] - l[i - 1], 360.0);
        descents += step < 0;
        EXPECT_GE(step, -0.8) << "entry " << i << " lies too far below its predecessor";
    }
    EXPECT_EQ(descents, 12);
}

// ================================================================== starlist

TEST(Starlist, SegmentsAndDistinctStars) {
    ASSERT_EQ(starlist_count % 2, 0);
    const int segments = starlist_count / 2;
    EXPECT_EQ(segments, 682);

    auto stars = distinct(as_vector(starlist, starlist_count));
    EXPECT_EQ(stars.size(), 690u);

    // A repeated segment joins the same two stars, in either direction.
    std::set<std::pair<uint64_t, uint64_t>> joined;
    int repeats = 0;
    for (int k = 0; k < segments; k++) {
        uint64_t a = key(starlist[2 * k]), b = key(starlist[2 * k + 1]);
        EXPECT_NE(a, b) << "segment " << k << " has equal ends";
        repeats += !joined.insert(std::minmax(a, b)).second;
    }
    EXPECT_EQ(repeats, 9);
}

TEST(Starlist, DistinctStarsAreApartAndHaveTheirOwnRightAscension) {
    auto stars = distinct(as_vector(starlist, starlist_count));
    for (size_t i = 0; i < stars.size(); i++)
        for (size_t j = i + 1; j < stars.size(); j++) {
            EXPECT_FALSE(std::fabs(stars[i].ra - stars[j].ra) < 0.05f && std::fabs(stars[i].dec - stars[j].dec) < 0.05f)
                << "stars at (" << stars[i].ra << ", " << stars[i].dec << ") and (" << stars[j].ra << ", "
                << stars[j].dec << ")";
            EXPECT_NE(bits(stars[i].ra), bits(stars[j].ra)) << "two stars at ra " << stars[i].ra;
        }
}

TEST(Starlist, ListedSegmentsAndExtremes) {
    const struct { int segment; double ra1, dec1, ra2, dec2; } listed[] = {
        {0, 298.8282, 6.4079, 297.6945, 8.8674},     {1, 297.6945, 8.8674, 296.5649, 10.6133},
        {2, 297.6945, 8.8674, 291.3740, 3.1146},     {3, 291.3740, 3.1146, 298.1182, 1.0057},
        {681, 136.9991, -43.4326, 122.3831, -47.3366},
    };
    for (auto& row : listed) {
        std::string s = "segment " + std::to_string(row.segment);
        expect_shows_as(starlist[2 * row.segment].ra, row.ra1, 4, s + " ra1");
        expect_shows_as(starlist[2 * row.segment].dec, row.dec1, 4, s + " dec1");
        expect_shows_as(starlist[2 * row.segment + 1].ra, row.ra2, 4, s + " ra2");
        expect_shows_as(starlist[2 * row.segment + 1].dec, row.dec2, 4, s + " dec2");
    }
    auto ends = as_vector(starlist, starlist_count);
    auto less_dec = [](const sky_position& a, const sky_position& b) { return a.dec < b.dec; };
    sky_position north = *std::max_element(ends.begin(), ends.end(), less_dec);
    sky_position south = *std::min_element(ends.begin(), ends.end(), less_dec);
    expect_shows_as(north.ra, 37.9461, 4, "northernmost ra");
    expect_shows_as(north.dec, 89.2641, 4, "northernmost dec");
    expect_shows_as(south.ra, 216.7323, 4, "southernmost ra");
    expect_shows_as(south.dec, -83.6679, 4, "southernmost dec");
}

// ================================================================== xray_list

TEST(XrayList, AllSixRows) {
    const sky_position listed[] = {
        {270.1400f, -36.9767f}, {125.4889f, -31.3843f}, {255.8537f, -30.6232f},
        {270.1166f, -29.4083f}, {270.2275f, -33.7729f}, {240.3320f, -15.6404f},
    };
    ASSERT_EQ(xray_count, 6);
    for (int i = 0; i < 6; i++) EXPECT_TRUE(same_bits(xray_list[i], listed[i])) << "entry " << i;
}
