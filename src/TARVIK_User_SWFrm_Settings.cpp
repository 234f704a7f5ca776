// The main window's setting controls: the road of a change from a control to the store and the
// device and back, the dependent controls, permissions, presets and the hardware type.
#include "TARVIK_User_SWFrm.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <wx/msgdlg.h>
#include <wx/spinbutt.h>
#include <wx/spinctrl.h>

#include "PowerMeter.h"
#include "protocol.h"
#include "string_conversion.h"

namespace {

// Settings the device's DSP applies at once when asked.
bool is_live_setting(int setting) {
    switch (setting) {
    case SETTING_REC_MIC_LEVEL:
    case SETTING_REC_LINE_LEVEL:
    case SETTING_PLAY_OUTPUT_SELECTION:
    case SETTING_PLAY_HEADSET_LEVEL:
    case SETTING_PLAY_LINEOUT_LEVEL:
    case SETTING_ROI_ENABLE:
    case SETTING_LI_ENABLE:
        return true;
    default:
        return false;
    }
}

// The stored text of a setting; empty outside the store rather than a read past it.
const char* stored_text(int setting, int preset) {
    if (setting < 0 || setting >= SETTINGS_COUNT || preset < 0 || preset >= PRESETS_COUNT)
        return "";
    return current_settings[setting][preset].value;
}

bool stored_is(int setting, int preset, const char* word) {
    return std::string(stored_text(setting, preset)) == word;
}

// Controls and permission tests read a value only when the whole text is one base-10 number.
bool whole_number(const wxString& text, long* value) {
    return text.ToLong(value, 10);
}

// Whole number, clamped into an int range before it goes to a control.
int clamped(long value, int min, int max) {
    return static_cast<int>(std::clamp<long>(value, min, max));
}

// An allow setting permits only when its trimmed text is wholly the number 1.
bool permits(int setting, int preset) {
    char text[SETTING_VALUE_SIZE];
    std::snprintf(text, sizeof(text), "%s", stored_text(setting, preset));
    trim_device_string(text);
    wxString host;
    convert_device_to_host_string(text, host);
    long value = 0;
    return whole_number(host, &value) && value == 1;
}

// The device takes a setting's value only where its write level reaches the link's level.
bool may_write(T_SETTING_ELEMENTS setting) {
    return settings_mapping[setting].write_level >= auth_level;
}

void fill_choice(wxChoice* choice, const T_SETTING_MAPPING& record, int first, int end) {
    choice->Clear();
    for (int i = std::max(first, 0); i < end && i < SETTING_CHOICES_MAX; ++i)
        choice->Append(wxString::FromAscii(record.choices[i]));
}

} // namespace

void TARVIK_User_SWFrm::MapCommandEvent(wxCommandEvent& event) {
    Control_to_Settings(dynamic_cast<wxControl*>(event.GetEventObject()));
    CheckPermissions();
}

void TARVIK_User_SWFrm::Control_to_Settings(wxControl* control) {
    if (!control)
        return;
    const auto found = m_controlRecords.find(control);
    if (found == m_controlRecords.end())
        return;
    const T_SETTING_MAPPING* record = found->second;
    const T_SETTING_ELEMENTS setting = static_cast<T_SETTING_ELEMENTS>(record->index);

    // A format change writes the bitrate and the sample rate too. Where either may not be
    // written the device would keep a pair that its own rules replace: the change is refused,
    // and the control shows the stored format again.
    if (m_connected && setting == SETTING_REC_FILE_FORMAT &&
        !(may_write(SETTING_REC_BITRATE) && may_write(SETTING_REC_SAMPLE_RATE))) {
        SettingToControl(setting, m_activePreset);
        return;
    }

    wxString text;
    bool formed = true;
    switch (record->control_kind) {
    case CONTROL_SPIN_CTRL:
        text = wxString::Format(wxT("%d"), static_cast<wxSpinCtrl*>(control)->GetValue());
        break;
    case CONTROL_CHECK_BOX:
        text = static_cast<wxCheckBox*>(control)->GetValue() ? wxT("1") : wxT("0");
        break;
    case CONTROL_CHOICE:
        text = static_cast<wxChoice*>(control)->GetStringSelection();
        convert_choice_text(setting, text, false);
        break;
    case CONTROL_TEXT:
        text = static_cast<wxTextCtrl*>(control)->GetValue();
        convert_textctrl_text(setting, text);
        break;
    case CONTROL_SLIDER:
        text = wxString::Format(wxT("%d"), static_cast<wxSlider*>(control)->GetValue());
        break;
    case CONTROL_SPIN_BUTTON:
        text = wxString::Format(wxT("%d"), static_cast<wxSpinButton*>(control)->GetValue());
        break;
    default:
        formed = false;
    }
    if (formed) {
        char device[SETTING_VALUE_SIZE];
        convert_host_to_device_string(text, device, sizeof(device), true);
        set_value(setting, m_activePreset, device);
        if (!m_refreshingText)
            MarkMissing(setting, m_activePreset, false);
    }
    if (!m_connected)
        return;
    // A default shown for a value the device did not give is not the device's text: only the
    // user's own change may write it over that text.
    if (!(m_refreshingText && IsMissing(setting)))
        SettingToDevice(setting);
    UpdateIfLiveSetting(setting);
    // The error box above runs an event loop in which the link may have been lost.
    if (m_connected)
        OnValueChanges(setting, m_activePreset, 1);
}

