// Starts the program's main window the way the program does and looks inside it.
#pragma once

#include <string>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/filename.h>

#include "TARVIK_User_SWFrm.h"
#include "gui_test.h"

// Test-only access to the main window's timers and state.
class MainWindowProbe {
  public:
    explicit MainWindowProbe(TARVIK_User_SWFrm* window) : w(window) {}

    wxTimer* wallClock() const { return w->WallClock; }
    wxTimer* macDevTimer() const { return w->MacDevTimer; }
    wxTimer* pollTimer() const { return w->PollTimer; }
    wxTimer* levelTimer() const { return w->LevelTimer; }
    LevelMeterPanel* levelMeter() const { return w->m_levelMeter; }

    bool& connected() const { return w->m_connected; }
    bool& levelMonitoring() const { return w->m_levelMonitoring; }
    signed char& levelPhase() const { return w->m_levelPhase; }
    float& levelShown() const { return w->m_levelShown; }
    float& levelCurrent() const { return w->m_levelCurrent; }
    int activePreset() const { return w->m_activePreset; }

    const std::set<T_SETTING_ELEMENTS>& permissionSettings() const {
        return w->m_permissionSettings;
    }
    const std::set<T_SETTING_ELEMENTS>& displaySettings() const { return w->m_displaySettings; }
    const std::list<T_PRESET_BTN*>& presetButtons() const { return w->m_presetButtons; }
    size_t boundControls() const {
        return w->m_checkBoxes.size() + w->m_choices.size() + w->m_sliders.size() +
               w->m_textCtrls.size();
    }

    void levelTick() const {
        wxTimerEvent tick(*w->LevelTimer);
        w->LevelTimerTimer(tick);
    }

    // Setting synchronisation, permissions, presets and hardware type.
    void setActivePreset(int preset) const { w->m_activePreset = preset; }
    void refreshControls() const { w->StringSettingsToControls(); }
    void settingToControl(int setting) const { w->SettingToControl(setting, w->m_activePreset); }
    void checkPermissions() const { w->CheckPermissions(); }
    void updatePresets() const { w->UpdatePresets(); }
    void updateType(_T_HW_TYPE type) const { w->UpdateType(type); }
    _T_HW_TYPE hwType() const { return w->m_hwType; }
    bool presetSwitchAllowed() const { return w->m_presetSwitchAllowed; }
    bool presetsEnabled() const { return w->m_presetsEnabled; }
    wxStaticBitmap* noBatteryPicture() const { return w->NoBattery; }
    PowerMeter* accuGauge() const { return w->m_accuMeter; }

    // Connection, poll cycle, port list, status displays and device clock.
    wxToggleButton* connectButton() const { return w->ConnectButton; }
    wxChoice* portChoice() const { return w->PortChoice; }
    // Presses or releases the connect toggle as a click does.
    void clickConnect(bool pressed) const {
        w->ConnectButton->SetValue(pressed);
        wxCommandEvent click(wxEVT_TOGGLEBUTTON, w->ConnectButton->GetId());
        click.SetEventObject(w->ConnectButton);
        w->ConnectButtonClick(click);
    }
    void pollTick() const {
        wxTimerEvent tick(*w->PollTimer);
        w->PollTimerTimer(tick);
    }
    void portTick() const {
        wxTimerEvent tick(*w->MacDevTimer);
        w->MacDevTimerTimer(tick);
    }
    void updatePowerBars() const { w->UpdatePowerBars(); }
    void updateMemoryBar() const { w->UpdateMemoryBar(); }
    void outdateMemoryControls() const { w->OutdateMemoryControls(); }
    void updateRecordTime() const { w->UpdateRecordTime(); }
    void updateInputDetection() const { w->UpdateInputDetection(); }
    void updateCapsulePic() const { w->UpdateCapsulePic(); }
    void setDeviceClockTo(const wxDateTime& local) const { w->SetDeviceClockTo(local); }
    void setHwType(_T_HW_TYPE type) const { w->m_hwType = type; }
    bool& micHeadValid() const { return w->m_micHeadValid; }
    bool& memoryInfoValid() const { return w->m_memoryInfoValid; }
    uint64_t& freeMemoryBytes() const { return w->m_freeMemoryBytes; }
    int sampleRate() const { return w->m_sampleRate; }
    wxChoice* formatChoice() const { return w->rec_format_chooser; }
    // The head picture shown, or "" when none is.
    wxString shownHead() const {
        const std::pair<wxStaticBitmap*, const char*> heads[] = {{w->Niere, "Niere"},
                                                                 {w->Superniere, "Superniere"},
                                                                 {w->Kugel, "Kugel"},
                                                                 {w->MuteHead, "MuteHead"}};
        wxString shown;
        for (const auto& [picture, name] : heads)
            if (picture->IsShown())
                shown += name;
        return shown;
    }

  private:
    TARVIK_User_SWFrm* w;
};

// The main window as the program's OnInit makes it.
inline TARVIK_User_SWFrm* start_program() {
    EXPECT_TRUE(wxTheApp->OnInit());
    auto* window = dynamic_cast<TARVIK_User_SWFrm*>(wxTheApp->GetTopWindow());
    EXPECT_NE(window, nullptr);
    return window;
}

// Closes the window as the user does and lets the toolkit delete it.
inline void close_program(TARVIK_User_SWFrm* window) {
    window->Close();
    guitest::pump(30);
}

template <class T> T* control(TARVIK_User_SWFrm* window, long id) {
    return dynamic_cast<T*>(wxWindow::FindWindowById(id, window));
}

template <class T> T* named(TARVIK_User_SWFrm* window, const char* name) {
    return dynamic_cast<T*>(wxWindow::FindWindowByName(name, window));
}

inline std::string normalised(const wxString& path) {
    wxFileName name(path);
    name.Normalize(wxPATH_NORM_DOTS | wxPATH_NORM_ABSOLUTE);
    return name.GetFullPath().ToStdString();
}
