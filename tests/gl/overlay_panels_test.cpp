// The text overlays on real OpenGL: one bitmap token per glyph in feedback
// mode (raster position and colour), and the glyphs themselves compared
// pixel for pixel with the same text drawn straight through freeglut.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/search_state.h"
#include "fbcapture.h"
#include "graphics/frame.h"
#include "graphics/overlay.h"
#include "graphics/text_utils.h"
#include "graphics/panels.h"
#include "sky/sky_clock.h"

namespace {

const int width = 640, height = 480;
const double pixel_x = 1.0 / width;   // overlay units per pixel
const double near_tolerance = 1e-4;

struct glyph {
    double x, y, z;
    float r, g, b;
};

struct text_line {
    float x, y, z;
    std::string text;   // as the program passes it (UTF-8)
    void* font;
    float r, g, b;
};

const float panel_blue[3] = {0.5f, 0.5f, 1.0f};

text_line panel_line(float x, float y, float z, const std::string& text) {
    return {x, y, z, text, GLUT_BITMAP_HELVETICA_12, panel_blue[0], panel_blue[1], panel_blue[2]};
}

// Captures with the overlay's own projection, so that unprojected raster
// positions come back in overlay units.
std::vector<glyph> glyphs_of(const std::function<void()>& draw) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    std::vector<glyph> out;
    for (const FbPrim& p : capture_feedback(draw, 1 << 16).prims)
        if (p.kind == FbPrim::Bitmap)
            out.push_back({p.v[0].x, p.v[0].y, p.v[0].z, p.v[0].r, p.v[0].g, p.v[0].b});
    return out;
}

std::vector<unsigned char> pixels_of(const std::function<void()>& draw) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw();
    glFinish();
    std::vector<unsigned char> px(width * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    return px;
}

// The expected lines drawn directly through freeglut, glyph codes as decoded.
void draw_reference(const std::vector<text_line>& lines) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 1, 0, 1, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    for (const text_line& l : lines) {
        glColor3f(l.r, l.g, l.b);
        glRasterPos3f(l.x, l.y, l.z);
        for (unsigned char c : latin1_glyphs(l.text.c_str())) glutBitmapCharacter(l.font, c);
    }
}

size_t glyph_count(const std::vector<text_line>& lines) {
    size_t n = 0;
    for (const text_line& l : lines) n += latin1_glyphs(l.text.c_str()).size();
    return n;
}

// Every glyph token in order: position advancing by the font's widths, colour.
void expect_glyphs_match(const std::vector<glyph>& got, const std::vector<text_line>& lines) {
    ASSERT_EQ(got.size(), glyph_count(lines));
    size_t k = 0;
    for (const text_line& l : lines) {
        double x = l.x;
        for (unsigned char c : latin1_glyphs(l.text.c_str())) {
            const glyph& g = got[k++];
            SCOPED_TRACE(l.text + " at glyph " + std::to_string(k));
            EXPECT_NEAR(g.x, x, near_tolerance);
            EXPECT_NEAR(g.y, l.y, near_tolerance);
            EXPECT_NEAR(g.z, l.z, near_tolerance);
            EXPECT_FLOAT_EQ(g.r, l.r);
            EXPECT_FLOAT_EQ(g.g, l.g);
            EXPECT_FLOAT_EQ(g.b, l.b);
            x += glutBitmapWidth(l.font, c) * pixel_x;
        }
    }
}

// Tokens for positions and colours, pixels for the glyphs themselves.
void expect_draws(const std::function<void()>& draw, const std::vector<text_line>& lines) {
    expect_glyphs_match(glyphs_of(draw), lines);
    auto got = pixels_of([&] {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        draw();
    });
    auto want = pixels_of([&] { draw_reference(lines); });
    size_t lit = 0;
    for (unsigned char v : want) lit += v != 0;
    EXPECT_GT(lit, 0u);
    EXPECT_TRUE(got == want) << "the drawn glyphs differ from the expected text";
}

float line_y(int first_line_steps, int line) { return first_line_steps * line_step - line * line_step; }

class OverlayPanels : public ::testing::Test {
  protected:
    APP_INIT_DATA saved_data;
    bool saved_decorations = show_decorations, saved_clock = show_clock;
    double saved_offset = clock_offset, saved_fraction = fraction_done;
    bool saved_started = search_started;
    float saved_ra = search_ra, saved_dec = search_dec;
    int saved_searched = n_searched;
    int saved_width = window_width, saved_height = window_height;

