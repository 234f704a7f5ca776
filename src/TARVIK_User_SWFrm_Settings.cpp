// The main window's setting controls: the road of a change from a control to the store and the
// device and back, the dependent controls, permissions, presets and the hardware type.
#include "TARVIK_User_SWFrm.h"

#include <wx/spinbutt.h>
#include <wx/spinctrl.h>

#include "string_conversion.h"

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
    }
    // While connected the value then goes to the device; that road comes with the connection.
}

bool TARVIK_User_SWFrm::SettingToDevice(T_SETTING_ELEMENTS WXUNUSED(setting)) {
    return false;
}

void TARVIK_User_SWFrm::UpdateDSP(T_SETTING_ELEMENTS WXUNUSED(setting)) {}

void TARVIK_User_SWFrm::UpdateIfLiveSetting(T_SETTING_ELEMENTS WXUNUSED(setting)) {}

void TARVIK_User_SWFrm::SettingToControl(int WXUNUSED(setting), int WXUNUSED(preset)) {}

void TARVIK_User_SWFrm::StringSettingsToControls() {}

void TARVIK_User_SWFrm::OnValueChanges(int WXUNUSED(setting), int WXUNUSED(preset),
                                       char WXUNUSED(fromControl)) {}

void TARVIK_User_SWFrm::OnLineoutLevelChange() {}

void TARVIK_User_SWFrm::CheckPermissions() {}

void TARVIK_User_SWFrm::enable_control(wxControl* WXUNUSED(control), bool WXUNUSED(on)) {}

void TARVIK_User_SWFrm::UpdatePresets() {}

void TARVIK_User_SWFrm::BTN_PRESET1Click(wxCommandEvent& WXUNUSED(event)) {}

void TARVIK_User_SWFrm::UpdateType(_T_HW_TYPE WXUNUSED(type)) {}
