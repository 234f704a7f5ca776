// The device settings: their table, the per-preset value store with its defaults, the
// validation of values read from the device, and three small device queries.
#pragma once

#include <cstdint>
#include <string>

#include <wx/string.h>

class wxControl;

constexpr int SETTINGS_COUNT = 86;
constexpr int PRESETS_COUNT = 10;
// A value text: at most 59 characters and a NUL.
constexpr int SETTING_VALUE_SIZE = 60;
constexpr int SETTING_NAME_SIZE = 64;
constexpr int SETTING_CHOICES_MAX = 6;

// Position of a setting in settings_mapping, current_settings and backup_settings.
enum T_SETTING_ELEMENTS : int {
    SETTING_MIC_LABEL = 0,
    SETTING_COMBINE_LABEL_PREFIX = 1,
    SETTING_PRESET_NAME = 2,
    SETTING_PRESETS_ENABLED = 3,
    SETTING_ALLOW_SWITCH_ILM_ROI = 4,
    SETTING_ALLOW_SWITCH_ILM_LI = 5,
    SETTING_ALLOW_SET_TIME = 6,
    SETTING_ALLOW_SET_PRESET = 7,
    SETTING_ALLOW_SET_MESSAGING = 8,
    SETTING_ALLOW_SET_FILENAME_PREFIX = 9,
    SETTING_ALLOW_SET_FORMAT = 10,
    SETTING_ALLOW_SET_BITRATE = 11,
    SETTING_ALLOW_SET_MIC_GAIN = 12,
    SETTING_ALLOW_SET_LINE_GAIN = 13,
    SETTING_ALLOW_SET_OUTPUT_SELECTION = 14,
    SETTING_ALLOW_SET_LINEOUT_LEVEL = 15,
    SETTING_ALLOW_SET_HP_LEVEL = 16,
    SETTING_ALLOW_SET_SAMPLE_RATE = 17,
    SETTING_ALLOW_SET_FILENAME_DATE = 18,
    SETTING_ALLOW_SET_FILE_STEREO = 19,
    SETTING_ALLOW_EDIT_META_DATA = 20,
    SETTING_REC_MONITORING_WHILE_RECORD = 21,
    SETTING_REC_MIC_LEVEL = 22,
    SETTING_REC_LINE_LEVEL = 23,
    SETTING_REC_VAR_ACTIVE_AFTER_BOOT = 24,
    SETTING_REC_VAR_START_THRESHOLD = 25,
    SETTING_REC_VAR_STOP_THRESHOLD = 26,
    SETTING_REC_VAR_HOLD_TIME = 27,
    SETTING_REC_VAR_AUTOSTOP_ENABLED = 28,
    SETTING_REC_BUFFER_MODE_AFTER_BOOT = 29,
    SETTING_REC_BUFFER_LENGTH = 30,
    SETTING_REC_PRESENCE_FILTER_ON = 31,
    SETTING_REC_PRESENCE_FILTER_GAIN = 32,
    SETTING_REC_HIGHPASS_ON = 33,
    SETTING_REC_HIGHPASS_FREQ = 34,
    SETTING_REC_BREAK_MODE = 35,
    SETTING_REC_STOP_DOUBLE = 36,
    SETTING_REC_FILE_FORMAT = 37,
    SETTING_REC_SAMPLE_RATE = 38,
    SETTING_REC_BITRATE = 39,
    SETTING_REC_FILE_STEREO = 40,
    SETTING_REC_FILENAME_PREFIX = 41,
    SETTING_COMBINE_DATE_PREFIX = 42,
    SETTING_REC_META_DESCRIPTION0 = 43,
    SETTING_REC_META_DESCRIPTION1 = 44,
    SETTING_REC_META_DESCRIPTION2 = 45,
    SETTING_REC_META_DESCRIPTION3 = 46,
    SETTING_REC_META_DESCRIPTION4 = 47,
    SETTING_REC_META_ORIGINATOR = 48,
    SETTING_REC_META_CC = 49,
    SETTING_REC_META_OOO = 50,
    SETTING_PLAY_CONTINUOUS_PLAYBACK = 51,
    SETTING_PLAY_PLAYBACK_START_POSITION = 52,
    SETTING_PLAY_OUTPUT_SELECTION = 53,
    SETTING_PLAY_HEADSET_LEVEL = 54,
    SETTING_PLAY_LINEOUT_LEVEL = 55,
    SETTING_MESS_ENABLED = 56,
    SETTING_MESS2_EMPTY_BATTERY = 57,
    SETTING_MESS2_FULL_MEMORY = 58,
    SETTING_MESS2_FILE_NR_ON_MODE = 59,
    SETTING_MESS2_FILE_NR_PLAY_MODE = 60,
    SETTING_MESS2_LEVEL = 61,
    SETTING_PM_PREFERED_POWER_SOURCE = 62,
    SETTING_PM_SHUTDOWN_ENABLE = 63,
    SETTING_PM_SHUTDOWN_ONVAR = 64,
    SETTING_PM_SHUTDOWN_TIME = 65,
    SETTING_RTC_AUTOSYNC = 66,
    SETTING_HE_TH = 67,
    SETTING_HE_PGA_DOWN = 68,
    SETTING_HE_STEP_TIMEOUT = 69,
    SETTING_HE_MAX_OVERS = 70,
    SETTING_ROI_ENABLE = 71,
    SETTING_ROI_UP_TH = 72,
    SETTING_ROI_PGA_DOWN = 73,
    SETTING_ROI_PGA_DOWN_HOLD = 74,
    SETTING_ROI_ATT = 75,
    SETTING_ROI_LOW_TH = 76,
    SETTING_ROI_PGA_UP = 77,
    SETTING_ROI_PGA_UP_HOLD = 78,
    SETTING_ROI_REL = 79,
    SETTING_ROI_NO_TH = 80,
    SETTING_LI_ENABLE = 81,
    SETTING_LI_TH = 82,
    SETTING_LI_ATT = 83,
    SETTING_LI_REL = 84,
    SETTING_LI_ADV = 85,
};