    void SetUp() override {
        saved_data = gfx_init_data;
        glViewport(0, 0, width, height);
        // A window in which every text stands at its given place; the
        // default window, where some would be cut, has tests of its own.
        window_width = 1920;
        window_height = 1080;
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_FOG);
        glDisable(GL_BLEND);
        show_decorations = true;
        show_clock = false;
        clock_offset = 0;
        strcpy(gfx_init_data.user_name, "Ann Example");
        strcpy(gfx_init_data.team_name, "Team Tide");
        strcpy(gfx_init_data.app_name, "tidewrack");
        gfx_init_data.user_total_credit = 1234.5;
        gfx_init_data.host_total_credit = 67.891;
        fraction_done = 0.0;
        search_started = false;
        search_ra = 0.0f;
        search_dec = 100.0f;
        n_searched = 0;
    }
    void TearDown() override {
        gfx_init_data = saved_data;
        window_width = saved_width;
        window_height = saved_height;
        glViewport(0, 0, width, height);
        show_decorations = saved_decorations;
        show_clock = saved_clock;
        clock_offset = saved_offset;
        fraction_done = saved_fraction;
        search_started = saved_started;
        search_ra = saved_ra;
        search_dec = saved_dec;
        n_searched = saved_searched;
    }
    void start_search() {
        search_ra = 83.63f;
        search_dec = -22.01f;
        n_searched = 1260;
        search_started = true;
    }
};

text_line user_line(int line, const std::string& text) { return panel_line(0.03f, line_y(5, line), -0.5f, text); }
text_line search_line(int line, const std::string& text) { return panel_line(0.87f, line_y(6, line), -0.5f, text); }
text_line version_line(const std::string& text) { return panel_line(0.47f, 0.015f, 0.15f, text); }

}  // namespace

TEST_F(OverlayPanels, UserPanelShowsNameCreditsAndTeam) {
    expect_draws(draw_user_panel, {user_line(0, "User: Ann Example"),
                                   user_line(1, "Total Credit: 1234.50"),
                                   user_line(2, "Host Credit:    67.89 "),
                                   user_line(3, "Team: Team Tide")});
}

TEST_F(OverlayPanels, PercentLineFollowsTheTeamOrTakesItsPlace) {
    fraction_done = 0.5;
    expect_draws(draw_user_panel, {user_line(0, "User: Ann Example"),
                                   user_line(1, "Total Credit: 1234.50"),
                                   user_line(2, "Host Credit:    67.89 "),
                                   user_line(3, "Team: Team Tide"),
                                   user_line(4, "Percent Done: 50.00%")});
    gfx_init_data.team_name[0] = '\0';
    gfx_init_data.user_name[0] = '\0';
    expect_draws(draw_user_panel, {user_line(0, "User: "),
                                   user_line(1, "Total Credit: 1234.50"),
                                   user_line(2, "Host Credit:    67.89 "),
                                   user_line(3, "Percent Done: 50.00%")});
    EXPECT_NEAR(line_y(5, 3), 0.06, 1e-6);
}

TEST_F(OverlayPanels, NoPercentLineAtOrBelowTheThreshold) {
    for (double fraction : {0.00005, 0.0001}) {
        fraction_done = fraction;
        EXPECT_EQ(glyphs_of(draw_user_panel).size(),
                  glyph_count({user_line(0, "User: Ann Example"), user_line(1, "Total Credit: 1234.50"),
                               user_line(2, "Host Credit:    67.89 "), user_line(3, "Team: Team Tide")}));
    }
}

TEST_F(OverlayPanels, NamesInUtf8DrawTheirLatin1Glyphs) {
    strcpy(gfx_init_data.user_name, "Zo\xC3\xAB");             // Zoë
    strcpy(gfx_init_data.team_name, "\xE6\x9D\x8E" "Tide");    // a CJK character
    auto got = glyphs_of(draw_user_panel);
    ASSERT_GT(got.size(), 9u);
    // "User: Zo" then one glyph for ë, at the advance of 'o'.
    EXPECT_NEAR(got[8].x - got[7].x, glutBitmapWidth(GLUT_BITMAP_HELVETICA_12, 'o') * pixel_x, near_tolerance);
    expect_draws(draw_user_panel, {user_line(0, "User: Zo\xC3\xAB"),
                                   user_line(1, "Total Credit: 1234.50"),
                                   user_line(2, "Host Credit:    67.89 "),
                                   user_line(3, "Team: ?Tide")});
    // And the ë is the Latin-1 glyph 0xEB, not a blank: it has pixels of its own.
    auto with_e = pixels_of([] { draw_reference({user_line(0, "\xC3\xAB")}); });
    size_t lit = 0;
    for (unsigned char v : with_e) lit += v != 0;
    EXPECT_GT(lit, 10u);
}

