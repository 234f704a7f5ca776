#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tarvik_settings.h"

namespace {

std::string stored(int setting, int preset) {
    return current_settings[setting][preset].value;
}

class SettingsTable : public ::testing::Test {
  protected:
    void SetUp() override { init_settings_mapping(); }
};

// The device's settings as the device names and checks them: one row per setting, in table
// order. Nothing else pins these external names and values, so they are typed out here.
struct Row {
    const char* name;
    const char* type;
    int write_level;
    int allow;          // governing allow setting, -1 for none
    bool shared;        // one value for all presets
    const char* limits; // "min..max" for ranges, the words joined by '|' for choices
    const char* value;  // default
};

const Row expected_rows[SETTINGS_COUNT] = {
    {"mic_label", "text", 3, -1, true, "", "Station_ID"},
    {"combine_label_prefix", "bool", 3, -1, true, "", "1"},
    {"preset_name", "text", 4, -1, false, "", "Factory_settings"},
    {"presets_enabled", "bool", 4, -1, true, "", "0"},
    {"allow_switch_ilm_roi", "bool", 4, -1, false, "", "1"},
    {"allow_switch_ilm_li", "bool", 4, -1, false, "", "1"},
    {"allow_set_time", "bool", 4, -1, false, "", "1"},
    {"allow_set_preset", "bool", 4, -1, true, "", "1"},
    {"allow_set_messaging", "bool", 4, -1, false, "", "1"},
    {"allow_set_filename_prefix", "bool", 4, -1, false, "", "1"},
    {"allow_set_format", "bool", 4, -1, false, "", "1"},
    {"allow_set_bitrate", "bool", 4, -1, false, "", "1"},
    {"allow_set_mic_gain", "bool", 4, -1, false, "", "1"},
    {"allow_set_line_gain", "bool", 4, -1, false, "", "1"},
    {"allow_set_output_selection", "bool", 4, -1, false, "", "1"},
    {"allow_set_lineout_level", "bool", 4, -1, false, "", "1"},
    {"allow_set_hp_level", "bool", 4, -1, false, "", "1"},
    {"allow_set_sample_rate", "bool", 4, -1, false, "", "1"},
    {"allow_set_filename_date", "bool", 4, -1, false, "", "1"},
    {"allow_set_file_stereo", "bool", 4, -1, false, "", "1"},
    {"allow_edit_meta_data", "bool", 4, -1, false, "", "1"},
    {"rec_monitoring_while_record", "bool", 4, -1, false, "", "1"},
    {"rec_mic_level", "range", 4, 12, false, "0..60", "25"},
    {"rec_line_level", "range", 4, 13, false, "-15..30", "0"},
    {"rec_var_active_after_boot", "bool", 4, -1, false, "", "0"},
    {"rec_var_start_threshold", "range", 4, -1, false, "-50..0", "-5"},
    {"rec_var_stop_threshold", "range", 4, -1, false, "-50..0", "-25"},
    {"rec_var_hold_time", "range", 4, -1, false, "1..300", "15"},
    {"rec_var_autostop_enabled", "bool", 4, -1, false, "", "0"},
    {"rec_buffer_mode_after_boot", "bool", 4, -1, false, "", "0"},
    {"rec_buffer_length", "range", 4, -1, false, "1..30", "10"},
    {"rec_presence_filter_on", "bool", 4, -1, false, "", "0"},
    {"rec_presence_filter_gain", "range", 4, -1, false, "1..6", "3"},
    {"rec_highpass_on", "bool", 4, -1, false, "", "1"},
    {"rec_highpass_freq", "choice", 4, -1, false, "80|100|120|150|180|200", "80"},
    {"rec_break_mode", "choice", 4, -1, false, "marker|split|pause", "marker"},
    {"rec_stop_double", "bool", 4, -1, false, "", "0"},
    {"rec_file_format", "choice", 4, 10, false, "WAV|BWF|MP2", "WAV"},
    {"rec_sample_rate", "choice", 4, 17, false, "32000|44100|48000", "48000"},
    {"rec_bitrate", "choice", 4, 11, false, "128|160|192|---", "---"},
    {"rec_file_stereo", "bool", 4, 19, false, "", "0"},
    {"rec_filename_prefix", "text", 4, 9, false, "", "_oVk_serial_number_"},
    {"combine_date_prefix", "choice", 4, 18, false, "none|date only|time only|date and time",
     "none"},
    {"rec_meta_description0", "text", 4, -1, false, "", "oVk default recording description"},
    {"rec_meta_description1", "text", 4, -1, false, "", ""},
    {"rec_meta_description2", "text", 4, -1, false, "", ""},
    {"rec_meta_description3", "text", 4, -1, false, "", ""},
    {"rec_meta_description4", "text", 4, -1, false, "", ""},
    {"rec_meta_originator", "text", 4, -1, false, "", "oVk default originator"},
    {"rec_meta_cc", "text", 4, -1, false, "", "CC"},
    {"rec_meta_ooo", "text", 4, -1, false, "", "OOO"},
    {"play_continuous_playback", "choice", 4, -1, false, "continuous|single file", "single file"},
    {"play_playback_start_position", "choice", 4, -1, false,
     "start of recorded file|resume previous position", "start of recorded file"},
    {"play_output_selection", "choice", 4, 14, false, "Headphone|Lineout|Lineout (balanced)",
     "Headphone"},
    {"play_headset_level", "range", 4, 16, false, "-68..0", "-10"},
    {"play_lineout_level", "range", 4, 15, false, "-68..0", "0"},
    {"mess_enabled", "bool", 4, 8, false, "", "1"},
    {"mess2_empty_battery", "bool", 4, -1, false, "", "1"},
    {"mess2_full_memory", "bool", 4, -1, false, "", "1"},
    {"mess2_file_nr_on_mode", "bool", 4, -1, false, "", "1"},
    {"mess2_file_nr_play_mode", "bool", 4, -1, false, "", "1"},
    {"mess2_level", "range", 4, -1, false, "-68..0", "-10"},
    {"pm_prefered_power_source", "choice", 4, -1, false, "battery|accu", "accu"},
    {"pm_shutdown_enable", "bool", 4, -1, false, "", "0"},
    {"pm_shutdown_onvar", "bool", 4, -1, false, "", "0"},
    {"pm_shutdown_time", "range", 4, -1, false, "10..179", "60"},
    {"rtc_autosync", "bool", 4, -1, true, "", "1"},
    {"he_th", "range", 2, -1, false, "0..32767", "25716"},
    {"he_pga_down", "range", 2, -1, false, "-36..0", "-12"},
    {"he_step_timeout", "range", 2, -1, false, "0..20", "1"},
    {"he_max_overs", "range", 2, -1, false, "1..10", "1"},
    {"roi_enable", "bool", 4, 4, false, "", "1"},
    {"roi_up_th", "range", 4, -1, false, "0..32767", "11614"},
    {"roi_pga_down", "range", 2, -1, false, "-6..0", "-1"},
    {"roi_pga_down_hold", "range", 2, -1, false, "0..20", "4"},
    {"roi_att", "range", 2, -1, false, "0..10", "1"},
    {"roi_low_th", "range", 4, -1, false, "0..32767", "4148"},
    {"roi_pga_up", "range", 2, -1, false, "0..6", "1"},
    {"roi_pga_up_hold", "range", 2, -1, false, "0..20", "6"},
    {"roi_rel", "range", 2, -1, false, "0..10", "1"},
    {"roi_no_th", "range", 4, -1, false, "0..32767", "2061"},
    {"li_enable", "bool", 4, 5, false, "", "1"},
    {"li_th", "range", 4, -1, false, "0..32767", "16384"},
    {"li_att", "range", 4, -1, false, "0..16", "4"},
    {"li_rel", "range", 4, -1, false, "0..16", "14"},
    {"li_adv", "range", 4, -1, false, "0..480", "34"},
};

std::string type_name(int type) {
    switch (type) {
    case SETTING_BOOL:
        return "bool";
    case SETTING_RANGE:
        return "range";
    case SETTING_CHOICE:
        return "choice";
    case SETTING_TEXT:
        return "text";
    }
    return "type " + std::to_string(type);
}

std::string limits_of(const T_SETTING_MAPPING& record) {
    if (record.value_type == SETTING_RANGE)
        return std::to_string(record.min) + ".." + std::to_string(record.max);
    if (record.value_type != SETTING_CHOICE)
        return "";
    std::string words;
    for (int i = 0; i < record.choice_count && i < SETTING_CHOICES_MAX; ++i)
        words += (i ? "|" : "") + std::string(record.choices[i]);
    return words;
}

// One row as text, so that a mismatch shows every column side by side.
std::string row_text(const std::string& name, const std::string& type, int write_level, int allow,
                     bool shared, const std::string& limits, const std::string& value) {
    return name + " " + type + " level " + std::to_string(write_level) + " allow " +
           std::to_string(allow) + (shared ? " shared " : " ") + limits + " = \"" + value + "\"";
}

} // namespace

