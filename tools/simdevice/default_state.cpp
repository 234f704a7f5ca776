#include "default_state.h"

#include <string>

namespace sim {

namespace {

struct DeviceFile {
    const char* path;
    const char* text;
};

// The files in each preset's folder "/tarvik/settings/<digit>/", one per setting, as a new
// device has them in all ten.
const DeviceFile setting_files[] = {
    {"mic_label", "Station_ID"},
    {"combine_label_prefix", "1"},
    {"preset_name", "Factory_settings"},
    {"presets_enabled", "0"},
    {"allow_switch_ilm_roi", "1"},
    {"allow_switch_ilm_li", "1"},
    {"allow_set_time", "1"},
    {"allow_set_preset", "1"},
    {"allow_set_messaging", "1"},
    {"allow_set_filename_prefix", "1"},
    {"allow_set_format", "1"},
    {"allow_set_bitrate", "1"},
    {"allow_set_mic_gain", "1"},
    {"allow_set_line_gain", "1"},
    {"allow_set_output_selection", "1"},
    {"allow_set_lineout_level", "1"},
    {"allow_set_hp_level", "1"},
    {"allow_set_sample_rate", "1"},
    {"allow_set_filename_date", "1"},
    {"allow_set_file_stereo", "1"},
    {"allow_edit_meta_data", "1"},
    {"rec_monitoring_while_record", "1"},
    {"rec_mic_level", "25"},
    {"rec_line_level", "0"},
    {"rec_var_active_after_boot", "0"},
    {"rec_var_start_threshold", "-5"},
    {"rec_var_stop_threshold", "-25"},
    {"rec_var_hold_time", "15"},
    {"rec_var_autostop_enabled", "0"},
    {"rec_buffer_mode_after_boot", "0"},
    {"rec_buffer_length", "10"},
    {"rec_presence_filter_on", "0"},
    {"rec_presence_filter_gain", "3"},
    {"rec_highpass_on", "1"},
    {"rec_highpass_freq", "80"},
    {"rec_break_mode", "marker"},
    {"rec_stop_double", "0"},
    {"rec_file_format", "WAV"},
    {"rec_sample_rate", "48000"},
    {"rec_bitrate", "---"},
    {"rec_file_stereo", "0"},
    {"rec_filename_prefix", "_oVk_serial_number_"},
    {"combine_date_prefix", "none"},
    {"rec_meta_description0", "oVk default recording description"},
    {"rec_meta_description1", ""},
    {"rec_meta_description2", ""},
    {"rec_meta_description3", ""},
    {"rec_meta_description4", ""},
    {"rec_meta_originator", "oVk default originator"},
    {"rec_meta_cc", "CC"},
    {"rec_meta_ooo", "OOO"},
    {"play_continuous_playback", "single file"},
    {"play_playback_start_position", "start of recorded file"},
    {"play_output_selection", "Headphone"},
    {"play_headset_level", "-10"},
    {"play_lineout_level", "0"},
    {"mess_enabled", "1"},
    {"mess2_empty_battery", "1"},
    {"mess2_full_memory", "1"},
    {"mess2_file_nr_on_mode", "1"},
    {"mess2_file_nr_play_mode", "1"},
    {"mess2_level", "-10"},
    {"pm_prefered_power_source", "accu"},
    {"pm_shutdown_enable", "0"},
    {"pm_shutdown_onvar", "0"},
    {"pm_shutdown_time", "60"},
    {"rtc_autosync", "1"},
    {"he_th", "25716"},
    {"he_pga_down", "-12"},
    {"he_step_timeout", "1"},
    {"he_max_overs", "1"},
    {"roi_enable", "1"},
    {"roi_up_th", "11614"},
    {"roi_pga_down", "-1"},
    {"roi_pga_down_hold", "4"},
    {"roi_att", "1"},
    {"roi_low_th", "4148"},
    {"roi_pga_up", "1"},
    {"roi_pga_up_hold", "6"},
    {"roi_rel", "1"},
    {"roi_no_th", "2061"},
    {"li_enable", "1"},
    {"li_th", "16384"},
    {"li_att", "4"},
    {"li_rel", "14"},
    {"li_adv", "34"},
};

// The status files a running device keeps, and its identity.
const DeviceFile status_files[] = {
    {"/tarvik/settings/current_preset", "1"},
    {"/tmp/power_accu", "87"},
    {"/tmp/power_batt", "64"},
    {"/tmp/mem_info_size", "4194304"}, // KiB: 4 GiB
    {"/tmp/mem_info_free", "1048576"}, // KiB: 1 GiB
    {"/proc/dsp_level", "1200"},
    {"/proc/dsp_source", "0"},
    {"/tmp/hw_type", "0"},
    {"/tarvik/mics/current_mic", "l"},
    {"/tarvik/serialnumber", "0A1B2C3D"},
};

constexpr int preset_count = 10;

} // namespace

void load_default_state(SimDevice& device) {
    for (int preset = 0; preset < preset_count; ++preset)
        for (const DeviceFile& file : setting_files)
            device.set_file("/tarvik/settings/" + std::to_string(preset) + "/" + file.path,
                            file.text);
    for (const DeviceFile& file : status_files)
        device.set_file(file.path, file.text);
}

} // namespace sim
