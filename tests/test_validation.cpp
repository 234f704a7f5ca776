#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tarvik_settings.h"

namespace {

class Validation : public ::testing::Test {
  protected:
    void SetUp() override {
        init_settings_mapping();
        for (int p = 0; p < PRESETS_COUNT; ++p)
            preload_preset_backup(p);
        write_setting_init("loading from device");
    }

    // As the preset loading does: the device's text in a frame-sized buffer.
    static void load(int setting, int preset, const std::string& text) {
        char buffer[180] = {};
        std::memcpy(buffer, text.data(), std::min(text.size(), sizeof(buffer) - 1));
        write_setting_value(setting, preset, buffer);
    }

    static std::string stored(int setting, int preset) {
        return current_settings[setting][preset].value;
    }

    static wxString line(const char* name, int preset, const char* bad, const char* now) {
        return wxString::Format("    parameter: \"%s\" preset: #%d invalid_value: \"%s\" new "
                                "value: \"%s\"\n",
                                name, preset, bad, now);
    }

    // Loads a value and expects it stored as given, without a report line.
    static void expect_kept(int setting, int preset, const std::string& text) {
        load(setting, preset, text);
        EXPECT_EQ(stored(setting, preset), text) << settings_mapping[setting].name;
        EXPECT_EQ(wxStrErrList, wxString()) << settings_mapping[setting].name << " " << text;
    }

    // Loads a value and expects it replaced, with exactly one report line.
    static void expect_replaced(int setting, int preset, const std::string& text,
                                const char* replacement) {
        write_setting_init("loading from device");
        load(setting, preset, text);
        EXPECT_EQ(stored(setting, preset), replacement);
        EXPECT_EQ(wxStrErrList,
                  line(settings_mapping[setting].name, preset, text.c_str(), replacement));
        write_setting_init("loading from device");
    }
};

} // namespace

TEST_F(Validation, DefaultsPassTheirOwnChecks) {
    for (int p = 0; p < PRESETS_COUNT; ++p)
        for (int s = 0; s < SETTINGS_COUNT; ++s) {
            char value[SETTING_VALUE_SIZE];
            std::memcpy(value, backup_settings[s], sizeof(value));
            write_setting_value(s, p, value);
            EXPECT_EQ(stored(s, p), backup_settings[s]);
        }
    EXPECT_TRUE(wxStrErrList.empty()) << wxStrErrList;
}

TEST_F(Validation, ReportStartAndLineTexts) {
    EXPECT_EQ(wxStrAction, wxT("loading from device"));
    write_setting_erradd(SETTING_REC_BITRATE, 7, "128", "---");
    write_setting_missadd(SETTING_PRESET_NAME, 0, "Factory_settings");
    EXPECT_EQ(wxStrErrList,
              wxT("    parameter: \"rec_bitrate\" preset: #7 invalid_value: \"128\" new value: "
                  "\"---\"\n"
                  "    parameter: \"preset_name\" preset: #0 -missing- new value: "
                  "\"Factory_settings\"\n"));
    write_setting_init("another action");
    EXPECT_EQ(wxStrAction, wxT("another action"));
    EXPECT_TRUE(wxStrErrList.empty());
}

TEST_F(Validation, DeviceBytesAboveAsciiShowAsTheirCharacters) {
    write_setting_init("loading from device");
    load(SETTING_REC_FILE_FORMAT, 1, "W\xC4V\xB0");
    EXPECT_EQ(wxStrErrList,
              wxString::FromUTF8("    parameter: \"rec_file_format\" preset: #1 invalid_value: "
                                 "\"W\xC3\x84V\xC2\xB0\" new value: \"WAV\"\n"));
}

TEST_F(Validation, FormatAllowsBitrateAndSampleRateSwitches) {
    set_value(SETTING_ALLOW_SET_FORMAT, 4, "1");
    expect_replaced(SETTING_ALLOW_SET_BITRATE, 4, "0", "1");
    expect_replaced(SETTING_ALLOW_SET_SAMPLE_RATE, 4, "0", "1");
    set_value(SETTING_ALLOW_SET_FORMAT, 4, "0");
    expect_kept(SETTING_ALLOW_SET_BITRATE, 4, "0");
    expect_kept(SETTING_ALLOW_SET_SAMPLE_RATE, 4, "0");
    // The rule looks at the exact texts only.
    set_value(SETTING_ALLOW_SET_FORMAT, 4, "1");
    expect_kept(SETTING_ALLOW_SET_BITRATE, 4, "00");
}