bool TARVIK_User_SWFrm::SettingToDevice(T_SETTING_ELEMENTS setting) {
    // A run of writes (the metadata's eight) stops once the link was lost on its way.
    if (!m_connected)
        return false;
    const T_SETTING_MAPPING& record = settings_mapping[setting];
    const std::string path = setting_file_path(m_activePreset, setting);

    uint32_t command = CMD_WRITE_FILE;
    char payload[sizeof(link_frame::payload.text)];
    std::snprintf(payload, sizeof(payload), "%s", stored_text(setting, m_activePreset));
    clean_device_string(payload, false);
    if (!may_write(setting)) {
        command = CMD_MESSAGE;
        std::snprintf(payload, sizeof(payload), "permission denied writing setting %s %d, %d\n",
                      record.name, record.write_level, auth_level);
    }

    link_frame answer;
    const bool answered = device_exchange(&answer, command, path.c_str(), payload, WAIT_FOR_ANSWER);
    if (!answered && !LinkDown()) {
        auto* box = new wxMessageDialog(
            this, wxT("An error occured while transfering settings to the device."),
            wxT("Communication error"), wxOK | wxICON_ERROR);
        box->ShowModal();
        box->Destroy();
    }
    return answered;
}

void TARVIK_User_SWFrm::UpdateDSP(T_SETTING_ELEMENTS setting) {
    if (!m_connected)
        return;
    const std::string line =
        std::string(DEVICE_ROOT) + "daemons/dsp_set " + settings_mapping[setting].name;
    link_frame answer;
    device_exchange(&answer, CMD_EXECUTE, "UPDATEDSP", line.c_str(), WAIT_BY_NAME);
}

void TARVIK_User_SWFrm::UpdateIfLiveSetting(T_SETTING_ELEMENTS setting) {
    if (!is_live_setting(setting))
        return;
    UpdateDSP(setting);
    // Autoleveling off hands the gain back to the manual setting.
    if (setting == SETTING_ROI_ENABLE && !ilm_roi_enable->GetValue())
        UpdateDSP(SETTING_REC_MIC_LEVEL);
}

void TARVIK_User_SWFrm::SettingToControl(int setting, int preset) {
    if (setting < 0 || setting >= SETTINGS_COUNT)
        return;
    const T_SETTING_MAPPING& record = settings_mapping[setting];
    wxString text;
    convert_device_to_host_string(stored_text(setting, preset), text);

    wxControl* control = record.control;
    long number = 0;
    const bool isNumber = whole_number(text, &number);
    switch (control ? record.control_kind : CONTROL_NONE) {
    case CONTROL_SPIN_CTRL:
        if (isNumber) {
            auto* spin = static_cast<wxSpinCtrl*>(control);
            spin->SetValue(clamped(number, spin->GetMin(), spin->GetMax()));
        }
        break;
    case CONTROL_CHECK_BOX:
        if (isNumber)
            static_cast<wxCheckBox*>(control)->SetValue(number == 1);
        break;
    case CONTROL_CHOICE: {
        auto* choice = static_cast<wxChoice*>(control);
        convert_choice_text(setting, text, true);
        for (unsigned i = 0; i < choice->GetCount(); ++i) {
            if (choice->GetString(i).IsSameAs(text, false)) {
                choice->SetSelection(static_cast<int>(i));
                break;
            }
        }
        break;
    }
    case CONTROL_TEXT:
        // Raises the text event, which takes the shown text down the change road again.
        m_refreshingText = true;
        static_cast<wxTextCtrl*>(control)->SetValue(text.Trim(true));
        m_refreshingText = false;
        break;
    case CONTROL_SLIDER:
        if (isNumber) {
            auto* slider = static_cast<wxSlider*>(control);
            slider->SetValue(clamped(number, slider->GetMin(), slider->GetMax()));
        }
        break;
    case CONTROL_SPIN_BUTTON:
        if (isNumber) {
            auto* spin = static_cast<wxSpinButton*>(control);
            spin->SetValue(clamped(number, spin->GetMin(), spin->GetMax()));
        }
        break;
    default:
        control = nullptr;
    }
    if (control)
        control->Refresh(true);
    OnValueChanges(setting, preset, 0);
}

