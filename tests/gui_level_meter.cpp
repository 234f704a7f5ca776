#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <wx/dcmemory.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/image.h>

#include "LevelMeterPanel.h"
#include "gui_test.h"

// Colours print as #RRGGBB in failure messages.
void PrintTo(const wxColour& c, std::ostream* os) {
    *os << c.GetAsString(wxC2S_HTML_SYNTAX).utf8_str();
}

namespace {

// The level timer's conversion of a reading of /proc/dsp_level to dBFS.
float readingToDb(long v) {
    return static_cast<float>(20.0 * log10f(static_cast<float>(v) / 32767.0f));
}

class LevelMeter : public testing::Test {
  protected:
    void SetUp() override {
        frame = new wxFrame(nullptr, wxID_ANY, wxT("meter"), wxDefaultPosition, wxSize(200, 420));
        parent = new wxPanel(frame, wxID_ANY, wxPoint(0, 0), wxSize(200, 420));
        placeholder = new wxPanel(parent, 1122, wxPoint(45, 47), wxSize(28, 337), wxSUNKEN_BORDER);
        placeholder->SetBackgroundColour(*wxWHITE);
        placeholder->Hide();
        meter = new LevelMeterPanel(placeholder);
    }
    void TearDown() override {
        frame->Destroy();
        guitest::pump(20);
    }

    // A level whose bar height (331 - offset) is h.
    float levelForHeight(int h) {
        for (float dB = -60.0f; dB <= 0.0f; dB += 0.001f) {
            if (331 - meter->getScaleOffset(dB) == h)
                return dB;
        }
        ADD_FAILURE() << "no level maps to " << h;
        return 0.0f;
    }

