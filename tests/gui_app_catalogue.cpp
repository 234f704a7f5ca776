// The main window's whole tree as designed, seen just before the adjustment pass moves it:
// every panel and control, in creation order, against the layout catalogue.
#include "gui_app_probe.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/tglbtn.h>

#include "FontProvider.h"
#include "LevelMeterPanel.h"
#include "images/images.h"

// Readable failure messages.
void PrintTo(const wxPoint& p, std::ostream* out) {
    *out << "(" << p.x << ", " << p.y << ")";
}
void PrintTo(const wxSize& s, std::ostream* out) {
    *out << s.x << " x " << s.y;
}
void PrintTo(const wxFont& f, std::ostream* out) {
    *out << f.GetNativeFontInfoDesc().utf8_str();
}

namespace {

enum Font { NO_FONT, SMALL, MID, BIG };

// Initial state beyond "enabled and shown".
enum State : unsigned {
    DISABLED = 1,
    HIDDEN = 2,
    NO_SELECTION = 4,
    SELECTION_0 = 8,
    WHITE = 16,
};

const long PANEL = wxTAB_TRAVERSAL | wxNO_BORDER;
const long SUNKEN = wxSUNKEN_BORDER;
const long CENTRE = wxTE_CENTRE;
const long CENTRE_RO = wxTE_CENTRE | wxTE_READONLY;
const long VERTICAL = wxSL_VERTICAL | wxSL_INVERSE;

const int BEST = -1; // the toolkit's best size for the label in the control's font
const long MAIN = 1; // the main window
const long ANY = -1; // no id of its own

// One catalogue row. Content is the label; for choices the items joined by "|", for sliders
// "min..max", for pictures the image's name.
struct Row {
    const char* cls;
    const char* name; // nullptr: the toolkit's default name for the class
    const char* content;
    long id;
    long parent;
    int x, y, w, h;
    long style;
    Font font;
    unsigned state;
};

const char* const PORTS = "COM1|COM2|COM3|COM4|COM5|COM6|COM7|COM8|COM9|COM10|COM11|COM12|"
                          "COM13|COM14|COM15|COM16";

// clang-format off
const Row CATALOGUE[] = {
    {"wxPanel", nullptr, "", 1001, MAIN, 0, 0, 815, 585, PANEL, SMALL, 0},
    {"wxPanel", nullptr, "", 1002, 1001, 10, 10, 480, 230, PANEL, SMALL, 0},
    {"wxStaticBox", nullptr, "Device Status", 1016, 1002, 0, 0, 480, 230, 0, SMALL, 0},
    {"wxStaticText", "TotalPowerLabel", "INTERNAL", 1035, 1002, 45, 209, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "MemoryLabel", "MEMORY FREE", 1040, 1002, 223, 209, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "RecordTimeLeft", "00h00m", 1042, 1002, 337, 32, BEST, BEST, 0, BIG, 0},
    {"wxStaticText", "MemoryFreeText", "free memory", 1043, 1002, 338, 55, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "RecordTimeLabel", "Recording time left:", 1073, 1002, 338, 18, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText1", "BATTERY", 1111, 1002, 136, 209, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "BatteryPowerLabel", "0 %", 1112, 1002, 145, 32, BEST, BEST, 0, BIG, 0},
    {"wxStaticText", "AccuPowerLabel", "0 %", 1113, 1002, 58, 32, BEST, BEST, 0, BIG, 0},
    {"wxStaticBitmap", nullptr, "", 1078, 1002, 336, 88, 100, 100, 0, NO_FONT, DISABLED},
    {"wxStaticBitmap", nullptr, "Battery0", 1126, 1002, 38, 85, 62, 99, 0, NO_FONT, DISABLED},
    {"wxStaticBitmap", nullptr, "Battery0", 1124, 1002, 127, 85, 62, 99, 0, NO_FONT, DISABLED},
    {"wxStaticBitmap", nullptr, "Memory", 1123, 1002, 222, 85, 74, 99, 0, NO_FONT, DISABLED},
    {"wxStaticText", "MemoryMeterLabel", "0 %", 1127, 1002, 246, 32, BEST, BEST, 0, BIG, 0},
    {"wxStaticText", "NoMicText", "No Mic Head", 1132, 1002, 336, 118, BEST, BEST, 0, MID, 0},
    {"wxStaticText", "WxStaticText9", "HEAD:", 1133, 1002, 347, 209, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "MicTypeLabel", "none", 1134, 1002, 382, 209, BEST, BEST, 0, SMALL, 0},
    {"wxPanel", nullptr, "", 1003, 1001, 10, 250, 480, 280, PANEL, SMALL, 0},
    {"wxStaticBox", nullptr, "Preset Profile", 1015, 1003, 0, 0, 480, 280, 0, SMALL, 0},
    {"wxChoice", "output_chooser", "Headphone|Lineout|Lineout (balanced)", 1050, 1003, 14, 83, 145, 21, 0, SMALL, DISABLED | NO_SELECTION},
    {"wxChoice", "rec_format_chooser", "WAV|BWF|MP2", 1051, 1003, 170, 83, 145, 21, 0, SMALL, DISABLED | NO_SELECTION},
    {"wxChoice", "bitrate_chooser", "192|160|128", 1052, 1003, 170, 126, 145, 21, 0, SMALL, DISABLED | NO_SELECTION},
    {"wxTextCtrl", "prefix_name", "", 1053, 1003, 324, 126, 145, 21, CENTRE, SMALL, DISABLED},
    {"wxTextCtrl", "mic_label", "", 1058, 1003, 324, 39, 145, 21, CENTRE_RO, SMALL, DISABLED},
    {"wxToggleButton", "BTN_PRESET1", "1", 1059, 1003, 73, 238, 44, 25, 0, SMALL, DISABLED},
    {"wxToggleButton", "BTN_PRESET2", "2", 1060, 1003, 117, 238, 44, 25, 0, SMALL, DISABLED},
    {"wxToggleButton", "BTN_PRESET3", "3", 1061, 1003, 161, 238, 44, 25, 0, SMALL, DISABLED},
    {"wxToggleButton", "BTN_PRESET4", "4", 1062, 1003, 205, 238, 44, 25, 0, SMALL, DISABLED},
    {"wxToggleButton", "BTN_PRESET5", "5", 1063, 1003, 249, 238, 44, 25, 0, SMALL, DISABLED},
    {"wxToggleButton", "BTN_PRESET6", "6", 1064, 1003, 293, 238, 44, 25, 0, SMALL, DISABLED},
    {"wxToggleButton", "BTN_PRESET7", "7", 1065, 1003, 337, 238, 44, 25, 0, SMALL, DISABLED},
    {"wxToggleButton", "BTN_PRESET8", "8", 1066, 1003, 381, 238, 44, 25, 0, SMALL, DISABLED},
    {"wxToggleButton", "BTN_PRESET9", "9", 1067, 1003, 425, 238, 44, 25, 0, SMALL, DISABLED},
    {"wxTextCtrl", "preset_name", "", 1068, 1003, 324, 83, 145, 21, CENTRE_RO, SMALL, DISABLED},
    {"wxCheckBox", "messaging_chooser", "Enable messaging", 1069, 1003, 16, 119, 121, 17, 0, SMALL, DISABLED},
    {"wxChoice", "rec_sample_rate", "48000", 1083, 1003, 170, 39, 145, 21, 0, SMALL, DISABLED | NO_SELECTION},
    {"wxChoice", "pm_prefered_power_source", "battery|internal", 1084, 1003, 14, 39, 145, 21, 0, SMALL, DISABLED | NO_SELECTION},
    {"wxChoice", "pm_prefered_power_source", "battery|internal", 1085, 1003, 14, 39, 145, 21, 0, SMALL, DISABLED | HIDDEN | SELECTION_0},
    {"wxStaticText", "WxStaticText5", "Preferred power source", 1087, 1003, 16, 24, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText6", "Microphone label", 1088, 1003, 325, 25, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText7", "Sample rate", 1089, 1003, 171, 25, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText10", "Record format", 1092, 1003, 171, 69, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText11", "Output", 1093, 1003, 16, 68, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText12", "Filename prefix", 1094, 1003, 325, 112, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText13", "Compression bitrate (mono)", 1095, 1003, 171, 112, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText15", "Preset Name", 1097, 1003, 325, 69, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText16", "(always disabled for Lineout)", 1098, 1003, 16, 136, BEST, BEST, 0, SMALL, 0},
    {"wxCheckBox", "ilm_roi_enable", "Enable ZUR autoleveling", 1119, 1003, 16, 206, 143, 16, 0, SMALL, DISABLED},
    {"wxCheckBox", "ilm_li_enable", "Enable ZUR limiter", 1120, 1003, 17, 170, 143, 16, 0, SMALL, DISABLED},
    {"wxCheckBox", "RecStereoFile", "Write stereo file", 1136, 1003, 172, 206, 143, 16, 0, SMALL, DISABLED},
    {"wxToggleButton", "BTN_PRESET0", "DEFAULT", 1139, 1003, 13, 238, 60, 25, 0, SMALL, DISABLED},
    {"wxStaticText", "WxStaticText23", "Timestamp suffix", 1141, 1003, 325, 157, BEST, BEST, 0, SMALL, 0},
    {"wxChoice", "RecDateName", "none|date only|time only|date and time", 1142, 1003, 324, 171, 145, 21, 0, SMALL, DISABLED | NO_SELECTION},
    {"wxButton", "MetaDataBtn", "BWF Metadata", 1145, 1003, 170, 168, 145, 25, 0, SMALL, DISABLED},
    {"wxPanel", nullptr, "", 1004, 1001, 500, 100, 295, 430, PANEL, SMALL, 0},
    {"wxStaticBox", nullptr, "Level Settings", 1019, 1004, 0, 0, 285, 430, 0, SMALL, 0},
    {"wxSlider", "MicLevel", "0..60", 1018, 1004, 84, 88, 38, 296, VERTICAL, SMALL, DISABLED},
    {"wxStaticText", "MicLineLabel", "  Mic\nLevel", 1020, 1004, 46, 385, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "GainText", " Mic\nGain", 1021, 1004, 85, 385, BEST, BEST, 0, SMALL, 0},
    {"wxButton", "SetDateTimeButton", "Set to host time", 1022, 1004, 86, 38, 87, 20, 0, SMALL, DISABLED},
    {"wxStaticText", "MicGainText", "0dB", 1023, 1004, 87, 72, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "DateText", "2010/04/01", 1027, 1004, 183, 39, BEST, BEST, 0, MID, 0},
    {"wxStaticText", "TimeText", "12:00:00", 1028, 1004, 181, 15, BEST, BEST, 0, BIG, 0},
    {"wxSlider", "LineLevel", "-15..30", 1079, 1004, 135, 88, 38, 296, VERTICAL, SMALL, DISABLED},
    {"wxStaticText", "WxStaticText3", "Line\nGain", 1080, 1004, 137, 385, BEST, BEST, 0, SMALL, 0},
    {"wxSlider", "HPLevel", "-68..0", 1081, 1004, 187, 88, 38, 297, VERTICAL, SMALL, DISABLED},
    {"wxStaticText", "HeadphoneLevelLabel", "  HP\nLevel", 1082, 1004, 186, 385, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText17", "Device time:", 1099, 1004, 112, 21, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "HPLevelText", "0dB", 1114, 1004, 191, 72, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "LineLevelText", "0dB", 1115, 1004, 139, 72, BEST, BEST, 0, SMALL, 0},
    {"wxSlider", "LineOutLevel", "-68..0", 1116, 1004, 239, 88, 38, 296, VERTICAL, SMALL, DISABLED},
    {"wxStaticText", "WxStaticText18", "Lineout\n  Level", 1117, 1004, 233, 385, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "LineOutLevelText", "0dBu", 1118, 1004, 239, 72, BEST, BEST, 0, SMALL, 0},
    {"wxPanel", nullptr, "", 1122, 1004, 45, 47, 28, 337, SUNKEN, NO_FONT, HIDDEN | WHITE},
    {"wxStaticText", "ZeroDBText", "0dBFS", 1025, 1004, 12, 44, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "M3DBText", "-3dB", ANY, 1004, 19, 67, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "M6DBText", "-6dB", ANY, 1004, 19, 89, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "M9DBText", "-9dB", ANY, 1004, 19, 111, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "M12DBText", "-12dB", ANY, 1004, 13, 133, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "M15DBText", "-15dB", ANY, 1004, 13, 154, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText19", "-20dB", 1129, 1004, 13, 188, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText20", "-30dB", 1130, 1004, 13, 250, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText21", "-40dB", 1131, 1004, 13, 305, BEST, BEST, 0, SMALL, 0},
    {"wxStaticText", "WxStaticText2", "-60dB", 1138, 1004, 13, 375, BEST, BEST, 0, SMALL, 0},
    {"wxPanel", nullptr, "", 1102, 1001, 500, 10, 295, 80, PANEL, SMALL, 0},
    {"wxStaticBox", nullptr, "Connection", 1108, 1102, 0, 0, 190, 80, 0, SMALL, 0},
    {"wxChoice", "PortChoice", PORTS, 1107, 1102, 16, 18, 164, 21, 0, SMALL, NO_SELECTION},
    {"wxToggleButton", "ConnectButton", "Connect to device", 1106, 1102, 16, 44, 164, 25, 0, SMALL, 0},
    {"wxButton", "Help", "Help", 1144, 1102, 202, 18, 75, 25, 0, SMALL, 0},
};
// clang-format on

const wxFont& font_of(Font font) {
    switch (font) {
    case MID:
        return FontProvider::midFont();
    case BIG:
        return FontProvider::bigFont();
    default:
        return FontProvider::smallFont();
    }
}

bool same_image(const wxBitmap& shown, const char* const* xpm) {
    const wxImage expected = wxBitmap(xpm).ConvertToImage();
    const wxImage image = shown.ConvertToImage();
    if (image.GetSize() != expected.GetSize())
        return false;
    const size_t bytes = 3u * static_cast<size_t>(image.GetWidth() * image.GetHeight());
    return std::equal(image.GetData(), image.GetData() + bytes, expected.GetData());
}

std::string image_name(wxStaticBitmap* picture) {
    const wxBitmap bitmap = picture->GetBitmap();
    if (!bitmap.IsOk())
        return "";
    if (same_image(bitmap, Battery0_xpm))
        return "Battery0";
    if (same_image(bitmap, Memory_xpm))
        return "Memory";
    return "another image";
}

// A control's label, items, range or image in the catalogue's notation.
std::string content_of(wxWindow* w) {
    if (auto* choice = dynamic_cast<wxChoice*>(w))
        return wxJoin(choice->GetStrings(), '|', '\0').ToStdString();
    if (auto* slider = dynamic_cast<wxSlider*>(w))
        return std::to_string(slider->GetMin()) + ".." + std::to_string(slider->GetMax());
    if (auto* picture = dynamic_cast<wxStaticBitmap*>(w))
        return image_name(picture);
    if (auto* text = dynamic_cast<wxTextCtrl*>(w))
        return text->GetValue().ToStdString();
    if (dynamic_cast<wxPanel*>(w))
        return "";
    return w->GetLabel().ToStdString();
}

const char* default_name(const std::string& cls) {
    if (cls == "wxStaticBox")
        return wxStaticBoxNameStr;
    if (cls == "wxStaticBitmap")
        return wxStaticBitmapNameStr;
    return wxPanelNameStr;
}

// The label's extent in the font the catalogue gives it.
wxSize best_size(const Row& row) {
    wxBitmap canvas(1, 1);
    wxMemoryDC dc(canvas);
    dc.SetFont(font_of(row.font));
    return dc.GetMultiLineTextExtent(wxString::FromUTF8(row.content));
}

void check_row(wxWindow* w, const Row& row) {
    SCOPED_TRACE(testing::Message() << "catalogue row " << row.id << " " << row.content);
    EXPECT_EQ(w->GetClassInfo()->GetClassName(), wxString(row.cls));
    EXPECT_EQ(w->GetName(), row.name ? wxString(row.name) : wxString(default_name(row.cls)));
    if (row.id == ANY) {
        EXPECT_LT(w->GetId(), 0) << "an id of the toolkit's own";
    } else {
        EXPECT_EQ(w->GetId(), row.id);
    }
    ASSERT_NE(w->GetParent(), nullptr);
    EXPECT_EQ(w->GetParent()->GetId(), row.parent);
    EXPECT_EQ(content_of(w), row.content);

    EXPECT_EQ(w->GetPosition(), wxPoint(row.x, row.y));
    const wxSize size = row.w == BEST ? best_size(row) : wxSize(row.w, row.h);
    EXPECT_EQ(w->GetSize(), size);
    if (row.font != NO_FONT) {
        EXPECT_EQ(w->GetFont(), font_of(row.font));
    }
    // The toolkit marks every check box that is not three-state as two-state.
    const long added = dynamic_cast<wxCheckBox*>(w) ? wxCHK_2STATE : 0;
    EXPECT_EQ(w->GetWindowStyleFlag(), row.style | added);

    EXPECT_EQ(w->IsThisEnabled(), (row.state & DISABLED) == 0);
    EXPECT_EQ(w->IsShown(), (row.state & HIDDEN) == 0);
    if (auto* choice = dynamic_cast<wxChoice*>(w)) {
        EXPECT_EQ(choice->GetSelection(), (row.state & SELECTION_0) ? 0 : wxNOT_FOUND);
    }
    if (row.state & WHITE) {
        EXPECT_EQ(w->GetBackgroundColour(), *wxWHITE);
    }
}

// The whole tree, depth first in child order, which is the catalogue's order.
void walk(wxWindow* parent, std::vector<wxWindow*>& windows) {
    for (wxWindow* child : parent->GetChildren()) {
        windows.push_back(child);
        walk(child, windows);
    }
}

bool g_checked = false;

void check_catalogue(TARVIK_User_SWFrm& window) {
    g_checked = true;
    EXPECT_EQ(window.GetSize(), wxSize(815, 585));
    std::vector<wxWindow*> windows;
    walk(&window, windows);

    // The level meter stands in for its placeholder, right behind it.
    size_t meters = 0;
    for (size_t i = 0; i < windows.size(); ++i) {
        if (!dynamic_cast<LevelMeterPanel*>(windows[i]))
            continue;
        ++meters;
        ASSERT_GT(i, 0u);
        EXPECT_EQ(windows[i - 1]->GetId(), 1122);
        windows.erase(windows.begin() + static_cast<long>(i));
        break;
    }
    EXPECT_EQ(meters, 1u);

    const size_t rows = sizeof(CATALOGUE) / sizeof(CATALOGUE[0]);
    ASSERT_EQ(rows, 91u);
    ASSERT_EQ(windows.size(), rows);
    for (size_t i = 0; i < rows; ++i)
        check_row(windows[i], CATALOGUE[i]);
}

TEST(Catalogue, TreeBeforeTheAdjustmentPassIsTheDesignedOne) {
    TARVIK_User_SWFrm::BeforeAdjustmentPass = check_catalogue;
    TARVIK_User_SWFrm* window = start_program();
    TARVIK_User_SWFrm::BeforeAdjustmentPass = nullptr;
    EXPECT_TRUE(g_checked);
    close_program(window);
}

} // namespace
