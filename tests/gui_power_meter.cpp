#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/statbmp.h>

#include "PowerMeter.h"
#include "gui_test.h"
#include "images/images.h"

// Colours print as #RRGGBB in failure messages.
void PrintTo(const wxColour& c, std::ostream* os) {
    *os << c.GetAsString(wxC2S_HTML_SYNTAX).utf8_str();
}

namespace {

wxColour rgb(const wxImage& img, int x, int y) {
    return wxColour(img.GetRed(x, y), img.GetGreen(x, y), img.GetBlue(x, y));
}

const char* const* const batteries[6] = {Battery0_xpm, Battery1_xpm, Battery2_xpm,
                                         Battery3_xpm, Battery4_xpm, Battery5_xpm};

class BatteryGauge : public testing::Test {
  protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, wxT("gauge"));
        parent = new wxPanel(frame, wxID_ANY);
        placeholder = new wxStaticBitmap(parent, 1126, wxBitmap(Battery0_xpm), wxPoint(54, 97),
                                         wxSize(74, 108));
        placeholder->Enable(false);
        gauge = new PowerMeter(placeholder);
        for (wxWindow* child : parent->GetChildren()) {
            if (child != placeholder)
                pictures.push_back(child);
        }
    }
    void TearDown() override {
        delete gauge;
        frame->Destroy();
        guitest::pump(20);
    }

    // The index of the one picture shown, -1 for none; fails when more than one shows.
    int shownLevel() {
        int shown = -1;
        for (int i = 0; i < static_cast<int>(pictures.size()); ++i) {
            if (pictures[i]->IsShown()) {
                EXPECT_EQ(shown, -1) << "pictures " << shown << " and " << i << " both shown";
                shown = i;
            }
        }
        return shown;
    }

    wxFrame* frame;
    wxPanel* parent;
    wxStaticBitmap* placeholder;
    PowerMeter* gauge;
    std::vector<wxWindow*> pictures;
};

TEST_F(BatteryGauge, LaysSixHiddenDisabledPicturesOverThePlaceholder) {
    ASSERT_EQ(pictures.size(), 6u);
    for (wxWindow* p : pictures) {
        EXPECT_EQ(p->GetPosition(), wxPoint(54, 97));
        EXPECT_EQ(p->GetSize(), wxSize(74, 108));
        EXPECT_FALSE(p->IsShown());
        EXPECT_FALSE(p->IsEnabled());
        EXPECT_EQ(p->GetName(), wxT("staticBitmap"));
    }
    // In level order, picture i showing Battery<i>: compare the bars' centres.
    for (int i = 0; i < 6; ++i) {
        auto* picture = dynamic_cast<wxStaticBitmap*>(pictures[i]);
        ASSERT_TRUE(picture);
        const wxImage shown = picture->GetBitmap().ConvertToImage();
        const wxImage expected(batteries[i]);
        for (int y : {82, 67, 52, 37, 22})
            EXPECT_EQ(rgb(shown, 31, y), rgb(expected, 31, y)) << "picture " << i << " row " << y;
    }
}

TEST_F(BatteryGauge, PercentSelectsTheLevel) {
    const struct {
        int percent;
        int level;
    } steps[] = {{0, 0},    {1, 1},  {20, 1},  {21, 2},   {40, 2},    {41, 3},
                 {60, 3},   {61, 4}, {80, 4},  {81, 5},   {100, 5},   {101, -1},
                 {500, -1}, {-1, 0}, {-19, 0}, {-20, -1}, {-100, -1}, {50, 3}};
    for (const auto& s : steps) {
        gauge->setValue(s.percent);
        EXPECT_EQ(shownLevel(), s.level) << s.percent << " %";
    }
    for (wxWindow* p : pictures)
        EXPECT_FALSE(p->IsEnabled());
}

TEST_F(BatteryGauge, FollowsThePlaceholdersVisibility) {
    EXPECT_EQ(shownLevel(), -1);
    gauge->actualize();
    EXPECT_EQ(shownLevel(), 0);

    placeholder->Hide();
    gauge->setValue(55);
    EXPECT_EQ(shownLevel(), -1);
    gauge->actualize();
    EXPECT_EQ(shownLevel(), -1);

    placeholder->Show();
    EXPECT_EQ(shownLevel(), -1);
    gauge->actualize();
    EXPECT_EQ(shownLevel(), 3);
}

TEST_F(BatteryGauge, DeletingTheGaugeLeavesItsPictures) {
    gauge->setValue(90);
    delete gauge;
    gauge = nullptr;
    EXPECT_EQ(parent->GetChildren().size(), 7u);
    EXPECT_TRUE(pictures[5]->IsShown());
}

// The XPM header: width, height, colours, characters per pixel.
std::vector<int> header(const char* const* xpm) {
    int w = 0, h = 0, colours = 0, cpp = 0;
    std::sscanf(xpm[0], "%d %d %d %d", &w, &h, &colours, &cpp);
    return {w, h, colours, cpp};
}

