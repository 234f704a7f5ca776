#include <gtest/gtest.h>

#include <wx/bitmap.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/settings.h>

#include "FontProvider.h"

namespace {

TEST(Fonts, EachAccessorKeepsOneFont) {
    EXPECT_EQ(&FontProvider::smallFont(), &FontProvider::smallFont());
    EXPECT_EQ(&FontProvider::normalFont(), &FontProvider::normalFont());
    EXPECT_EQ(&FontProvider::midFont(), &FontProvider::midFont());
    EXPECT_EQ(&FontProvider::bigFont(), &FontProvider::bigFont());
    // Four different fonts, not one object behind several names.
    EXPECT_NE(&FontProvider::smallFont(), &FontProvider::normalFont());
    EXPECT_NE(&FontProvider::midFont(), &FontProvider::bigFont());
}

TEST(Fonts, MidAndBigDifferOnlyInSize) {
    const wxFont& mid = FontProvider::midFont();
    const wxFont& big = FontProvider::bigFont();
    ASSERT_TRUE(mid.IsOk());
    ASSERT_TRUE(big.IsOk());
    EXPECT_EQ(mid.GetPointSize(), 16);
    EXPECT_EQ(big.GetPointSize(), 18);
    EXPECT_EQ(mid.GetFaceName(), big.GetFaceName());
    EXPECT_EQ(mid.GetStyle(), big.GetStyle());
    EXPECT_EQ(mid.GetWeight(), big.GetWeight());
    EXPECT_EQ(mid.GetUnderlined(), big.GetUnderlined());
    EXPECT_EQ(mid.GetStyle(), wxFONTSTYLE_NORMAL);
    EXPECT_EQ(mid.GetWeight(), wxFONTWEIGHT_NORMAL);
    EXPECT_FALSE(mid.GetUnderlined());
    EXPECT_FALSE(mid.GetFaceName().empty());

    // With fonts-wine's Tahoma registered, the device date takes Tahoma's width (the fallback
    // face needs 126 pixels and runs over the Level Settings frame).
    if (wxFileName::FileExists("/usr/share/wine/fonts/tahoma.ttf")) {
        wxBitmap canvas(10, 10);
        wxMemoryDC dc(canvas);
        dc.SetFont(mid);
        EXPECT_NEAR(dc.GetTextExtent("2010/04/01").x, 112, 1);
    }
}

TEST(Fonts, SmallAndNormalFollowTheTheme) {
    const wxFont theme = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    const wxFont& normal = FontProvider::normalFont();
    const wxFont& small = FontProvider::smallFont();
    EXPECT_EQ(normal.GetFaceName(), theme.GetFaceName());
    EXPECT_EQ(normal.GetFractionalPointSize(), theme.GetFractionalPointSize());
    EXPECT_EQ(small.GetFaceName(), theme.GetFaceName());
    EXPECT_LT(small.GetFractionalPointSize(), normal.GetFractionalPointSize());
}

} // namespace
