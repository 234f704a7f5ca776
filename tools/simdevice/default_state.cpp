#include "default_state.h"

#include "tarvik_settings.h"

namespace sim {

void load_default_state(SimDevice& device) {
    // The program may have built the table already and bound its controls to it: building
    // it again would clear those bindings.
    if (settings_mapping[0].name[0] == '\0')
        init_settings_mapping();
    for (int preset = 0; preset < PRESETS_COUNT; ++preset) {
        for (int setting = 0; setting < SETTINGS_COUNT; ++setting) {
            device.set_file("/tarvik/settings/" + std::to_string(preset) + "/" +
                                settings_mapping[setting].name,
                            backup_settings[setting]);
        }
    }
    device.set_file("/tarvik/settings/current_preset", "1");
    device.set_file("/tmp/power_accu", "87");
    device.set_file("/tmp/power_batt", "64");
    device.set_file("/tmp/mem_info_size", "4194304"); // KiB: 4 GiB
    device.set_file("/tmp/mem_info_free", "1048576"); // KiB: 1 GiB
    device.set_file("/proc/dsp_level", "1200");
    device.set_file("/proc/dsp_source", "0");
    device.set_file("/tmp/hw_type", "0");
    device.set_file("/tarvik/mics/current_mic", "l");
    device.set_file("/tarvik/serialnumber", "0A1B2C3D");
}

} // namespace sim
