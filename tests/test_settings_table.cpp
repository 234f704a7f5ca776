#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
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

} // namespace

// Runs first: nothing has been loaded into the store yet.
TEST(SettingsStoreAtStart, EveryCellIsEmptyAndDisabled) {
    for (int s = 0; s < SETTINGS_COUNT; ++s)
        for (int p = 0; p < PRESETS_COUNT; ++p) {
            EXPECT_EQ(is_setting_enabled(s, p), 0);
            EXPECT_EQ(stored(s, p), "");
        }
}

TEST_F(SettingsTable, CountsOfTypesLevelsAndSharedSettings) {
    std::map<int, int> types, levels;
    std::set<int> shared;
    for (int k = 0; k < SETTINGS_COUNT; ++k) {
        const T_SETTING_MAPPING& record = settings_mapping[k];
        EXPECT_EQ(record.index, k);
        EXPECT_EQ(record.control_kind, CONTROL_NONE);
        EXPECT_EQ(record.control, nullptr);
        ++types[record.value_type];
        ++levels[record.write_level];
        if (record.all_presets)
            shared.insert(k);
    }
    EXPECT_EQ(types[SETTING_BOOL], 37);
    EXPECT_EQ(types[SETTING_RANGE], 28);
    EXPECT_EQ(types[SETTING_CHOICE], 10);
    EXPECT_EQ(types[SETTING_TEXT], 11);
    EXPECT_EQ(levels[2], 10);
    EXPECT_EQ(levels[3], 2);
    EXPECT_EQ(levels[4], 74);
    EXPECT_EQ(shared, (std::set<int>{0, 1, 3, 7, 66}));
}

TEST_F(SettingsTable, NamesAreDistinctAndFitTheirField) {
    std::set<std::string> names;
    size_t longest = 0;
    for (const T_SETTING_MAPPING& record : settings_mapping) {
        const size_t length = strnlen(record.name, sizeof(record.name));
        ASSERT_LT(length, sizeof(record.name));
        longest = std::max(longest, length);
        EXPECT_TRUE(names.insert(record.name).second) << record.name;
    }
    EXPECT_EQ(longest, 28u);
}

TEST_F(SettingsTable, AllowSettingsGovernTheirControls) {
    const std::map<int, int> governed = {
        {SETTING_REC_MIC_LEVEL, 12},
        {SETTING_REC_LINE_LEVEL, 13},
        {SETTING_REC_FILE_FORMAT, 10},
        {SETTING_REC_SAMPLE_RATE, 17},
        {SETTING_REC_BITRATE, 11},
        {SETTING_REC_FILE_STEREO, 19},
        {SETTING_REC_FILENAME_PREFIX, 9},
        {SETTING_COMBINE_DATE_PREFIX, 18},
        {SETTING_PLAY_OUTPUT_SELECTION, 14},
        {SETTING_PLAY_HEADSET_LEVEL, 16},
        {SETTING_PLAY_LINEOUT_LEVEL, 15},
        {SETTING_MESS_ENABLED, 8},
        {SETTING_ROI_ENABLE, 4},
        {SETTING_LI_ENABLE, 5},
    };
    for (int k = 0; k < SETTINGS_COUNT; ++k) {
        const auto found = governed.find(k);
        const int expected = found == governed.end() ? ALLOW_NONE : found->second;
        EXPECT_EQ(settings_mapping[k].allow_setting, expected) << settings_mapping[k].name;
        if (expected >= 0) {
            EXPECT_EQ(settings_mapping[expected].value_type, SETTING_BOOL);
        }
    }
}

TEST_F(SettingsTable, SampleRows) {
    const T_SETTING_MAPPING& bitrate = settings_mapping[SETTING_REC_BITRATE];
    EXPECT_EQ(SETTING_REC_BITRATE, 39);
    EXPECT_STREQ(bitrate.name, "rec_bitrate");
    EXPECT_EQ(bitrate.value_type, SETTING_CHOICE);
    EXPECT_EQ(bitrate.write_level, 4);
    ASSERT_EQ(bitrate.choice_count, 4);
    EXPECT_STREQ(bitrate.choices[0], "128");
    EXPECT_STREQ(bitrate.choices[3], "---");
    EXPECT_EQ(bitrate.choices[4][0], '\0');
    EXPECT_STREQ(backup_settings[SETTING_REC_BITRATE], "---");

    const T_SETTING_MAPPING& playback = settings_mapping[SETTING_PLAY_PLAYBACK_START_POSITION];
    ASSERT_EQ(playback.choice_count, 2);
    EXPECT_STREQ(playback.choices[1], "resume previous position");

    const T_SETTING_MAPPING& threshold = settings_mapping[SETTING_HE_TH];
    EXPECT_EQ(SETTING_HE_TH, 67);
    EXPECT_STREQ(threshold.name, "he_th");
    EXPECT_EQ(threshold.write_level, 2);
    EXPECT_EQ(threshold.min, 0);
    EXPECT_EQ(threshold.max, 32767);
    EXPECT_STREQ(backup_settings[SETTING_HE_TH], "25716");

    const T_SETTING_MAPPING& look_ahead = settings_mapping[SETTING_LI_ADV];
    EXPECT_EQ(SETTING_LI_ADV, 85);
    EXPECT_EQ(look_ahead.min, 0);
    EXPECT_EQ(look_ahead.max, 480);
    EXPECT_STREQ(backup_settings[SETTING_LI_ADV], "34");

    EXPECT_EQ(settings_mapping[SETTING_REC_LINE_LEVEL].min, -15);
    EXPECT_EQ(settings_mapping[SETTING_PM_SHUTDOWN_TIME].max, 179);
    EXPECT_STREQ(settings_mapping[SETTING_MIC_LABEL].name, "mic_label");
    EXPECT_EQ(settings_mapping[SETTING_MIC_LABEL].write_level, 3);
    EXPECT_STREQ(backup_settings[SETTING_REC_META_DESCRIPTION0],
                 "oVk default recording description");
    EXPECT_STREQ(backup_settings[SETTING_REC_META_DESCRIPTION4], "");
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
