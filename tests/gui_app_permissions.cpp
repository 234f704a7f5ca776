// Which setting controls, buttons and device writes the per-preset allow settings permit;
// the preset buttons; the windows that follow the hardware type.
#include "settings_window_test.h"

#include <wx/tglbtn.h>

#include "PowerMeter.h"

namespace {

const T_SETTING_ELEMENTS bound_settings[] = {
    SETTING_MIC_LABEL,
    SETTING_PRESET_NAME,
    SETTING_REC_FILENAME_PREFIX,
    SETTING_REC_FILE_FORMAT,
    SETTING_REC_SAMPLE_RATE,
    SETTING_REC_BITRATE,
    SETTING_ROI_ENABLE,
    SETTING_LI_ENABLE,
    SETTING_COMBINE_DATE_PREFIX,
    SETTING_REC_FILE_STEREO,
    SETTING_PM_PREFERED_POWER_SOURCE,
    SETTING_PLAY_OUTPUT_SELECTION,
    SETTING_MESS_ENABLED,
    SETTING_REC_MIC_LEVEL,
    SETTING_REC_LINE_LEVEL,
    SETTING_PLAY_HEADSET_LEVEL,
    SETTING_PLAY_LINEOUT_LEVEL,
};

bool is_window_flag(T_SETTING_ELEMENTS setting) {
    return setting == SETTING_PRESETS_ENABLED || setting == SETTING_ALLOW_SET_TIME ||
           setting == SETTING_ALLOW_SET_PRESET;
}

class PermissionTest : public SettingsWindowTest {
  protected:
    bool enabled(T_SETTING_ELEMENTS setting) {
        return settings_mapping[setting].control->IsEnabled();
    }
    int level(T_SETTING_ELEMENTS setting) { return settings_mapping[setting].write_level; }

    // Every governed control and write level, against whether it should be permitted.
    void expect_all(bool permitted, int preset) {
        for (T_SETTING_ELEMENTS s : bound_settings)
            EXPECT_EQ(enabled(s), permitted) << settings_mapping[s].name << " preset " << preset;
        for (T_SETTING_ELEMENTS s : probe->permissionSettings()) {
            if (!is_window_flag(s)) {
                EXPECT_EQ(level(s), permitted ? 5 : 4)
                    << settings_mapping[s].name << " preset " << preset;
            }
        }
    }

