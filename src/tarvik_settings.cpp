#include "tarvik_settings.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ProtocolGuardDlg.h"
#include "TARVIK_User_SWFrm.h"
#include "protocol.h"
#include "string_conversion.h"

T_SETTING_MAPPING settings_mapping[SETTINGS_COUNT];
T_SETTING_VALUE current_settings[SETTINGS_COUNT][PRESETS_COUNT];

const char backup_settings[SETTINGS_COUNT][SETTING_VALUE_SIZE] = {
    "Station_ID",                        // mic_label
    "1",                                 // combine_label_prefix
    "Factory_settings",                  // preset_name
    "0",                                 // presets_enabled
    "1",                                 // allow_switch_ilm_roi
    "1",                                 // allow_switch_ilm_li
    "1",                                 // allow_set_time
    "1",                                 // allow_set_preset
    "1",                                 // allow_set_messaging
    "1",                                 // allow_set_filename_prefix
    "1",                                 // allow_set_format
    "1",                                 // allow_set_bitrate
    "1",                                 // allow_set_mic_gain
    "1",                                 // allow_set_line_gain
    "1",                                 // allow_set_output_selection
    "1",                                 // allow_set_lineout_level
    "1",                                 // allow_set_hp_level
    "1",                                 // allow_set_sample_rate
    "1",                                 // allow_set_filename_date
    "1",                                 // allow_set_file_stereo
    "1",                                 // allow_edit_meta_data
    "1",                                 // rec_monitoring_while_record
    "25",                                // rec_mic_level
    "0",                                 // rec_line_level
    "0",                                 // rec_var_active_after_boot
    "-5",                                // rec_var_start_threshold
    "-25",                               // rec_var_stop_threshold
    "15",                                // rec_var_hold_time
    "0",                                 // rec_var_autostop_enabled
    "0",                                 // rec_buffer_mode_after_boot
    "10",                                // rec_buffer_length
    "0",                                 // rec_presence_filter_on
    "3",                                 // rec_presence_filter_gain
    "1",                                 // rec_highpass_on
    "80",                                // rec_highpass_freq
    "marker",                            // rec_break_mode
    "0",                                 // rec_stop_double
    "WAV",                               // rec_file_format
    "48000",                             // rec_sample_rate
    "---",                               // rec_bitrate
    "0",                                 // rec_file_stereo
    "_oVk_serial_number_",               // rec_filename_prefix
    "none",                              // combine_date_prefix
    "oVk default recording description", // rec_meta_description0
    "",                                  // rec_meta_description1
    "",                                  // rec_meta_description2
    "",                                  // rec_meta_description3
    "",                                  // rec_meta_description4
    "oVk default originator",            // rec_meta_originator
    "CC",                                // rec_meta_cc
    "OOO",                               // rec_meta_ooo
    "single file",                       // play_continuous_playback
    "start of recorded file",            // play_playback_start_position
    "Headphone",                         // play_output_selection
    "-10",                               // play_headset_level
    "0",                                 // play_lineout_level
    "1",                                 // mess_enabled
    "1",                                 // mess2_empty_battery
    "1",                                 // mess2_full_memory
    "1",                                 // mess2_file_nr_on_mode
    "1",                                 // mess2_file_nr_play_mode
    "-10",                               // mess2_level
    "accu",                              // pm_prefered_power_source
    "0",                                 // pm_shutdown_enable
    "0",                                 // pm_shutdown_onvar
    "60",                                // pm_shutdown_time
    "1",                                 // rtc_autosync
    "25716",                             // he_th
    "-12",                               // he_pga_down
    "1",                                 // he_step_timeout
    "1",                                 // he_max_overs
    "1",                                 // roi_enable
    "11614",                             // roi_up_th
    "-1",                                // roi_pga_down
    "4",                                 // roi_pga_down_hold
    "1",                                 // roi_att
    "4148",                              // roi_low_th
    "1",                                 // roi_pga_up
    "6",                                 // roi_pga_up_hold
    "1",                                 // roi_rel
    "2061",                              // roi_no_th
    "1",                                 // li_enable
    "16384",                             // li_th
    "4",                                 // li_att
    "14",                                // li_rel
    "34",                                // li_adv
};