void TARVIK_User_SWFrm::MarkMissing(int setting, int preset, bool missing) {
    if (setting < 0 || setting >= SETTINGS_COUNT)
        return;
    // A shared setting holds one value for all presets, as the store does.
    for (int p = 0; p < PRESETS_COUNT; ++p)
        if (p == preset || settings_mapping[setting].all_presets)
            m_missingAtConnect[setting][p] = missing;
}

bool TARVIK_User_SWFrm::IsMissing(int setting) const {
    return setting >= 0 && setting < SETTINGS_COUNT && m_activePreset >= 0 &&
           m_activePreset < PRESETS_COUNT && m_missingAtConnect[setting][m_activePreset];
}

void TARVIK_User_SWFrm::StringSettingsToControls() {
    for (T_SETTING_ELEMENTS setting : m_displaySettings) {
        SettingToControl(setting, m_activePreset);
        if (m_connected)
            UpdateIfLiveSetting(setting);
    }
    CheckPermissions();
}

void TARVIK_User_SWFrm::OnValueChanges(int setting, int preset, char fromControl) {
    switch (setting) {
    case SETTING_REC_MIC_LEVEL:
        MicGainText->SetLabel(wxString::Format(wxT("%ddB"), MicLevel->GetValue()));
        break;
    case SETTING_REC_LINE_LEVEL:
        LineLevelText->SetLabel(wxString::Format(wxT("%ddB"), LineLevel->GetValue()));
        break;
    case SETTING_REC_FILE_FORMAT:
        ApplyFormatRule(preset, fromControl);
        break;
    case SETTING_REC_SAMPLE_RATE:
    case SETTING_REC_BITRATE:
    case SETTING_REC_FILE_STEREO:
        UpdateRecordTime();
        break;
    case SETTING_PLAY_OUTPUT_SELECTION: {
        const bool headphone = stored_is(setting, preset, "Headphone");
        HPLevel->Enable(headphone);
        enable_setting(SETTING_PLAY_HEADSET_LEVEL, m_activePreset, headphone);
        LineOutLevel->Enable(!headphone);
        enable_setting(SETTING_PLAY_LINEOUT_LEVEL, m_activePreset, !headphone);
        OnLineoutLevelChange();
        break;
    }
    case SETTING_PLAY_HEADSET_LEVEL: {
        const int position = HPLevel->GetValue();
        HPLevelText->SetLabel(position == HPLevel->GetMin()
                                  ? wxString(wxT("-Inf dB"))
                                  : wxString::Format(wxT("%ddB"), position));
        break;
    }
    case SETTING_PLAY_LINEOUT_LEVEL:
        OnLineoutLevelChange();
        break;
    case SETTING_ROI_ENABLE: {
        // The manual gain is usable only while autoleveling is off.
        const bool off = stored_is(setting, preset, "0");
        MicLevel->Enable(off);
        enable_setting(SETTING_REC_MIC_LEVEL, m_activePreset, off);
        break;
    }
    default:
        break;
    }
}