    wxToggleButton* button(int preset) {
        for (const T_PRESET_BTN* entry : probe->presetButtons())
            if (entry->index == preset)
                return entry->button;
        return nullptr;
    }
    void press(int preset) {
        wxToggleButton* b = button(preset);
        b->SetValue(!b->GetValue());
        wxCommandEvent event(wxEVT_TOGGLEBUTTON, b->GetId());
        send(b, event);
    }
    // The presets whose buttons are enabled, and the pressed ones.
    std::vector<int> enabled_buttons() {
        std::vector<int> result;
        for (const T_PRESET_BTN* entry : probe->presetButtons())
            if (entry->button->IsEnabled())
                result.push_back(entry->index);
        return result;
    }
    std::vector<int> pressed_buttons() {
        std::vector<int> result;
        for (const T_PRESET_BTN* entry : probe->presetButtons())
            if (entry->button->GetValue())
                result.push_back(entry->index);
        return result;
    }
};

TEST_F(PermissionTest, DefaultPresetPermitsNoGovernedSettingButKeepsTheButtonRules) {
    go_online();
    set_value(SETTING_REC_FILE_FORMAT, 0, "BWF");
    probe->setActivePreset(0);
    probe->checkPermissions();
    expect_all(false, 0);
    EXPECT_TRUE(at<wxButton>(ID_SET_TIME)->IsEnabled());
    EXPECT_TRUE(at<wxButton>(ID_METADATA)->IsEnabled());
    EXPECT_TRUE(probe->presetSwitchAllowed());

    for (int preset = 1; preset < PRESETS_COUNT; ++preset) {
        probe->setActivePreset(preset);
        probe->checkPermissions();
        expect_all(true, preset);
    }
    // The flags keep the table's level; they are never written.
    for (T_SETTING_ELEMENTS s :
         {SETTING_PRESETS_ENABLED, SETTING_ALLOW_SET_TIME, SETTING_ALLOW_SET_PRESET})
        EXPECT_EQ(level(s), 4);

    // Without a link nothing may be changed.
    probe->connected() = false;
    probe->checkPermissions();
    expect_all(false, 9);
    EXPECT_FALSE(at<wxButton>(ID_SET_TIME)->IsEnabled());
    EXPECT_FALSE(probe->presetSwitchAllowed());
}

TEST_F(PermissionTest, AllowTextMustBeWhollyTheNumberOne) {
    go_online();
    auto* line = at<wxSlider>(ID_LINE_LEVEL);
    const std::pair<const char*, bool> cases[] = {
        {"1", true},  {"1 ", true},   {"1\r\n", true}, {" 1", true},   {"+1", true},
        {"0", false}, {"", false},    {"1x", false},   {"yes", false}, {"11", false},
        {"2", false}, {"1.0", false}, {"\xe4", false}};
    for (const auto& [text, permitted] : cases) {
        store(SETTING_ALLOW_SET_LINE_GAIN, text);
        probe->checkPermissions();
        EXPECT_EQ(line->IsEnabled(), permitted) << '"' << text << '"';
        EXPECT_EQ(level(SETTING_REC_LINE_LEVEL), permitted ? 5 : 4) << '"' << text << '"';
    }
    // Each control follows its own allow setting only.
    EXPECT_TRUE(at<wxSlider>(ID_MIC_LEVEL)->IsEnabled());

    store(SETTING_ALLOW_SET_TIME, "0");
    store(SETTING_ALLOW_SET_FORMAT, "0");
    probe->checkPermissions();
    EXPECT_FALSE(at<wxButton>(ID_SET_TIME)->IsEnabled());
    EXPECT_FALSE(at<wxChoice>(ID_FORMAT)->IsEnabled());
    // A denied setting is refused at the device, with the value kept in the store.
    choose(ID_FORMAT, "WAV");
    ASSERT_FALSE(writes().empty());
    EXPECT_EQ(writes()[0], "/tarvik/settings/1/rec_file_format!permission denied writing "
                           "setting rec_file_format 4, 5\n");
}

TEST_F(PermissionTest, ClearedEnabledFlagKeepsAPermittedControlOff) {
    go_online();
    enable_setting(SETTING_PLAY_HEADSET_LEVEL, 1, 0);
    probe->checkPermissions();
    EXPECT_FALSE(at<wxSlider>(ID_HP_LEVEL)->IsEnabled());
    EXPECT_EQ(level(SETTING_PLAY_HEADSET_LEVEL), 5);
    // The flag belongs to its preset.
    probe->setActivePreset(2);
    probe->checkPermissions();
    EXPECT_TRUE(at<wxSlider>(ID_HP_LEVEL)->IsEnabled());
}

TEST_F(PermissionTest, MetadataButtonOnlyForBwfWhileConnected) {
    store(SETTING_REC_FILE_FORMAT, "BWF");
    probe->checkPermissions();
    EXPECT_FALSE(at<wxButton>(ID_METADATA)->IsEnabled());
    go_online();
    for (const char* format : {"WAV", "MP2", "bwf", "BWF ", "BWF"}) {
        store(SETTING_REC_FILE_FORMAT, format);
        probe->checkPermissions();
        EXPECT_EQ(at<wxButton>(ID_METADATA)->IsEnabled(), wxString(format) == "BWF") << format;
    }
    // Denying the format does not touch the button.
    store(SETTING_ALLOW_SET_FORMAT, "0");
    probe->checkPermissions();
    EXPECT_TRUE(at<wxButton>(ID_METADATA)->IsEnabled());
}

TEST_F(PermissionTest, PresetButtonsFollowTheSwitchingFlags) {
    go_online();
    probe->setActivePreset(3);
    struct {
        const char* allowSwitch;
        const char* presetsEnabled;
        std::vector<int> buttons;
    } cases[] = {
        {"0", "1", {3}},
        {"1", "0", {0, 1, 3}},
        {"1", "1", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
    };
    for (const auto& c : cases) {
        set_value(SETTING_ALLOW_SET_PRESET, 3, c.allowSwitch);
        set_value(SETTING_PRESETS_ENABLED, 3, c.presetsEnabled);
        probe->updatePresets();
        EXPECT_EQ(enabled_buttons(), c.buttons) << c.allowSwitch << c.presetsEnabled;
        EXPECT_EQ(pressed_buttons(), std::vector<int>{3});
    }
}

TEST_F(PermissionTest, PresetPressWhileConnectedSwitchesTheDevice) {
    set_value(SETTING_PRESETS_ENABLED, 1, "1");
    set_value(SETTING_PRESET_NAME, 4, "Fourth");
    set_value(SETTING_REC_MIC_LEVEL, 4, "40");
    set_value(SETTING_ROI_ENABLE, 4, "0");
    set_value(SETTING_ALLOW_SET_LINE_GAIN, 4, "0");
    go_online();
    probe->updatePresets();
    device.clear_frames();

    press(4);
    EXPECT_EQ(probe->activePreset(), 4);
    EXPECT_EQ(device.file("/tarvik/settings/current_preset"), "4");
    const auto frames = device.frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames[0].name, "SETPRESET");
    EXPECT_EQ(frames[0].text, "/tarvik/scripts/set_preset 4");

    // The new preset's values, permissions and buttons; its live settings applied again.
    EXPECT_EQ(at<wxTextCtrl>(ID_PRESET_NAME)->GetValue(), "Fourth");
    EXPECT_EQ(label(ID_MIC_GAIN_TEXT), "40dB");
    EXPECT_TRUE(at<wxSlider>(ID_MIC_LEVEL)->IsEnabled());
    EXPECT_FALSE(at<wxSlider>(ID_LINE_LEVEL)->IsEnabled());
    EXPECT_EQ(pressed_buttons(), std::vector<int>{4});
    EXPECT_EQ(enabled_buttons().size(), 10u);
    EXPECT_EQ(dsp_updates().size(), 8u);
    // The texts go back to the device even where they did not change.
    EXPECT_EQ(device.file("/tarvik/settings/4/preset_name"), "Fourth");
    EXPECT_EQ(device.file("/tarvik/settings/4/mic_label"), "Station_ID");

    // Pressing the active preset asks the device again and keeps it pressed.
    device.clear_frames();
    press(4);
    ASSERT_FALSE(device.frames().empty());
    EXPECT_EQ(device.frames()[0].text, "/tarvik/scripts/set_preset 4");
    EXPECT_EQ(pressed_buttons(), std::vector<int>{4});
}

TEST_F(PermissionTest, PresetPressWithoutLinkSwitchesOnlyTheDisplay) {
    set_value(SETTING_PRESETS_ENABLED, 1, "1");
    set_value(SETTING_REC_LINE_LEVEL, 5, "-12");
    go_online();
    probe->updatePresets();
    probe->connected() = false;
    probe->checkPermissions();
    // A lost link leaves the buttons as they were.
    EXPECT_EQ(enabled_buttons().size(), 10u);

    device.clear_frames();
    press(5);
    EXPECT_EQ(probe->activePreset(), 5);
    EXPECT_FALSE(device.wait_for_frames(1, 20));
    EXPECT_EQ(label(ID_LINE_LEVEL_TEXT), "-12dB");
    EXPECT_EQ(at<wxSlider>(ID_LINE_LEVEL)->GetValue(), -12);
    EXPECT_EQ(enabled_buttons(), std::vector<int>{5});
    EXPECT_EQ(pressed_buttons(), std::vector<int>{5});
    for (T_SETTING_ELEMENTS s : bound_settings)
        EXPECT_FALSE(enabled(s)) << settings_mapping[s].name;
}

TEST_F(PermissionTest, HardwareTypeShowsItsWindows) {
    wxStaticBitmap* noBattery = probe->noBatteryPicture();
    auto* fixedChoice = at<wxChoice>(ID_POWER_FIXED);
    auto* accuPicture = at<wxStaticBitmap>(ID_ACCU_PICTURE);
    auto* realChoice = at<wxChoice>(ID_POWER);
    // The gauge's level pictures lie exactly over the accu picture.
    auto accuLevelShown = [&] {
        int shown = 0;
        for (wxWindow* child : accuPicture->GetParent()->GetChildren())
            shown += child != accuPicture && child != noBattery &&
                     child->GetName() == "staticBitmap" &&
                     child->GetPosition() == accuPicture->GetPosition() && child->IsShown();
        return shown;
    };
    probe->accuGauge()->setValue(60);
    ASSERT_EQ(accuLevelShown(), 1);

    for (_T_HW_TYPE type : {HW_TYPE_WITHOUT_ACCU, HW_TYPE_WITH_ACCU, HW_TYPE_UNKNOWN}) {
        probe->updateType(type);
        const bool noAccu = type == HW_TYPE_WITHOUT_ACCU;
        EXPECT_EQ(probe->hwType(), type);
        EXPECT_EQ(noBattery->IsShown(), noAccu) << type;
        EXPECT_EQ(fixedChoice->IsShown(), noAccu) << type;
        EXPECT_EQ(accuPicture->IsShown(), !noAccu) << type;
        EXPECT_EQ(realChoice->IsShown(), !noAccu) << type;
        EXPECT_EQ(accuLevelShown(), noAccu ? 0 : 1) << type;
    }
}

} // namespace