bool transparent(const wxImage& img, int x, int y) {
    return img.HasMask() && img.GetRed(x, y) == img.GetMaskRed() &&
           img.GetGreen(x, y) == img.GetMaskGreen() && img.GetBlue(x, y) == img.GetMaskBlue();
}

TEST(BatteryPictures, HeadersGiveSizeAndPalette) {
    const int colours[6] = {87, 93, 99, 103, 107, 109};
    for (int n = 0; n < 6; ++n) {
        EXPECT_EQ(header(batteries[n]), (std::vector<int>{62, 99, colours[n], n == 0 ? 1 : 2}))
            << "Battery" << n;
        const wxImage img(batteries[n]);
        ASSERT_TRUE(img.IsOk()) << "Battery" << n;
        EXPECT_EQ(img.GetSize(), wxSize(62, 99));
    }
}

TEST(BatteryPictures, TransparentOutsideTheOutline) {
    for (int n = 0; n < 6; ++n) {
        const wxImage img(batteries[n]);
        for (int y = 0; y < 99; ++y) {
            for (int x = 0; x < 62; ++x) {
                const bool outside = x < 3 || x > 59 || y < 2 || y > 95;
                if (outside) {
                    ASSERT_TRUE(transparent(img, x, y)) << "Battery" << n << " " << x << "," << y;
                }
            }
        }
        // The casing reaches each edge of its box, and its inside is drawn.
        EXPECT_FALSE(transparent(img, 3, 50));
        EXPECT_FALSE(transparent(img, 59, 50));
        EXPECT_FALSE(transparent(img, 31, 2));
        EXPECT_FALSE(transparent(img, 31, 95));
        EXPECT_FALSE(transparent(img, 31, 50));
    }
}

TEST(BatteryPictures, BarsFillFromTheBottomInTheirColours) {
    const int barTop[5] = {76, 61, 46, 31, 16};
    const wxColour red(0xE1, 0x30, 0x30), yellow(0xE1, 0xDB, 0x30), green(0x30, 0xE1, 0x4E);
    const wxImage empty(Battery0_xpm);
    for (int n = 1; n <= 5; ++n) {
        const wxImage img(batteries[n]);
        const wxColour main = n == 1 ? red : n <= 3 ? yellow : green;
        for (int bar = 0; bar < 5; ++bar) {
            const int mid = barTop[bar] + 6;
            if (bar < n) {
                EXPECT_EQ(rgb(img, 31, mid), main) << "Battery" << n << " bar " << bar;
                // Lighter towards the edges, within columns 11 to 51 and the bar's 13 rows.
                for (int x : {11, 51})
                    EXPECT_GT(img.GetBlue(x, mid) + img.GetRed(x, mid) + img.GetGreen(x, mid),
                              main.Red() + main.Green() + main.Blue());
                EXPECT_NE(rgb(img, 31, barTop[bar]), rgb(empty, 31, barTop[bar]));
                EXPECT_NE(rgb(img, 31, barTop[bar] + 12), rgb(empty, 31, barTop[bar] + 12));
            } else {
                EXPECT_EQ(rgb(img, 31, mid), rgb(empty, 31, mid)) << "Battery" << n;
            }
            // The gap rows and the columns beside the bars stay as in the empty battery.
            EXPECT_EQ(rgb(img, 31, barTop[bar] - 1), rgb(empty, 31, barTop[bar] - 1));
            EXPECT_EQ(rgb(img, 10, mid), rgb(empty, 10, mid));
            EXPECT_EQ(rgb(img, 52, mid), rgb(empty, 52, mid));
        }
    }
}

TEST(WindowPictures, SizesAndTransparentCorners) {
    const struct {
        const char* name;
        const char* const* xpm;
        wxSize size;
    } all[] = {{"Memory", Memory_xpm, wxSize(74, 99)},
               {"NoBattery", NoBattery_xpm, wxSize(62, 99)},
               {"MuteHead", MuteHead_xpm, wxSize(100, 100)},
               {"Niere", Niere_xpm, wxSize(100, 100)},
               {"Superniere", Superniere_xpm, wxSize(100, 100)},
               {"Kugel", Kugel_xpm, wxSize(100, 100)}};
    for (const auto& p : all) {
        const wxImage img(p.xpm);
        ASSERT_TRUE(img.IsOk()) << p.name;
        EXPECT_EQ(img.GetSize(), p.size) << p.name;
        EXPECT_TRUE(transparent(img, 0, 0)) << p.name;
        EXPECT_TRUE(transparent(img, p.size.x - 1, p.size.y - 1)) << p.name;
        EXPECT_FALSE(transparent(img, p.size.x / 2, p.size.y / 2)) << p.name;
    }
}

} // namespace
