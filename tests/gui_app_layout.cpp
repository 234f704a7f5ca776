// The main window's layout after the adjustment pass and its bound setting controls.
#include "gui_app_probe.h"

#include <functional>
#include <vector>

#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/tglbtn.h>

#include "LevelMeterPanel.h"
#include "simdevice.h"
#include "tarvik_settings.h"

namespace {

class LayoutTest : public testing::Test {
  protected:
    void SetUp() override {
        device.list_as_port();
        window = start_program();
        guitest::pump(20);
    }
    void TearDown() override { close_program(window); }

    wxWindow* at(long id) { return control<wxWindow>(window, id); }
    std::string value(int setting, int preset = 1) {
        return current_settings[setting][preset].value;
    }

    sim::SimDevice device;
    TARVIK_User_SWFrm* window = nullptr;
};

void expect_geometry(wxWindow* w, int x, int y, int width, int height) {
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->GetPosition(), wxPoint(x, y)) << w->GetName();
    EXPECT_EQ(w->GetSize(), wxSize(width, height)) << w->GetName();
}

TEST_F(LayoutTest, AdjustmentPassGivesTheScaledGeometry) {
    // The pass makes the window 968 x 633; on GTK the window grows where its client area, below
    // the menu bar and inside a window manager's frame, cannot hold every panel (checked by the
    // window's look tests).
    EXPECT_GE(window->GetSize().x, 968);
    EXPECT_GE(window->GetSize().y, 633);
    expect_geometry(at(1001), 2, 4, 978, 643);
    expect_geometry(at(1004), 602, 114, 354, 473);
    expect_geometry(at(1059), 82, 262, 52, 27);   // BTN_PRESET1
    expect_geometry(at(1107), 17, 24, 196, 23);   // PortChoice
    expect_geometry(at(1126), 54, 97, 74, 108);   // internal-accu picture
    expect_geometry(at(1122), 66, 87, 24, 333);   // level meter placeholder
    expect_geometry(at(1142), 389, 190, 171, 23); // RecDateName
    expect_geometry(at(1106), 12, 49, 196, 27);   // ConnectButton: toggle and own nudge

    // Scale labels and the meter keep their size and are only shifted.
    auto* zero = named<wxStaticText>(window, "ZeroDBText");
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->GetPosition(), wxPoint(17, 84));
    for (const char* name : {"ZeroDBText", "M9DBText", "WxStaticText2"}) {
        auto* label = named<wxStaticText>(window, name);
        label->InvalidateBestSize();
        // Sized for the text in its own font: nothing of it is cut off.
        EXPECT_EQ(label->GetSize().x, label->GetBestSize().x) << name;
        EXPECT_GE(label->GetSize().y, label->GetBestSize().y) << name;
        EXPECT_LE(label->GetSize().y, label->GetBestSize().y + 1) << name;
    }
    LevelMeterPanel* meter = MainWindowProbe(window).levelMeter();
    expect_geometry(meter, 69, 90, 22, 331);
    EXPECT_EQ(meter->GetParent(), at(1004));

    // The gain captions get a fixed width of 50.
    for (long id : {1021, 1080, 1082, 1117})
        EXPECT_EQ(at(id)->GetSize().x, 50) << id;

    // The gauges and overlays take the adjusted placeholder geometry.
    auto* accu = at(1126);
    int overlays = 0;
    for (wxWindow* child : at(1002)->GetChildren())
        if (child != accu && dynamic_cast<wxStaticBitmap*>(child) &&
            child->GetRect() == accu->GetRect())
            ++overlays;
    EXPECT_EQ(overlays, 7); // NoBattery and the six gauge pictures
}

TEST_F(LayoutTest, ScaleLabelsFollowTheMetersScale) {
    const struct {
        const char* name;
        int x, y;
    } labels[] = {{"ZeroDBText", 12, 44},      {"M3DBText", 19, 67},
                  {"M6DBText", 19, 89},        {"M9DBText", 19, 111},
                  {"M12DBText", 13, 133},      {"M15DBText", 13, 154},
                  {"WxStaticText19", 13, 188}, {"WxStaticText20", 13, 250},
                  {"WxStaticText21", 13, 305}, {"WxStaticText2", 13, 375}};
    for (const auto& l : labels) {
        auto* label = named<wxStaticText>(window, l.name);
        ASSERT_NE(label, nullptr) << l.name;
        EXPECT_EQ(label->GetParent(), at(1004));
        EXPECT_EQ(label->GetPosition(), wxPoint(l.x + 5, l.y + 40)) << l.name;
    }
}

