// The preference text and the settings it gives.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "controls/project_prefs.h"
#include "graphics/frame.h"
#include "stderr_capture.h"

namespace {

struct prefs_values {
    bool static_decorations;
    bool show_decorations;
    int language;
    int lucky;
    double lon;
    double lat;
    int punishment;
};

// The values every case starts from; each case lists what it expects after.
const prefs_values before = {true, false, LANGUAGE_NONE, 7, 1.5, -2.5, PUNISHMENT_NONE};

void set_values(const prefs_values& v) {
    static_decorations = v.static_decorations;
    show_decorations = v.show_decorations;
    language_code = v.language;
    lucky_number = v.lucky;
    search_location_lon = v.lon;
    search_location_lat = v.lat;
    punishment_code = v.punishment;
}

prefs_values current_values() {
    return {static_decorations, show_decorations, language_code, lucky_number,
            search_location_lon, search_location_lat, punishment_code};
}

void expect_values(const prefs_values& want, const std::string& label) {
    prefs_values got = current_values();
    EXPECT_EQ(got.static_decorations, want.static_decorations) << label;
    EXPECT_EQ(got.show_decorations, want.show_decorations) << label;
    EXPECT_EQ(got.language, want.language) << label;
    EXPECT_EQ(got.lucky, want.lucky) << label;
    EXPECT_EQ(got.lon, want.lon) << label;
    EXPECT_EQ(got.lat, want.lat) << label;
    EXPECT_EQ(got.punishment, want.punishment) << label;
}

prefs_values with_decorations(bool stat, bool show) {
    prefs_values v = before;
    v.static_decorations = stat;
    v.show_decorations = show;
    return v;
}

struct prefs_case {
    const char* name;
    prefs_values start;
    const char* xml;
    prefs_values want;
    // Whether the result holds inside an enclosing element too: a text
    // that ends without a '<' after the element gains one from the closing tag.
    bool well_formed = true;
};

prefs_values changed(void (*edit)(prefs_values&)) {
    prefs_values v = before;
    edit(v);
    return v;
}

const std::vector<prefs_case>& cases() {
    static const std::vector<prefs_case> table = {
        {"no hides", with_decorations(true, true),
         "<static_decorations>no</static_decorations>", with_decorations(false, false)},
        {"yes with blanks", with_decorations(false, false),
         "<static_decorations>  yes \n\t</static_decorations>", with_decorations(true, true)},
        {"Yes matches nothing but copies", with_decorations(false, true),
         "<static_decorations>Yes</static_decorations>", with_decorations(false, false)},
        {"empty element copies", with_decorations(true, false),
         "<static_decorations></static_decorations>", with_decorations(true, true)},
        {"unknown text copies", with_decorations(false, true),
         "<static_decorations>perhaps</static_decorations>", with_decorations(false, false)},
        {"no closing tag still counts", with_decorations(true, true),
         "<static_decorations>no<", with_decorations(false, false)},
        {"no '<' after the element: absent", with_decorations(true, false),
         "<static_decorations>no", with_decorations(true, false), false},
        {"English", before, "<language>English</language>",
         changed([](prefs_values& v) { v.language = LANGUAGE_ENGLISH; })},
        {"Deutsch", before, "<language>Deutsch</language>",
         changed([](prefs_values& v) { v.language = LANGUAGE_DEUTSCH; })},
        {"deutsch in lower case", before, "<language>deutsch</language>", before},
        {"another language", before, "<language>Francais</language>", before},
        {"character reference decoded", before, "<language>&#68;eutsch</language>",
         changed([](prefs_values& v) { v.language = LANGUAGE_DEUTSCH; })},
        {"lucky decimal", before, "<lucky_number> 42 </lucky_number>",
         changed([](prefs_values& v) { v.lucky = 42; })},
        {"lucky 0x10 is 16", before, "<lucky_number>0x10</lucky_number>",
         changed([](prefs_values& v) { v.lucky = 16; })},
        {"lucky 010 is octal", before, "<lucky_number>010</lucky_number>",
         changed([](prefs_values& v) { v.lucky = 8; })},
        {"lucky word is 0", before, "<lucky_number>seven</lucky_number>",
         changed([](prefs_values& v) { v.lucky = 0; })},
        {"lucky beyond long keeps", before, "<lucky_number>99999999999999999999999</lucky_number>",
         before},
        {"location", before,
         "<search_location_lon>-71.0625</search_location_lon><search_location_lat>42.25</search_location_lat>",
         changed([](prefs_values& v) { v.lon = -71.0625; v.lat = 42.25; })},
        {"location word is 0", before, "<search_location_lat>north</search_location_lat>",
         changed([](prefs_values& v) { v.lat = 0.0; })},
        {"non-finite location kept", before,
         "<search_location_lon>inf</search_location_lon><search_location_lat>nan</search_location_lat>",
         before},
        {"overflowing location kept", before, "<search_location_lon>1e999</search_location_lon>", before},
        {"Mess Duty", before, "<punishment>Mess Duty</punishment>",
         changed([](prefs_values& v) { v.punishment = PUNISHMENT_MESS_DUTY; })},
        {"Keel Haul", before, "<punishment>Keel Haul</punishment>",
         changed([](prefs_values& v) { v.punishment = PUNISHMENT_KEEL_HAUL; })},
        {"Cat o' Nine Tails is 3 too", before, "<punishment>Cat o' Nine Tails</punishment>",
         changed([](prefs_values& v) { v.punishment = 3; })},
        {"keel haul in lower case", before, "<punishment>keel haul</punishment>", before},
        {"order of elements is free", with_decorations(true, true),
         "<punishment>Mess Duty</punishment><lucky_number>3</lucky_number><static_decorations>no</static_decorations>",
         changed([](prefs_values& v) {
             v.static_decorations = v.show_decorations = false;
             v.lucky = 3;
             v.punishment = PUNISHMENT_MESS_DUTY;
         })},
        {"first of repeated elements wins", before,
         "<language>English</language><language>Deutsch</language>",
         changed([](prefs_values& v) { v.language = LANGUAGE_ENGLISH; })},
        {"nested element reads as empty", with_decorations(false, true),
         "<static_decorations><static_decorations>yes</static_decorations></static_decorations>",
         with_decorations(false, false)},
        {"text after a zero byte is not seen", before, "<language>English\0</language>", before, false},
        {"unknown elements ignored", before, "<colour>red</colour><static>no</static>", before},
    };
    return table;
}

void run_case(const prefs_case& c, const std::string& xml, const std::string& label) {
    set_values(c.start);
    StderrCapture log;
    parse_projectd_prefs(xml.c_str());
    EXPECT_EQ(log.text(), "GFX: parse_projectd_prefs(..) parsing:\n" + xml + "\n") << label;
    expect_values(c.want, label);
}

}  // namespace