TEST_F(OverlayPanels, LongTeamNameIsCutToTheLineBuffer) {
    memset(gfx_init_data.team_name, 'x', 255);
    gfx_init_data.team_name[255] = '\0';
    strcpy(gfx_init_data.user_name, "U");
    auto got = glyphs_of(draw_user_panel);
    // "User: U", two credit lines, then "Team: " + 249 x: 255 bytes of a 256-byte buffer.
    size_t before = glyph_count({user_line(0, "User: U"), user_line(1, "Total Credit: 1234.50"),
                                 user_line(2, "Host Credit:    67.89 ")});
    EXPECT_EQ(got.size(), before + 255);
    EXPECT_EQ(gfx_init_data.team_name[255], '\0');
}

TEST_F(OverlayPanels, SearchPanelIsAbsentBeforeTheFirstTarget) {
    show_clock = true;
    EXPECT_TRUE(glyphs_of([] { draw_search_panel(1765152000.0); }).empty());
    start_search();
    show_decorations = false;
    EXPECT_TRUE(glyphs_of([] { draw_search_panel(1765152000.0); }).empty());
    EXPECT_TRUE(glyphs_of(draw_user_panel).empty());
}

TEST_F(OverlayPanels, SearchPanelShowsTargetCountClockAndVersion) {
    start_search();
    show_clock = true;
    expect_draws([] { draw_search_panel(1765152000.0 + 45296.4); },
                 {search_line(0, "Search Information:"), search_line(1, " RA:      83.63"),
                  search_line(2, " DEC:   -22.01"), search_line(3, " Searched:      1260"),
                  search_line(4, " 12:34:56 GMT"), version_line("tidewrack 4.87")});
}

// A graphics program beside a suspended task: the notice stands above the
// search panel, also before the first target and with the panels hidden.
TEST_F(OverlayPanels, SuspendedTaskIsNotedAboveTheSearchPanel) {
    task_suspended = true;
    show_decorations = false;
    expect_draws([] { draw_search_panel(0); }, {search_line(-1, "Suspended")});
    task_suspended = false;
    EXPECT_TRUE(glyphs_of([] { draw_search_panel(0); }).empty());
}

TEST_F(OverlayPanels, ClockLineAtMidnightAndPast2038WithTheClockOffset) {
    start_search();
    show_clock = true;
    clock_offset = 0.5;
    expect_draws([] { draw_search_panel(1765152000.0 + 0.2); },
                 {search_line(0, "Search Information:"), search_line(1, " RA:      83.63"),
                  search_line(2, " DEC:   -22.01"), search_line(3, " Searched:      1260"),
                  search_line(4, " 00:00:00 GMT"), version_line("tidewrack 4.87")});
    clock_offset = 0;
    expect_draws([] { draw_search_panel(2208988800.0 + 45296.0); },   // 2040-01-01
                 {search_line(0, "Search Information:"), search_line(1, " RA:      83.63"),
                  search_line(2, " DEC:   -22.01"), search_line(3, " Searched:      1260"),
                  search_line(4, " 12:34:56 GMT"), version_line("tidewrack 4.87")});
}

TEST_F(OverlayPanels, ClockOffLeavesFourLinesAndTheVersion) {
    start_search();
    expect_draws([] { draw_search_panel(1765152000.0); },
                 {search_line(0, "Search Information:"), search_line(1, " RA:      83.63"),
                  search_line(2, " DEC:   -22.01"), search_line(3, " Searched:      1260"),
                  version_line("tidewrack 4.87")});
}

TEST_F(OverlayPanels, LongAppNameIsCutInTheVersionLine) {
    start_search();
    memset(gfx_init_data.app_name, 'a', 255);
    gfx_init_data.app_name[255] = '\0';
    auto got = glyphs_of([] { draw_search_panel(0); });
    size_t panel = glyph_count({search_line(0, "Search Information:"), search_line(1, " RA:      83.63"),
                                search_line(2, " DEC:   -22.01"), search_line(3, " Searched:      1260")});
    EXPECT_EQ(got.size(), panel + 254);   // a 255-byte buffer
    ASSERT_FALSE(got.empty());
    std::string version(254, 'a');   // what the 255-byte buffer keeps
    int version_width = glutBitmapLength(GLUT_BITMAP_HELVETICA_12, (const unsigned char*)version.c_str());
    EXPECT_NEAR(got[panel].x * window_width + version_width + 2, window_width, 1e-3)
        << "too wide for its place: it ends two pixels inside the right edge";
    strcpy(gfx_init_data.app_name, "tidewrack");
    got = glyphs_of([] { draw_search_panel(0); });
    EXPECT_NEAR(got[panel].x, 0.47, near_tolerance);
}