TEST_F(LayoutTest, AfterConstructionOnlyThePortControlsAndHelpTakeInput) {
    // The tree as designed is checked before the pass (gui_app_catalogue); what follows the
    // pass must leave every input but these three disabled.
    std::vector<wxWindow*> all;
    std::function<void(wxWindow*)> walk = [&](wxWindow* parent) {
        for (wxWindow* child : parent->GetChildren()) {
            all.push_back(child);
            walk(child);
        }
    };
    walk(window);
    int inputs = 0;
    for (wxWindow* w : all) {
        if (!dynamic_cast<wxChoice*>(w) && !dynamic_cast<wxCheckBox*>(w) &&
            !dynamic_cast<wxTextCtrl*>(w) && !dynamic_cast<wxSlider*>(w) &&
            !dynamic_cast<wxAnyButton*>(w))
            continue;
        ++inputs;
        const long id = w->GetId();
        EXPECT_EQ(w->IsThisEnabled(), id == 1107 || id == 1106 || id == 1144) << w->GetName();
    }
    EXPECT_EQ(inputs, 33);

    auto* fixed = control<wxChoice>(window, 1085);
    EXPECT_EQ(fixed->GetPosition(), at(1084)->GetPosition());

    // Sliders: all at 0 after binding.
    for (long id : {1018, 1079, 1081, 1116})
        EXPECT_EQ(control<wxSlider>(window, id)->GetValue(), 0) << id;

    // The placeholder never shows; the meter in its place does. The head pictures are hidden.
    EXPECT_FALSE(at(1122)->IsShown());
    EXPECT_TRUE(MainWindowProbe(window).levelMeter()->IsShown());
    EXPECT_FALSE(at(1132)->IsShown()); // NoMicText
}

TEST_F(LayoutTest, SettingControlsAndRecordsPointToEachOther) {
    const struct {
        long id;
        int setting;
        int kind;
    } bound[] = {
        {1058, 0, CONTROL_TEXT},       {1068, 2, CONTROL_TEXT},       {1053, 41, CONTROL_TEXT},
        {1051, 37, CONTROL_CHOICE},    {1083, 38, CONTROL_CHOICE},    {1052, 39, CONTROL_CHOICE},
        {1119, 71, CONTROL_CHECK_BOX}, {1120, 81, CONTROL_CHECK_BOX}, {1142, 42, CONTROL_CHOICE},
        {1136, 40, CONTROL_CHECK_BOX}, {1084, 62, CONTROL_CHOICE},    {1050, 53, CONTROL_CHOICE},
        {1069, 56, CONTROL_CHECK_BOX}, {1018, 22, CONTROL_SLIDER},    {1079, 23, CONTROL_SLIDER},
        {1081, 54, CONTROL_SLIDER},    {1116, 55, CONTROL_SLIDER}};
    int controlled = 0;
    for (const auto& b : bound) {
        EXPECT_EQ(settings_mapping[b.setting].control, at(b.id)) << b.setting;
        EXPECT_EQ(settings_mapping[b.setting].control_kind, b.kind) << b.setting;
    }
    for (const auto& record : settings_mapping)
        controlled += record.control != nullptr;
    EXPECT_EQ(controlled, 17);
    EXPECT_EQ(MainWindowProbe(window).boundControls(), 17u);

    MainWindowProbe probe(window);
    const std::set<T_SETTING_ELEMENTS> permission = {
        T_SETTING_ELEMENTS(0),  T_SETTING_ELEMENTS(2),  T_SETTING_ELEMENTS(3),
        T_SETTING_ELEMENTS(6),  T_SETTING_ELEMENTS(7),  T_SETTING_ELEMENTS(22),
        T_SETTING_ELEMENTS(23), T_SETTING_ELEMENTS(37), T_SETTING_ELEMENTS(38),
        T_SETTING_ELEMENTS(39), T_SETTING_ELEMENTS(40), T_SETTING_ELEMENTS(41),
        T_SETTING_ELEMENTS(42), T_SETTING_ELEMENTS(43), T_SETTING_ELEMENTS(44),
        T_SETTING_ELEMENTS(45), T_SETTING_ELEMENTS(46), T_SETTING_ELEMENTS(47),
        T_SETTING_ELEMENTS(48), T_SETTING_ELEMENTS(49), T_SETTING_ELEMENTS(50),
        T_SETTING_ELEMENTS(53), T_SETTING_ELEMENTS(54), T_SETTING_ELEMENTS(55),
        T_SETTING_ELEMENTS(56), T_SETTING_ELEMENTS(62), T_SETTING_ELEMENTS(66),
        T_SETTING_ELEMENTS(71), T_SETTING_ELEMENTS(81)};
    EXPECT_EQ(probe.permissionSettings(), permission);
    std::set<T_SETTING_ELEMENTS> display = permission;
    for (int allow = 4; allow <= 19; ++allow)
        if (allow != 6 && allow != 7)
            display.insert(T_SETTING_ELEMENTS(allow));
    EXPECT_EQ(probe.displaySettings(), display);
    EXPECT_EQ(probe.displaySettings().size(), 43u);
    EXPECT_EQ(probe.displaySettings().count(SETTING_ALLOW_EDIT_META_DATA), 0u);

    int index = 0;
    for (const T_PRESET_BTN* preset : probe.presetButtons()) {
        EXPECT_EQ(preset->index, index);
        EXPECT_EQ(preset->button, at(index == 0 ? 1139 : 1058 + index));
        ++index;
    }
    EXPECT_EQ(index, 10);
    EXPECT_EQ(probe.activePreset(), 1);
}