enum {
    SETTING_UNCHECKED = -1, // stored unchanged
    SETTING_BOOL = 0,
    SETTING_RANGE = 1,
    SETTING_CHOICE = 2,
    SETTING_TEXT = 3,
};

enum {
    CONTROL_NONE = -1,
    CONTROL_SPIN_CTRL = 0,
    CONTROL_CHECK_BOX = 1,
    CONTROL_CHOICE = 2,
    CONTROL_TEXT = 3,
    CONTROL_SLIDER = 4,
    CONTROL_SPIN_BUTTON = 5,
};

// Values of allow_setting besides a setting number.
enum {
    ALLOW_NONE = -1,
    ALLOW_NEVER = -2,
};

struct T_SETTING_MAPPING {
    int32_t index;
    int32_t allow_setting; // governing allow setting, ALLOW_NONE or ALLOW_NEVER
    int32_t write_level;   // written to the device only while not below auth_level
    int32_t control_kind;
    char name[SETTING_NAME_SIZE]; // the device file name
    wxControl* control;
    uint8_t all_presets; // one value shared by all presets
    int32_t value_type;
    union {
        struct { // SETTING_RANGE, inclusive
            int64_t min;
            int64_t max;
        };
        struct { // SETTING_CHOICE
            uint8_t choice_count;
            char choices[SETTING_CHOICES_MAX][SETTING_VALUE_SIZE];
        };
    };
};

// One cell of the value store.
struct T_SETTING_VALUE {
    char value[SETTING_VALUE_SIZE];
    char enabled; // the setting's control may be enabled while this preset is active
};

extern T_SETTING_MAPPING settings_mapping[SETTINGS_COUNT];
extern T_SETTING_VALUE current_settings[SETTINGS_COUNT][PRESETS_COUNT];
extern const char backup_settings[SETTINGS_COUNT][SETTING_VALUE_SIZE];

void init_settings_mapping();
// Stores a text (cut to 59 characters) for a preset, or for all presets when the setting is
// shared; a preset outside 0..9 is ignored. Enabled flags are left alone.
void set_value(int setting, int preset, const char* text);
char is_setting_enabled(int setting, int preset);
void enable_setting(int setting, int preset, char enabled);
// Stores every default into the preset and enables all of its settings.
void preload_preset_backup(int preset);

// The validation report: its action phrase and one line per replaced or missing value.
extern wxString wxStrAction;
extern wxString wxStrErrList;
// Settings whose text fields take only the strict character set.
extern const int settingsWithStrictCharset[2];

void write_setting_init(const char* action);
void write_setting_erradd(int setting, int preset, const char* badValue, const char* newValue);
void write_setting_missadd(int setting, int preset, const char* newValue);
// Shows the report in the invalid-values dialog when it holds any line.
void write_setting_done();
// Trims and cleans text in place, validates it and stores it or its replacement.
void write_setting_value(int setting, int preset, char* text);

void convert_textctrl_text(int setting, wxString& text);
// Maps the power-source word: the device's "accu" is shown as "internal".
void convert_choice_text(int setting, wxString& text, bool toHost);

enum _T_HW_TYPE {
    HW_TYPE_UNKNOWN = 1,
    HW_TYPE_WITH_ACCU = 2,
    HW_TYPE_WITHOUT_ACCU = 4,
};

// Device queries; each holds COMPORT around its one exchange.
// The device's active preset, 1 when it cannot be determined.
int get_active_preset();
void set_active_preset(int preset);
int get_hw_type();

// The device's folders, and the file of one setting in one preset.
extern const char DEVICE_ROOT[];   // "/tarvik/"
extern const char SETTINGS_ROOT[]; // "/tarvik/settings/"
extern const char SCRIPTS_ROOT[];  // "/tarvik/scripts/"
std::string setting_file_path(int preset, int setting);

// Microphone heads: a type letter's position in mic_chars indexes the two tables.
constexpr int CAPSULE_COUNT = 21;
extern const wxChar mic_chars[];
extern const wxChar* const capsule_names[CAPSULE_COUNT];
// Picture class: 0 cardioid, 1 supercardioid, 3 omni; any other has no picture.
extern const int capsule_mapping[CAPSULE_COUNT];