// The bitrate and sample-rate lists that the file format allows: a bitrate only for MP2, and
// no 32000 Hz for BWF.
void TARVIK_User_SWFrm::ApplyFormatRule(int preset, char fromControl) {
    const bool mp2 = stored_is(SETTING_REC_FILE_FORMAT, preset, "MP2");
    const bool bwf = stored_is(SETTING_REC_FILE_FORMAT, preset, "BWF");

    const T_SETTING_MAPPING& bitrates = settings_mapping[SETTING_REC_BITRATE];
    const int last = bitrates.choice_count - 1;
    if (mp2)
        fill_choice(bitrate_chooser, bitrates, 0, last);
    else
        fill_choice(bitrate_chooser, bitrates, last, last + 1);

    const T_SETTING_MAPPING& rates = settings_mapping[SETTING_REC_SAMPLE_RATE];
    fill_choice(rec_sample_rate, rates, bwf ? 1 : 0, rates.choice_count);

    MetaDataBtn->Enable(bwf);

    if (fromControl == 1) {
        bitrate_chooser->SetSelection(0);
        Control_to_Settings(bitrate_chooser);
        rec_sample_rate->SetSelection(0);
        Control_to_Settings(rec_sample_rate);
    } else {
        SettingToControl(SETTING_REC_BITRATE, preset);
        SettingToControl(SETTING_REC_SAMPLE_RATE, preset);
    }
}

void TARVIK_User_SWFrm::OnLineoutLevelChange() {
    const int position = LineOutLevel->GetValue();
    if (position == LineOutLevel->GetMin()) {
        LineOutLevelText->SetLabel(wxT("-Inf dBu"));
        return;
    }
    // A balanced output is 6 dB louder; the control, not the store, tells which is chosen.
    const int shown = output_chooser->GetSelection() == 2 ? position + 6 : position;
    LineOutLevelText->SetLabel(wxString::Format(wxT("%ddBu"), shown));
}

void TARVIK_User_SWFrm::CheckPermissions() {
    MetaDataBtn->Enable(m_connected && stored_is(SETTING_REC_FILE_FORMAT, m_activePreset, "BWF"));

    for (T_SETTING_ELEMENTS setting : m_permissionSettings) {
        T_SETTING_MAPPING& record = settings_mapping[setting];
        switch (setting) {
        case SETTING_PRESETS_ENABLED:
            m_presetsEnabled = permits(setting, m_activePreset) && m_connected;
            break;
        case SETTING_ALLOW_SET_PRESET:
            m_presetSwitchAllowed = permits(setting, m_activePreset) && m_connected;
            break;
        case SETTING_ALLOW_SET_TIME:
            if (permits(setting, m_activePreset) && m_connected)
                enable_control(SetDateTimeButton, true);
            else
                SetDateTimeButton->Enable(false);
            break;
        default: {
            bool permitted;
            if (m_activePreset == 0 || record.allow_setting == ALLOW_NEVER)
                permitted = false;
            else if (record.allow_setting == ALLOW_NONE)
                permitted = true;
            else
                permitted = permits(record.allow_setting, m_activePreset);

            wxControl* control = record.control;
            if (permitted && m_connected) {
                if (control)
                    enable_control(control, true);
                record.write_level = 5;
            } else {
                if (control)
                    control->Enable(false);
                record.write_level = 4;
            }
        }
        }
    }
}

void TARVIK_User_SWFrm::enable_control(wxControl* control, bool on) {
    const auto found = m_controlRecords.find(control);
    const bool flagSet = found == m_controlRecords.end() ||
                         (m_activePreset >= 0 && m_activePreset < PRESETS_COUNT &&
                          is_setting_enabled(found->second->index, m_activePreset));
    control->Enable(on && flagSet);
}

void TARVIK_User_SWFrm::UpdatePresets() {
    StringSettingsToControls();
    CheckPermissions();
    for (const T_PRESET_BTN* preset : m_presetButtons) {
        if (preset->index == m_activePreset) {
            preset->button->Enable(true);
            preset->button->SetValue(true);
        } else {
            preset->button->Enable(m_presetSwitchAllowed &&
                                   (preset->index < 2 || m_presetsEnabled));
            preset->button->SetValue(false);
        }
    }
}

void TARVIK_User_SWFrm::BTN_PRESET1Click(wxCommandEvent& event) {
    for (const T_PRESET_BTN* preset : m_presetButtons) {
        if (preset->button == event.GetEventObject()) {
            m_activePreset = preset->index;
            break;
        }
    }
    if (m_connected)
        set_active_preset(m_activePreset);
    UpdatePresets();
}

void TARVIK_User_SWFrm::UpdateType(_T_HW_TYPE type) {
    m_hwType = type;
    const std::pair<wxWindow*, int> windows[] = {
        {NoBattery, 4},
        {pm_prefered_power_source_fixed, 4},
        {AccuMeterBitmap, 3},
        {pm_prefered_power_source, 3},
    };
    for (const auto& [window, mask] : windows)
        window->Show((mask & m_hwType) == m_hwType);
    m_accuMeter->actualize();
}