TEST(ProjectPrefs, ElementTable) {
    for (const prefs_case& c : cases()) run_case(c, c.xml, c.name);
}

// A client sends the text inside <project_preferences>: same results.
TEST(ProjectPrefs, EnclosingElementChangesNothing) {
    for (const prefs_case& c : cases()) {
        if (!c.well_formed) continue;
        std::string wrapped = std::string("<project_preferences>\n") + c.xml + "\n</project_preferences>\n";
        run_case(c, wrapped, std::string(c.name) + " (enclosed)");
    }
}

TEST(ProjectPrefs, NullPointerLogsNullAndChangesNothing) {
    set_values(before);
    StderrCapture log;
    parse_projectd_prefs(nullptr);
    EXPECT_EQ(log.text(), "GFX: parse_projectd_prefs(..) parsing:\n(null)\n");
    expect_values(before, "null");
}

TEST(ProjectPrefs, AbsentElementsKeepEarlierValues) {
    set_values(before);
    StderrCapture log;
    parse_projectd_prefs(
        "<project_preferences><static_decorations>no</static_decorations><language>Deutsch</language>"
        "<lucky_number>13</lucky_number><search_location_lon>10.5</search_location_lon>"
        "<search_location_lat>-33.75</search_location_lat><punishment>Keel Haul</punishment>"
        "</project_preferences>");
    show_decorations = true;  // a keyboard toggle in between
    parse_projectd_prefs("<project_preferences><language>English</language></project_preferences>");
    prefs_values want = {false, true, LANGUAGE_ENGLISH, 13, 10.5, -33.75, PUNISHMENT_KEEL_HAUL};
    expect_values(want, "second text without most elements");
    parse_projectd_prefs("");
    expect_values(want, "empty text");
}

// Texts no client should send: no crash, no read past the end, sane values.
TEST(ProjectPrefs, HugeAndBinaryTexts) {
    set_values(before);
    std::string huge(8 << 20, 'x');
    huge += "<static_decorations>no</static_decorations><language>" + std::string(5000, 'D') +
            "</language><punishment>Keel Haul";
    {
        StderrCapture log;
        parse_projectd_prefs(huge.c_str());
        EXPECT_EQ(log.text().size(), huge.size() + 40);
    }
    EXPECT_FALSE(static_decorations);
    EXPECT_EQ(language_code, LANGUAGE_NONE);
    EXPECT_EQ(punishment_code, PUNISHMENT_NONE);

    std::string binary;
    for (int i = 1; i < 256 * 64; ++i) binary += (char)(i % 255 + 1);
    binary += "<lucky_number>\x01\xff 5";
    {
        StderrCapture log;
        parse_projectd_prefs(binary.c_str());
    }
    EXPECT_EQ(lucky_number, 0);
    EXPECT_TRUE(std::isfinite(search_location_lon));
}