TEST_F(LayoutTest, ConstructionStoresTheControlsIntoPresetOneAndSendsNothing) {
    for (int setting : {40, 56, 71, 81, 22, 23, 54, 55})
        EXPECT_EQ(value(setting), "0") << setting;
    for (int setting : {0, 2, 41, 37, 38, 39, 42, 53, 62})
        EXPECT_EQ(value(setting), "") << setting;
    for (int preset = 0; preset < 10; ++preset)
        EXPECT_EQ(value(0, preset), "") << preset;
    EXPECT_FALSE(device.wait_for_frames(1, 100));
}

TEST_F(LayoutTest, ControlEventsReachTheDispatcher) {
    // A slider reports while its thumb is dragged and once more on release.
    auto* mic = control<wxSlider>(window, 1018);
    mic->SetValue(25);
    wxScrollEvent drag(wxEVT_SCROLL_THUMBTRACK, mic->GetId(), 25, wxVERTICAL);
    drag.SetEventObject(mic);
    mic->ProcessWindowEvent(drag);
    EXPECT_EQ(value(SETTING_REC_MIC_LEVEL), "25");
    mic->SetValue(31);
    wxScrollEvent release(wxEVT_SCROLL_CHANGED, mic->GetId(), 31, wxVERTICAL);
    release.SetEventObject(mic);
    mic->ProcessWindowEvent(release);
    EXPECT_EQ(value(SETTING_REC_MIC_LEVEL), "31");

    auto* roi = control<wxCheckBox>(window, 1119);
    roi->SetValue(true);
    wxCommandEvent check(wxEVT_CHECKBOX, roi->GetId());
    check.SetEventObject(roi);
    roi->ProcessWindowEvent(check);
    EXPECT_EQ(value(SETTING_ROI_ENABLE), "1");

    // The power-source word goes back to the device's word.
    auto* power = control<wxChoice>(window, 1084);
    power->SetSelection(1);
    wxCommandEvent chosen(wxEVT_CHOICE, power->GetId());
    chosen.SetEventObject(power);
    power->ProcessWindowEvent(chosen);
    EXPECT_EQ(value(SETTING_PM_PREFERED_POWER_SOURCE), "accu");

    // The fixed twin has no record and never reaches the store.
    auto* fixed = control<wxChoice>(window, 1085);
    wxCommandEvent twin(wxEVT_CHOICE, fixed->GetId());
    twin.SetEventObject(fixed);
    fixed->ProcessWindowEvent(twin);
    EXPECT_EQ(value(SETTING_PM_PREFERED_POWER_SOURCE), "accu");

    // A shared text goes into every preset; text fields take at most 59 characters.
    auto* prefix = control<wxTextCtrl>(window, 1053);
    prefix->AppendText(wxString('a', 59));
    EXPECT_EQ(value(SETTING_REC_FILENAME_PREFIX), std::string(59, 'a'));
    prefix->AppendText("b");
    EXPECT_EQ(prefix->GetValue(), wxString('a', 59));
    EXPECT_EQ(value(SETTING_REC_FILENAME_PREFIX, 2), "");
    control<wxTextCtrl>(window, 1058)->SetValue("Studio");
    for (int preset = 0; preset < 10; ++preset)
        EXPECT_EQ(value(SETTING_MIC_LABEL, preset), "Studio");
    EXPECT_FALSE(device.wait_for_frames(1, 50)); // not connected: stored only
}

} // namespace