    wxFrame* frame;
    wxPanel* parent;
    wxPanel* placeholder;
    LevelMeterPanel* meter;
};

TEST_F(LevelMeter, TakesThePlaceOfItsPlaceholder) {
    EXPECT_EQ(meter->GetParent(), parent);
    EXPECT_EQ(meter->GetPosition(), wxPoint(48, 50));
    EXPECT_EQ(meter->GetSize(), wxSize(22, 331));
    EXPECT_EQ(meter->GetName(), wxT("panel"));
    EXPECT_EQ(meter->barHeight(), 0);
}

TEST_F(LevelMeter, ScaleOffsetsOfTheLabelledLevels) {
    const struct {
        float dB;
        int offset;
    } labels[] = {{0, 0},     {-3, 23},   {-6, 45},   {-9, 67},   {-12, 89},
                  {-15, 110}, {-20, 144}, {-30, 206}, {-40, 261}, {-60, 331}};
    for (const auto& l : labels)
        EXPECT_EQ(meter->getScaleOffset(l.dB), l.offset) << l.dB << " dB";
}

TEST_F(LevelMeter, ScaleOffsetsAreClampedAtBothEnds) {
    const float inf = std::numeric_limits<float>::infinity();
    for (float dB : {-60.0f, -60.5f, -120.0f, -inf})
        EXPECT_EQ(meter->getScaleOffset(dB), 331) << dB;
    for (float dB : {0.0f, 0.001f, 6.02f, inf})
        EXPECT_EQ(meter->getScaleOffset(dB), 0) << dB;
    // A negative reading gives no logarithm: it must still land on the scale.
    EXPECT_EQ(meter->getScaleOffset(std::numeric_limits<float>::quiet_NaN()), 331);
    // Just inside the range the exponent decides the figure.
    EXPECT_EQ(meter->getScaleOffset(-59.0f), 329);
    EXPECT_EQ(meter->getScaleOffset(-0.01f), 0);
}

TEST_F(LevelMeter, ReadingsShowAsWholeSegments) {
    meter->setValue(readingToDb(32767));
    EXPECT_EQ(meter->barHeight(), 330);
    meter->setValue(readingToDb(65535));
    EXPECT_EQ(meter->barHeight(), 330);

    EXPECT_NEAR(readingToDb(16384), -6.02f, 0.01f);
    EXPECT_EQ(331 - meter->getScaleOffset(readingToDb(16384)), 286);
    meter->setValue(readingToDb(16384));
    EXPECT_EQ(meter->barHeight(), 285);

    EXPECT_NEAR(readingToDb(1), -90.3f, 0.01f);
    meter->setValue(readingToDb(1));
    EXPECT_EQ(meter->barHeight(), 0);
}

TEST_F(LevelMeter, MovesOnlyWhenTheLevelMovedByThreePixels) {
    meter->setValue(readingToDb(16384));
    ASSERT_EQ(meter->barHeight(), 285);
    meter->setValue(levelForHeight(287));
    EXPECT_EQ(meter->barHeight(), 285);
    meter->setValue(levelForHeight(283));
    EXPECT_EQ(meter->barHeight(), 285);
    meter->setValue(levelForHeight(288));
    EXPECT_EQ(meter->barHeight(), 288);
    // Downward by exactly three pixels rounds down to the segment below.
    meter->setValue(levelForHeight(284));
    EXPECT_EQ(meter->barHeight(), 282);
    // From empty, two pixels are not enough to light a segment.
    meter->setValue(-120.0f);
    ASSERT_EQ(meter->barHeight(), 0);
    meter->setValue(levelForHeight(2));
    EXPECT_EQ(meter->barHeight(), 0);
    meter->setValue(levelForHeight(5));
    EXPECT_EQ(meter->barHeight(), 3);
}

wxColour rgb(const wxImage& img, int x, int y) {
    return wxColour(img.GetRed(x, y), img.GetGreen(x, y), img.GetBlue(x, y));
}

// Checks one row of the bar: white at both ends, the segment colour (or white) between.
void expectRow(const wxImage& img, int y, const wxColour& inner) {
    EXPECT_EQ(rgb(img, 0, y), *wxWHITE) << "row " << y;
    EXPECT_EQ(rgb(img, 21, y), *wxWHITE) << "row " << y;
    for (int x = 1; x <= 20; ++x)
        ASSERT_EQ(rgb(img, x, y), inner) << "row " << y << " column " << x;
}

TEST_F(LevelMeter, BarBitmapHasItsSegmentsAndColours) {
    const wxImage img = meter->barBitmap().ConvertToImage();
    ASSERT_EQ(img.GetWidth(), 22);
    ASSERT_EQ(img.GetHeight(), 331);
    const wxColour red(0xDA, 0x03, 0x03), yellow(0xDA, 0xD3, 0x03), green(0x03, 0xDA, 0x27);
    for (int y = 0; y < 331; ++y) {
        wxColour expected;
        if (y % 3 == 0)
            expected = *wxWHITE;
        else if (y <= 2)
            expected = red;
        else if (y <= 68)
            expected = yellow;
        else
            expected = green;
        expectRow(img, y, expected);
    }
}

// The panel as drawn in its window.
wxImage grab(wxWindow* w) {
    wxWindowDC drawn(w);
    wxBitmap shot(w->GetSize());
    wxMemoryDC mem(shot);
    mem.Blit(0, 0, w->GetSize().x, w->GetSize().y, &drawn, 0, 0);
    mem.SelectObject(wxNullBitmap);
    return shot.ConvertToImage();
}

TEST_F(LevelMeter, PaintsTheLitSegmentsFromTheBottom) {
    parent->SetBackgroundColour(wxColour(0, 0, 255));
    meter->SetBackgroundColour(wxColour(0, 0, 255));
    frame->Show();
    meter->setValue(readingToDb(16384));
    guitest::pump(200);
    const wxImage img = grab(meter);
    // Bottom row white, segments up to row 330 - 285 lit, blue background above.
    EXPECT_EQ(rgb(img, 5, 330), *wxWHITE);
    EXPECT_EQ(rgb(img, 5, 329), wxColour(0x03, 0xDA, 0x27));
    EXPECT_EQ(rgb(img, 5, 45), *wxWHITE);
    EXPECT_EQ(rgb(img, 5, 47), wxColour(0xDA, 0xD3, 0x03));
    EXPECT_EQ(rgb(img, 5, 44), wxColour(0, 0, 255));

    // Falling to empty: the segments that were lit give way to the background.
    meter->setValue(-120.0f);
    guitest::pump(200);
    const wxImage empty = grab(meter);

    EXPECT_EQ(rgb(empty, 5, 330), *wxWHITE);
    EXPECT_EQ(rgb(empty, 5, 329), wxColour(0, 0, 255));

    // Rising again: -30 dB lights 123 rows above the bottom one.
    meter->setValue(-30.0f);
    guitest::pump(200);
    const wxImage rising = grab(meter);
    EXPECT_EQ(rgb(rising, 5, 207), *wxWHITE);
    EXPECT_EQ(rgb(rising, 5, 208), wxColour(0x03, 0xDA, 0x27));
    EXPECT_EQ(rgb(rising, 5, 206), wxColour(0, 0, 255));
}

} // namespace