namespace {

struct setting_row {
    const char* name;
    int value_type;
    int write_level;
    int allow_setting;
    bool all_presets;
    int64_t min;
    int64_t max;
    const char* choices[SETTING_CHOICES_MAX];
};

const setting_row setting_rows[SETTINGS_COUNT] = {
    {"mic_label", SETTING_TEXT, 3, ALLOW_NONE, true, 0, 0, {}},
    {"combine_label_prefix", SETTING_BOOL, 3, ALLOW_NONE, true, 0, 0, {}},
    {"preset_name", SETTING_TEXT, 4, ALLOW_NONE, false, 0, 0, {}},
    {"presets_enabled", SETTING_BOOL, 4, ALLOW_NONE, true, 0, 0, {}},
    {"allow_switch_ilm_roi", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_switch_ilm_li", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_time", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_preset", SETTING_BOOL, 4, ALLOW_NONE, true, 0, 0, {}},
    {"allow_set_messaging", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_filename_prefix", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_format", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_bitrate", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_mic_gain", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_line_gain", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_output_selection", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_lineout_level", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_hp_level", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_sample_rate", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_filename_date", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_set_file_stereo", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"allow_edit_meta_data", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_monitoring_while_record", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_mic_level", SETTING_RANGE, 4, SETTING_ALLOW_SET_MIC_GAIN, false, 0, 60, {}},
    {"rec_line_level", SETTING_RANGE, 4, SETTING_ALLOW_SET_LINE_GAIN, false, -15, 30, {}},
    {"rec_var_active_after_boot", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_var_start_threshold", SETTING_RANGE, 4, ALLOW_NONE, false, -50, 0, {}},
    {"rec_var_stop_threshold", SETTING_RANGE, 4, ALLOW_NONE, false, -50, 0, {}},
    {"rec_var_hold_time", SETTING_RANGE, 4, ALLOW_NONE, false, 1, 300, {}},
    {"rec_var_autostop_enabled", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_buffer_mode_after_boot", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_buffer_length", SETTING_RANGE, 4, ALLOW_NONE, false, 1, 30, {}},
    {"rec_presence_filter_on", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_presence_filter_gain", SETTING_RANGE, 4, ALLOW_NONE, false, 1, 6, {}},
    {"rec_highpass_on", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_highpass_freq",
     SETTING_CHOICE,
     4,
     ALLOW_NONE,
     false,
     0,
     0,
     {"80", "100", "120", "150", "180", "200"}},
    {"rec_break_mode", SETTING_CHOICE, 4, ALLOW_NONE, false, 0, 0, {"marker", "split", "pause"}},
    {"rec_stop_double", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_file_format",
     SETTING_CHOICE,
     4,
     SETTING_ALLOW_SET_FORMAT,
     false,
     0,
     0,
     {"WAV", "BWF", "MP2"}},
    {"rec_sample_rate",
     SETTING_CHOICE,
     4,
     SETTING_ALLOW_SET_SAMPLE_RATE,
     false,
     0,
     0,
     {"32000", "44100", "48000"}},
    {"rec_bitrate",
     SETTING_CHOICE,
     4,
     SETTING_ALLOW_SET_BITRATE,
     false,
     0,
     0,
     {"128", "160", "192", "---"}},
    {"rec_file_stereo", SETTING_BOOL, 4, SETTING_ALLOW_SET_FILE_STEREO, false, 0, 0, {}},
    {"rec_filename_prefix", SETTING_TEXT, 4, SETTING_ALLOW_SET_FILENAME_PREFIX, false, 0, 0, {}},
    {"combine_date_prefix",
     SETTING_CHOICE,
     4,
     SETTING_ALLOW_SET_FILENAME_DATE,
     false,
     0,
     0,
     {"none", "date only", "time only", "date and time"}},
    {"rec_meta_description0", SETTING_TEXT, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_meta_description1", SETTING_TEXT, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_meta_description2", SETTING_TEXT, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_meta_description3", SETTING_TEXT, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_meta_description4", SETTING_TEXT, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_meta_originator", SETTING_TEXT, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_meta_cc", SETTING_TEXT, 4, ALLOW_NONE, false, 0, 0, {}},
    {"rec_meta_ooo", SETTING_TEXT, 4, ALLOW_NONE, false, 0, 0, {}},
    {"play_continuous_playback",
     SETTING_CHOICE,
     4,
     ALLOW_NONE,
     false,
     0,
     0,
     {"continuous", "single file"}},
    {"play_playback_start_position",
     SETTING_CHOICE,
     4,
     ALLOW_NONE,
     false,
     0,
     0,
     {"start of recorded file", "resume previous position"}},
    {"play_output_selection",
     SETTING_CHOICE,
     4,
     SETTING_ALLOW_SET_OUTPUT_SELECTION,
     false,
     0,
     0,
     {"Headphone", "Lineout", "Lineout (balanced)"}},
    {"play_headset_level", SETTING_RANGE, 4, SETTING_ALLOW_SET_HP_LEVEL, false, -68, 0, {}},
    {"play_lineout_level", SETTING_RANGE, 4, SETTING_ALLOW_SET_LINEOUT_LEVEL, false, -68, 0, {}},
    {"mess_enabled", SETTING_BOOL, 4, SETTING_ALLOW_SET_MESSAGING, false, 0, 0, {}},
    {"mess2_empty_battery", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"mess2_full_memory", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"mess2_file_nr_on_mode", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"mess2_file_nr_play_mode", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"mess2_level", SETTING_RANGE, 4, ALLOW_NONE, false, -68, 0, {}},
    {"pm_prefered_power_source", SETTING_CHOICE, 4, ALLOW_NONE, false, 0, 0, {"battery", "accu"}},
    {"pm_shutdown_enable", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"pm_shutdown_onvar", SETTING_BOOL, 4, ALLOW_NONE, false, 0, 0, {}},
    {"pm_shutdown_time", SETTING_RANGE, 4, ALLOW_NONE, false, 10, 179, {}},
    {"rtc_autosync", SETTING_BOOL, 4, ALLOW_NONE, true, 0, 0, {}},
    {"he_th", SETTING_RANGE, 2, ALLOW_NONE, false, 0, 32767, {}},
    {"he_pga_down", SETTING_RANGE, 2, ALLOW_NONE, false, -36, 0, {}},
    {"he_step_timeout", SETTING_RANGE, 2, ALLOW_NONE, false, 0, 20, {}},
    {"he_max_overs", SETTING_RANGE, 2, ALLOW_NONE, false, 1, 10, {}},
    {"roi_enable", SETTING_BOOL, 4, SETTING_ALLOW_SWITCH_ILM_ROI, false, 0, 0, {}},
    {"roi_up_th", SETTING_RANGE, 4, ALLOW_NONE, false, 0, 32767, {}},
    {"roi_pga_down", SETTING_RANGE, 2, ALLOW_NONE, false, -6, 0, {}},
    {"roi_pga_down_hold", SETTING_RANGE, 2, ALLOW_NONE, false, 0, 20, {}},
    {"roi_att", SETTING_RANGE, 2, ALLOW_NONE, false, 0, 10, {}},
    {"roi_low_th", SETTING_RANGE, 4, ALLOW_NONE, false, 0, 32767, {}},
    {"roi_pga_up", SETTING_RANGE, 2, ALLOW_NONE, false, 0, 6, {}},
    {"roi_pga_up_hold", SETTING_RANGE, 2, ALLOW_NONE, false, 0, 20, {}},
    {"roi_rel", SETTING_RANGE, 2, ALLOW_NONE, false, 0, 10, {}},
    {"roi_no_th", SETTING_RANGE, 4, ALLOW_NONE, false, 0, 32767, {}},
    {"li_enable", SETTING_BOOL, 4, SETTING_ALLOW_SWITCH_ILM_LI, false, 0, 0, {}},
    {"li_th", SETTING_RANGE, 4, ALLOW_NONE, false, 0, 32767, {}},
    {"li_att", SETTING_RANGE, 4, ALLOW_NONE, false, 0, 16, {}},
    {"li_rel", SETTING_RANGE, 4, ALLOW_NONE, false, 0, 16, {}},
    {"li_adv", SETTING_RANGE, 4, ALLOW_NONE, false, 0, 480, {}},
};

// Copies at most size - 1 bytes of text and pads the rest of the field with NULs. The text
// may be the field itself or overlap it (a stored value stored again).
void copy_text(char* field, size_t size, const char* text) {
    const size_t length = strnlen(text, size - 1);
    std::memmove(field, text, length);
    std::memset(field + length, 0, size - length);
}

} // namespace

void init_settings_mapping() {
    for (int k = 0; k < SETTINGS_COUNT; ++k) {
        const setting_row& row = setting_rows[k];
        T_SETTING_MAPPING& record = settings_mapping[k];
        std::memset(&record, 0, sizeof(record));
        record.index = k;
        record.allow_setting = row.allow_setting;
        record.write_level = row.write_level;
        record.control_kind = CONTROL_NONE;
        record.control = nullptr;
        copy_text(record.name, sizeof(record.name), row.name);
        record.all_presets = row.all_presets ? 1 : 0;
        record.value_type = row.value_type;
        if (row.value_type == SETTING_RANGE) {
            record.min = row.min;
            record.max = row.max;
        } else if (row.value_type == SETTING_CHOICE) {
            for (int i = 0; i < SETTING_CHOICES_MAX && row.choices[i] != nullptr; ++i) {
                copy_text(record.choices[i], sizeof(record.choices[i]), row.choices[i]);
                record.choice_count = static_cast<uint8_t>(i + 1);
            }
        }
    }
}

namespace {

bool is_setting(int setting) {
    return static_cast<unsigned>(setting) < static_cast<unsigned>(SETTINGS_COUNT);
}

bool is_preset(int preset) {
    return static_cast<unsigned>(preset) < static_cast<unsigned>(PRESETS_COUNT);
}

} // namespace

void set_value(int setting, int preset, const char* text) {
    if (!is_setting(setting) || !is_preset(preset))
        return;
    if (text == nullptr)
        text = "";
    if (settings_mapping[setting].all_presets) {
        for (int p = 0; p < PRESETS_COUNT; ++p)
            copy_text(current_settings[setting][p].value, SETTING_VALUE_SIZE, text);
    } else {
        copy_text(current_settings[setting][preset].value, SETTING_VALUE_SIZE, text);
    }
}

char is_setting_enabled(int setting, int preset) {
    return current_settings[setting][preset].enabled;
}

void enable_setting(int setting, int preset, char enabled) {
    current_settings[setting][preset].enabled = enabled;
}

void preload_preset_backup(int preset) {
    if (!is_preset(preset))
        return;
    for (int s = 0; s < SETTINGS_COUNT; ++s) {
        set_value(s, preset, backup_settings[s]);
        enable_setting(s, preset, 1);
    }
}

// ---------------------------------------------------------------------------------------------
// Validation of values read from the device

wxString wxStrAction;
wxString wxStrErrList;
const int settingsWithStrictCharset[2] = {SETTING_MIC_LABEL, SETTING_REC_FILENAME_PREFIX};

namespace {

// Leading white space, a sign and the digits up to the first other character; 0 without
// digits. Saturates instead of overflowing.
int64_t leading_number(const char* text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        const int digit = *text - '0';
        if (value > (INT64_MAX - digit) / 10)
            return negative ? INT64_MIN : INT64_MAX;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

// The whole text must be one decimal number (leading white space and a sign allowed).
bool whole_number(const char* text, long* value) {
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE)
        return false;
    *value = parsed;
    return true;
}

bool same(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

bool stored_is(int setting, int preset, const char* word) {
    return same(current_settings[setting][preset].value, word);
}

wxString to_host(const char* device_text) {
    wxString host;
    convert_device_to_host_string(device_text, host);
    return host;
}

void replace_value(int setting, int preset, const char* text, const char* replacement) {
    write_setting_erradd(setting, preset, text, replacement);
    set_value(setting, preset, replacement);
}

void validate_bool(int setting, int preset, const char* text) {
    if ((setting == SETTING_ALLOW_SET_BITRATE || setting == SETTING_ALLOW_SET_SAMPLE_RATE) &&
        stored_is(SETTING_ALLOW_SET_FORMAT, preset, "1") && same(text, "0")) {
        replace_value(setting, preset, text, "1");
        return;
    }
    // Autostop without voice activation is meaningless; corrected without bothering the user.
    if (setting == SETTING_REC_VAR_AUTOSTOP_ENABLED &&
        stored_is(SETTING_REC_VAR_ACTIVE_AFTER_BOOT, preset, "0") && same(text, "1")) {
        set_value(setting, preset, "0");
        return;
    }
    const int64_t n = leading_number(text);
    if (n == 0 || n == 1)
        set_value(setting, preset, text);
    else
        replace_value(setting, preset, text, backup_settings[setting]);
}

void validate_range(int setting, int preset, const char* text) {
    T_SETTING_MAPPING& record = settings_mapping[setting];
    long rate = 0;
    // The look-ahead limit is a number of samples per 10 ms at the preset's rate.
    if (setting == SETTING_LI_ADV &&
        whole_number(current_settings[SETTING_REC_SAMPLE_RATE][preset].value, &rate))
        record.max = rate / 100;

    std::string fallback = backup_settings[setting];
    long fallback_number = 0;
    if (!whole_number(fallback.c_str(), &fallback_number) || fallback_number < record.min ||
        fallback_number > record.max)
        fallback = std::to_string(record.min);

    const int64_t n = leading_number(text);
    if (n >= record.min && n <= record.max)
        set_value(setting, preset, text);
    else
        replace_value(setting, preset, text, fallback.c_str());
}

bool is_choice(const T_SETTING_MAPPING& record, const char* text) {
    for (int i = 0; i < record.choice_count && i < SETTING_CHOICES_MAX; ++i)
        if (same(record.choices[i], text))
            return true;
    return false;
}

void validate_choice(int setting, int preset, const char* text) {
    const T_SETTING_MAPPING& record = settings_mapping[setting];
    // BWF files are never written at the lowest rate.
    if (setting == SETTING_REC_SAMPLE_RATE && stored_is(SETTING_REC_FILE_FORMAT, preset, "BWF") &&
        same(text, record.choices[0])) {
        replace_value(setting, preset, text, record.choices[1]);
        return;
    }
    // Only MP2 has a bitrate; the last choice "---" stands for none.
    if (setting == SETTING_REC_BITRATE && record.choice_count > 0) {
        const char* none = record.choices[record.choice_count - 1];
        if (!stored_is(SETTING_REC_FILE_FORMAT, preset, "MP2")) {
            if (same(text, none))
                set_value(setting, preset, text);
            else
                replace_value(setting, preset, text, none);
            return;
        }
        if (same(text, none)) {
            replace_value(setting, preset, text, record.choices[0]);
            return;
        }
    }
    if (is_choice(record, text))
        set_value(setting, preset, text);
    else
        replace_value(setting, preset, text, backup_settings[setting]);
}

} // namespace

void write_setting_init(const char* action) {
    wxStrAction = wxString::FromAscii(action != nullptr ? action : "");
    wxStrErrList.clear();
}

void write_setting_erradd(int setting, int preset, const char* badValue, const char* newValue) {
    if (!is_setting(setting))
        return;
    wxStrErrList += wxString::Format(
        wxT("    parameter: \"%s\" preset: #%d invalid_value: \"%s\" new value: \"%s\"\n"),
        wxString::FromAscii(settings_mapping[setting].name), preset, to_host(badValue),
        to_host(newValue));
}

void write_setting_missadd(int setting, int preset, const char* newValue) {
    if (!is_setting(setting))
        return;
    wxStrErrList += wxString::Format(
        wxT("    parameter: \"%s\" preset: #%d -missing- new value: \"%s\"\n"),
        wxString::FromAscii(settings_mapping[setting].name), preset, to_host(newValue));
}

void write_setting_done() {
    if (wxStrErrList.empty())
        return;
    ProtocolGuardDlg* dialog = new ProtocolGuardDlg(
        TheParent, 1, wxT("the guard"), wxDefaultPosition, wxDefaultSize, wxCAPTION | wxCLOSE_BOX);
    dialog->Boom(wxStrAction, wxStrErrList);
}

void write_setting_value(int setting, int preset, char* text) {
    // Cross-setting rules read this preset's column of the store.
    if (!is_setting(setting) || !is_preset(preset) || text == nullptr)
        return;
    trim_device_string(text);
    clean_device_string(text, false);
    switch (settings_mapping[setting].value_type) {
    case SETTING_BOOL:
        validate_bool(setting, preset, text);
        break;
    case SETTING_RANGE:
        validate_range(setting, preset, text);
        break;
    case SETTING_CHOICE:
        validate_choice(setting, preset, text);
        break;
    default:
        set_value(setting, preset, text);
        break;
    }
}

void convert_textctrl_text(int setting, wxString& text) {
    bool strict = false;
    for (int strict_setting : settingsWithStrictCharset)
        strict = strict || setting == strict_setting;
    clean_host_string(text, strict);
}

void convert_choice_text(int setting, wxString& text, bool toHost) {
    if (setting != SETTING_PM_PREFERED_POWER_SOURCE)
        return;
    const wxString device_word = wxT("accu");
    const wxString host_word = wxT("internal");
    if (toHost && text == device_word)
        text = host_word;
    else if (!toHost && text == host_word)
        text = device_word;
}

// ---------------------------------------------------------------------------------------------
// Device paths

const char DEVICE_ROOT[] = "/tarvik/";
const char SETTINGS_ROOT[] = "/tarvik/settings/";
const char SCRIPTS_ROOT[] = "/tarvik/scripts/";

std::string setting_file_path(int preset, int setting) {
    return SETTINGS_ROOT + std::to_string(preset) + "/" + settings_mapping[setting].name;
}

// ---------------------------------------------------------------------------------------------
// Device queries

namespace {

const char HW_TYPE_FILE[] = "/tmp/hw_type";

// Reads one device file, holding the port lock for exactly the one exchange. On success
// text holds the answer without trailing white space.
bool read_device_file(const std::string& path, std::string& text) {
    link_frame answer;
    if (!device_exchange(&answer, CMD_READ_FILE, path.c_str(), "", WAIT_FOR_ANSWER))
        return false;
    text = frame_text(&answer);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    return true;
}

} // namespace

int get_active_preset() {
    std::string text;
    long preset = 0;
    if (!read_device_file(std::string(SETTINGS_ROOT) + "current_preset", text) ||
        !whole_number(text.c_str(), &preset) || preset < 0 || preset >= PRESETS_COUNT)
        return 1;
    return static_cast<int>(preset);
}

void set_active_preset(int preset) {
    const std::string line = std::string(SCRIPTS_ROOT) + "set_preset " + std::to_string(preset);
    link_frame answer;
    device_exchange(&answer, CMD_EXECUTE, "SETPRESET", line.c_str(), WAIT_BY_NAME);
}

int get_hw_type() {
    std::string text;
    if (read_device_file(HW_TYPE_FILE, text) && leading_number(text.c_str()) == 1)
        return HW_TYPE_WITHOUT_ACCU;
    return HW_TYPE_WITH_ACCU;
}

// ---------------------------------------------------------------------------------------------
// Microphone heads

const wxChar mic_chars[] = wxT("abcdefghijklmnopqrsux");

const wxChar* const capsule_names[CAPSULE_COUNT] = {
    wxT("Type A"), wxT("Type B"),  wxT("Type C"),  wxT("Type D"),  wxT("Type E"),  wxT("Type F"),
    wxT("Type G"), wxT("Type H"),  wxT("Type I"),  wxT("Type J"),  wxT("PRO"),     wxT("PRO"),
    wxT("PRO"),    wxT("PREMIUM"), wxT("PREMIUM"), wxT("PREMIUM"), wxT("PREMIUM"), wxT("Type R"),
    wxT("Type S"), wxT("INVALID"), wxT("Line in"),
};

const int capsule_mapping[CAPSULE_COUNT] = {
    4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 1, 0, 3, 1, 1, 3, 0, 4, 4, 5, 4,
};