// Runs first: nothing has been loaded into the store yet.
TEST(SettingsStoreAtStart, EveryCellIsEmptyAndDisabled) {
    for (int s = 0; s < SETTINGS_COUNT; ++s)
        for (int p = 0; p < PRESETS_COUNT; ++p) {
            EXPECT_EQ(is_setting_enabled(s, p), 0);
            EXPECT_EQ(stored(s, p), "");
        }
}

TEST_F(SettingsTable, EveryRowIsTheDevicesOwn) {
    for (int k = 0; k < SETTINGS_COUNT; ++k) {
        const T_SETTING_MAPPING& record = settings_mapping[k];
        const Row& row = expected_rows[k];
        const std::string name(record.name, strnlen(record.name, sizeof(record.name)));
        EXPECT_EQ(row_text(name, type_name(record.value_type), record.write_level,
                           record.allow_setting, record.all_presets != 0, limits_of(record),
                           backup_settings[k]),
                  row_text(row.name, row.type, row.write_level, row.allow, row.shared, row.limits,
                           row.value))
            << "setting " << k;
        EXPECT_EQ(record.index, k);
        EXPECT_EQ(record.control_kind, CONTROL_NONE);
        EXPECT_EQ(record.control, nullptr);
    }
}

TEST_F(SettingsTable, CapsuleTablesLineUp) {
    EXPECT_EQ(wxString(mic_chars).length(), static_cast<size_t>(CAPSULE_COUNT));
    EXPECT_EQ(wxString(mic_chars).Find('l'), 11);
    EXPECT_EQ(wxString(capsule_names[11]), wxT("PRO"));
    EXPECT_EQ(capsule_mapping[11], 0);
    EXPECT_EQ(wxString(capsule_names[16]), wxT("PREMIUM"));
    EXPECT_EQ(wxString(capsule_names[9]), wxT("Type J"));
    EXPECT_EQ(wxString(capsule_names[19]), wxT("INVALID"));
    EXPECT_EQ(capsule_mapping[19], 5);
    EXPECT_EQ(wxString(capsule_names[20]), wxT("Line in"));
}