TEST_F(Validation, AutostopNeedsVoiceActivationAndIsCorrectedSilently) {
    set_value(SETTING_REC_VAR_ACTIVE_AFTER_BOOT, 2, "0");
    load(SETTING_REC_VAR_AUTOSTOP_ENABLED, 2, "1");
    EXPECT_EQ(stored(SETTING_REC_VAR_AUTOSTOP_ENABLED, 2), "0");
    EXPECT_TRUE(wxStrErrList.empty());
    set_value(SETTING_REC_VAR_ACTIVE_AFTER_BOOT, 2, "1");
    expect_kept(SETTING_REC_VAR_AUTOSTOP_ENABLED, 2, "1");
}

TEST_F(Validation, SampleRateFollowsTheFormat) {
    set_value(SETTING_REC_FILE_FORMAT, 3, "BWF");
    expect_replaced(SETTING_REC_SAMPLE_RATE, 3, "32000", "44100");
    expect_kept(SETTING_REC_SAMPLE_RATE, 3, "48000");
    set_value(SETTING_REC_FILE_FORMAT, 3, "WAV");
    expect_kept(SETTING_REC_SAMPLE_RATE, 3, "32000");
    expect_replaced(SETTING_REC_SAMPLE_RATE, 3, "22050", "48000");
}

TEST_F(Validation, BitrateFollowsTheFormat) {
    set_value(SETTING_REC_FILE_FORMAT, 6, "WAV");
    expect_replaced(SETTING_REC_BITRATE, 6, "128", "---");
    expect_replaced(SETTING_REC_BITRATE, 6, "junk", "---");
    expect_kept(SETTING_REC_BITRATE, 6, "---");
    set_value(SETTING_REC_FILE_FORMAT, 6, "MP2");
    expect_replaced(SETTING_REC_BITRATE, 6, "---", "128");
    expect_replaced(SETTING_REC_BITRATE, 6, "999", "---");
    expect_kept(SETTING_REC_BITRATE, 6, "192");
}

TEST_F(Validation, MissingBitrateOfAnMp2PresetGivesTwoLines) {
    set_value(SETTING_REC_FILE_FORMAT, 8, "MP2");
    write_setting_missadd(SETTING_REC_BITRATE, 8, backup_settings[SETTING_REC_BITRATE]);
    load(SETTING_REC_BITRATE, 8, backup_settings[SETTING_REC_BITRATE]);
    EXPECT_EQ(stored(SETTING_REC_BITRATE, 8), "128");
    EXPECT_EQ(wxStrErrList,
              wxT("    parameter: \"rec_bitrate\" preset: #8 -missing- new value: \"---\"\n") +
                  line("rec_bitrate", 8, "---", "128"));
}

TEST_F(Validation, LookAheadLimitFollowsTheSampleRate) {
    set_value(SETTING_REC_SAMPLE_RATE, 5, "32000");
    expect_replaced(SETTING_LI_ADV, 5, "400", "34");
    EXPECT_EQ(settings_mapping[SETTING_LI_ADV].max, 320);
    expect_kept(SETTING_LI_ADV, 5, "320");
    set_value(SETTING_REC_SAMPLE_RATE, 5, "44100");
    expect_replaced(SETTING_LI_ADV, 5, "442", "34");
    EXPECT_EQ(settings_mapping[SETTING_LI_ADV].max, 441);
    set_value(SETTING_REC_SAMPLE_RATE, 5, "48000");
    expect_kept(SETTING_LI_ADV, 5, "400");
    // An unreadable rate keeps the limit as it was.
    set_value(SETTING_REC_SAMPLE_RATE, 5, "fast");
    expect_kept(SETTING_LI_ADV, 5, "480");
}

TEST_F(Validation, OutOfRangeDefaultFallsBackToTheMinimum) {
    // A limit of 30 puts the default 34 out of range.
    set_value(SETTING_REC_SAMPLE_RATE, 0, "3000");
    expect_replaced(SETTING_LI_ADV, 0, "31", "0");
}

TEST_F(Validation, BoolValues) {
    expect_replaced(SETTING_REC_STOP_DOUBLE, 1, "2", "0");
    expect_replaced(SETTING_MESS_ENABLED, 1, "-1", "1");
    expect_kept(SETTING_MESS_ENABLED, 1, "");
    expect_kept(SETTING_MESS_ENABLED, 1, "1abc");
    expect_kept(SETTING_MESS_ENABLED, 1, " +0");
}