TEST_F(OverlayPanels, TitleInRedTimesRomanAtTheTop) {
    auto got = glyphs_of(draw_title);
    expect_glyphs_match(got, {{0.45f, 0.97f, -0.95f, "Tidewrack", GLUT_BITMAP_TIMES_ROMAN_24, 0.7f, 0.0f, 0.0f}});
    show_decorations = false;
    EXPECT_TRUE(glyphs_of(draw_title).empty());
}

// Where its given place would cut text at the window's edge, only that
// text moves, just inside the edge; everything else keeps its place.
TEST_F(OverlayPanels, SmallWindowsMoveOnlyWhatWouldBeCut) {
    start_search();
    show_clock = true;
    fraction_done = 0.5;
    const char* search_lines[] = {"Search Information:", " RA:      83.63", " DEC:   -22.01",
                                  " Searched:      1260", " 12:34:56 GMT"};
    for (auto size : {std::make_pair(640, 480), std::make_pair(400, 300)}) {
        int w = size.first, h = size.second;
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        window_width = w;
        window_height = h;
        glViewport(0, 0, w, h);

        auto search = glyphs_of([] { draw_search_panel(1765152000.0 + 45296.4); });
        ASSERT_EQ(search.size(), glyph_count({search_line(0, search_lines[0]), search_line(1, search_lines[1]),
                                              search_line(2, search_lines[2]), search_line(3, search_lines[3]),
                                              search_line(4, search_lines[4]), version_line("tidewrack 4.87")}));
        int widest = 0;
        for (const char* line : search_lines)
            widest = std::max(widest, glutBitmapLength(GLUT_BITMAP_HELVETICA_12, (const unsigned char*)line));
        double x = search[0].x;
        EXPECT_LT(x, 0.87);
        EXPECT_NEAR(x * w + widest, w - 2, 1e-3) << "the widest line ends two pixels inside the right edge";
        size_t k = 0;
        for (int line = 0; line < 5; ++line) {
            EXPECT_NEAR(search[k].x, x, near_tolerance);
            EXPECT_NEAR(search[k].y, line_y(6, line), near_tolerance) << "lines keep their heights";
            k += strlen(search_lines[line]);
        }
        EXPECT_NEAR(search[k].x, 0.47, near_tolerance);
        EXPECT_NEAR(search[k].y, 0.015, 0.002 + 1e-6);   // kept, or lifted to clear its descenders

        auto title = glyphs_of(draw_title);
        ASSERT_FALSE(title.empty());
        EXPECT_NEAR(title[0].x, 0.45, near_tolerance);
        EXPECT_NEAR(title[0].y * h + 17 + 2, h, 1e-3) << "tall letters end two pixels below the top";

        auto user = glyphs_of(draw_user_panel);
        ASSERT_FALSE(user.empty());
        EXPECT_NEAR(user[0].x, 0.03, near_tolerance);
        EXPECT_NEAR(user[0].y, 0.15, near_tolerance);
    }
}

TEST_F(OverlayPanels, EachOverlayRestoresBothMatrices) {
    start_search();
    show_clock = true;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glTranslatef(0.25f, 0, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(30, 0, 1, 0);
    GLfloat projection[16], modelview[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    for (auto draw : {+[] { draw_user_panel(); }, +[] { draw_search_panel(0); }, +[] { draw_title(); },
                      +[] { draw_corner_ripples(1.0); }}) {
        draw();
        GLint mode;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        glGetFloatv(GL_MODELVIEW_MATRIX, after);
        EXPECT_EQ(0, memcmp(after, modelview, sizeof after));
        glGetFloatv(GL_PROJECTION_MATRIX, after);
        EXPECT_EQ(0, memcmp(after, projection, sizeof after));
    }
    ripples_start_time = 0;
}

TEST_F(OverlayPanels, UnknownFontIdDrawsNothing) {
    EXPECT_TRUE(glyphs_of([] {
        glRasterPos2f(0.5f, 0.5f);
        draw_text("abc", 3);
    }).empty());
    EXPECT_EQ(glyphs_of([] {
        glRasterPos2f(0.5f, 0.5f);
        draw_text("abc", title_font);
    }).size(), 3u);
}