TEST_F(SettingsTable, StoreIgnoresPresetsOutsideTheRange) {
    preload_preset_backup(0);
    set_value(SETTING_PRESET_NAME, 10, "x");
    set_value(SETTING_PRESET_NAME, -1, "x");
    set_value(SETTING_MIC_LABEL, 10, "x");
    set_value(SETTING_MIC_LABEL, -1, "x");
    for (int p = 0; p < PRESETS_COUNT; ++p)
        EXPECT_NE(stored(SETTING_MIC_LABEL, p), "x");
    EXPECT_EQ(stored(SETTING_PRESET_NAME, 0), "Factory_settings");
    preload_preset_backup(10); // nothing to do, and nothing broken
}

TEST_F(SettingsTable, SharedSettingsGoToEveryPreset) {
    set_value(SETTING_PRESET_NAME, 4, "four");
    set_value(SETTING_PRESET_NAME, 5, "five");
    set_value(SETTING_MIC_LABEL, 5, "label");
    for (int p = 0; p < PRESETS_COUNT; ++p)
        EXPECT_EQ(stored(SETTING_MIC_LABEL, p), "label");
    EXPECT_EQ(stored(SETTING_PRESET_NAME, 4), "four");
    EXPECT_EQ(stored(SETTING_PRESET_NAME, 5), "five");
}

TEST_F(SettingsTable, LongTextsAreCutTo59Characters) {
    const std::string exact(59, 'e');
    set_value(SETTING_PRESET_NAME, 2, exact.c_str());
    EXPECT_EQ(stored(SETTING_PRESET_NAME, 2), exact);
    set_value(SETTING_PRESET_NAME, 2, std::string(70, 'x').c_str());
    EXPECT_EQ(stored(SETTING_PRESET_NAME, 2), std::string(59, 'x'));
    set_value(SETTING_PRESET_NAME, 2, "short");
    // The rest of the field is cleared, so nothing of the old text lingers.
    const char* cell = current_settings[SETTING_PRESET_NAME][2].value;
    for (int i = 5; i < SETTING_VALUE_SIZE; ++i)
        EXPECT_EQ(cell[i], '\0');
}

TEST_F(SettingsTable, StoringAStoredValueAgainKeepsIt) {
    set_value(SETTING_MIC_LABEL, 0, "label");
    set_value(SETTING_MIC_LABEL, 0, current_settings[SETTING_MIC_LABEL][0].value);
    set_value(SETTING_MIC_LABEL, 2, current_settings[SETTING_MIC_LABEL][7].value);
    for (int p = 0; p < PRESETS_COUNT; ++p)
        EXPECT_EQ(stored(SETTING_MIC_LABEL, p), "label");
}

TEST_F(SettingsTable, LoadingAllPresetsLeavesTheLastValueInSharedSettings) {
    for (int p = 0; p < PRESETS_COUNT; ++p) {
        preload_preset_backup(p);
        const std::string label = "label" + std::to_string(p);
        set_value(SETTING_MIC_LABEL, p, label.c_str());
    }
    for (int p = 0; p < PRESETS_COUNT; ++p)
        EXPECT_EQ(stored(SETTING_MIC_LABEL, p), "label9");
}

TEST_F(SettingsTable, PreloadEnablesOnlyItsOwnPreset) {
    for (int p = 0; p < PRESETS_COUNT; ++p)
        for (int s = 0; s < SETTINGS_COUNT; ++s)
            enable_setting(s, p, 0);
    preload_preset_backup(3);
    for (int p = 0; p < PRESETS_COUNT; ++p) {
        EXPECT_EQ(is_setting_enabled(SETTING_MIC_LABEL, p), p == 3 ? 1 : 0);
        EXPECT_EQ(is_setting_enabled(SETTING_LI_ADV, p), p == 3 ? 1 : 0);
    }
    EXPECT_EQ(stored(SETTING_LI_ADV, 3), "34");
}