TEST_F(Validation, RangeValuesUseTheLeadingNumber) {
    expect_kept(SETTING_REC_LINE_LEVEL, 2, "12dB");
    expect_kept(SETTING_REC_LINE_LEVEL, 2, "abc");
    expect_kept(SETTING_REC_LINE_LEVEL, 2, "-15");
    expect_replaced(SETTING_REC_LINE_LEVEL, 2, "-16", "0");
    expect_replaced(SETTING_REC_VAR_HOLD_TIME, 2, "abc", "15");
    expect_replaced(SETTING_REC_VAR_HOLD_TIME, 2, "301", "15");
    // Far beyond any integer: replaced, not wrapped around into the range.
    expect_replaced(SETTING_REC_VAR_HOLD_TIME, 2, "18446744073709551617", "15");
    expect_replaced(SETTING_REC_VAR_HOLD_TIME, 2, "-99999999999999999999999", "15");
}

TEST_F(Validation, ChoicesMatchExactly) {
    expect_replaced(SETTING_REC_FILE_FORMAT, 0, "wav", "WAV");
    expect_replaced(SETTING_REC_BREAK_MODE, 0, "", "marker");
    expect_kept(SETTING_COMBINE_DATE_PREFIX, 0, "date and time");
}

TEST_F(Validation, TrimmingAndCleaningAreSilent) {
    load(SETTING_PRESET_NAME, 7, "My preset \r\n\t ");
    EXPECT_EQ(stored(SETTING_PRESET_NAME, 7), "My preset");
    load(SETTING_PRESET_NAME, 7, "tab\there\x01\xE9");
    EXPECT_EQ(stored(SETTING_PRESET_NAME, 7), "tab_here__");
    EXPECT_TRUE(wxStrErrList.empty());
    // A cleaned value that is then replaced is reported as cleaned.
    load(SETTING_REC_STOP_DOUBLE, 7, "2\t3");
    EXPECT_EQ(stored(SETTING_REC_STOP_DOUBLE, 7), "0");
    EXPECT_EQ(wxStrErrList, line("rec_stop_double", 7, "2_3", "0"));
}

TEST_F(Validation, LongTextsAreCutWithoutReportAndReportedWhole) {
    load(SETTING_PRESET_NAME, 1, std::string(70, 'n'));
    EXPECT_EQ(stored(SETTING_PRESET_NAME, 1), std::string(59, 'n'));
    EXPECT_TRUE(wxStrErrList.empty());

    const std::string longest = "99" + std::string(177, 'x');
    expect_replaced(SETTING_REC_LINE_LEVEL, 1, longest, "0");
}

TEST_F(Validation, SettingOrPresetOutOfRangeIsIgnored) {
    char text[] = "1";
    write_setting_value(SETTING_MESS_ENABLED, 10, text);
    write_setting_value(SETTING_MESS_ENABLED, -1, text);
    write_setting_value(SETTINGS_COUNT, 0, text);
    write_setting_erradd(-1, 0, "a", "b");
    EXPECT_TRUE(wxStrErrList.empty());
}

TEST(TextConversions, TextFieldsAreCleanedStrictlyForNames) {
    wxString label = wxString::FromUTF8("my mic.\xC3\xBC\xC3\x9F");
    convert_textctrl_text(SETTING_MIC_LABEL, label);
    EXPECT_EQ(label, wxString::FromUTF8("my_mic_\xC3\xBC_"));

    wxString prefix = wxT("a-b");
    convert_textctrl_text(SETTING_REC_FILENAME_PREFIX, prefix);
    EXPECT_EQ(prefix, wxT("a_b"));

    wxString name = wxString::FromUTF8("my preset.\xC3\x9F\t");
    convert_textctrl_text(SETTING_PRESET_NAME, name);
    EXPECT_EQ(name, wxString::FromUTF8("my preset.\xC3\x9F_"));
}

TEST(TextConversions, PowerSourceWord) {
    wxString word = wxT("accu");
    convert_choice_text(SETTING_PM_PREFERED_POWER_SOURCE, word, true);
    EXPECT_EQ(word, wxT("internal"));
    convert_choice_text(SETTING_PM_PREFERED_POWER_SOURCE, word, true);
    EXPECT_EQ(word, wxT("internal"));
    convert_choice_text(SETTING_PM_PREFERED_POWER_SOURCE, word, false);
    EXPECT_EQ(word, wxT("accu"));

    wxString battery = wxT("battery");
    convert_choice_text(SETTING_PM_PREFERED_POWER_SOURCE, battery, true);
    convert_choice_text(SETTING_PM_PREFERED_POWER_SOURCE, battery, false);
    EXPECT_EQ(battery, wxT("battery"));

    wxString other = wxT("accu");
    convert_choice_text(SETTING_REC_FILE_FORMAT, other, true);
    EXPECT_EQ(other, wxT("accu"));
    wxString shown = wxT("internal");
    convert_choice_text(SETTING_REC_FILE_FORMAT, shown, false);
    EXPECT_EQ(shown, wxT("internal"));
}
