// The main window.
#pragma once

#include <cstdint>
#include <list>
#include <map>
#include <set>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/slider.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/thread.h>
#include <wx/timer.h>
#include <wx/tglbtn.h>

#include "protocol.h"
#include "tarvik_settings.h"

class LevelMeterPanel;
class PowerMeter;
class wxDateTime;
struct BWF_META_DATA;

// Serialises every request/answer exchange on the serial port.
extern wxSemaphore COMPORT;
// The main window, as parent for dialogs opened outside it.
extern wxWindow* TheParent;

// One request/answer exchange with the device, holding COMPORT for exactly its send and wait.
bool device_exchange(link_frame* answer, uint32_t command, const char* name, const char* text,
                     T_ANSWER_WAIT wait, int attempts = 10);

// One preset toggle button and the preset it selects.
struct T_PRESET_BTN {
    int32_t index;
    wxToggleButton* button;
};

class TARVIK_User_SWFrm : public wxFrame {
  public:
    TARVIK_User_SWFrm(wxWindow* parent, wxWindowID id = 1,
                      const wxString& title = wxT("TARVIK User Settings"),
                      const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                      long style = wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxMINIMIZE_BOX);
    virtual ~TARVIK_User_SWFrm();

    void HelpClick(wxCommandEvent& event);

    // Every control keeps the absolute geometry it was given: the main panel is not
    // stretched over the client area as a frame's only child otherwise is.
    bool Layout() override { return false; }
    void SetMenuBar(wxMenuBar* menuBar) override;

    // Called, when set, with the whole tree as built and before the adjustment pass moves
    // it; for tests that look at the layout as designed. Null in the program.
    static void (*BeforeAdjustmentPass)(TARVIK_User_SWFrm& window);

  private:
    friend class MainWindowProbe; // window tests look inside

    void CreateGUIControls();
    void CreateStatusPanel();
    void CreatePresetPanel();
    void CreateLevelPanel();
    void CreateConnectionPanel();
    void CreateTimers();
    void CreateOverlays();
    void BindSettingControls();
    void FillPortList();
    void PatchControlsForMAC(wxWindow* parent);

    void OnClose(wxCloseEvent& event);
    void WallClockTimer(wxTimerEvent& event);
    void LevelTimerTimer(wxTimerEvent& event);

    // Connection, poll cycle, port-list refresh, status displays and device clock
    // (TARVIK_User_SWFrm_Connection.cpp).
    void ConnectButtonClick(wxCommandEvent& event);
    void PresetFromDevice(int preset);
    void RunScript(const char* name);
    void PollTimerTimer(wxTimerEvent& event);
    void MacDevTimerTimer(wxTimerEvent& event);
    void UpdatePowerBars();
    void UpdateMemoryBar();
    void UpdateMemoryControls();
    void OutdateMemoryControls();
    void UpdateRecordTime();
    void UpdateInputDetection();
    void UpdateCapsulePic();
    void SetDateTimeButtonClick(wxCommandEvent& event);
    void AutoSyncIfEnabled();
    void SetDeviceClock();
    void ConnectToDevice();
    void ShowConnectLabel(const wxString& label);
    void DisconnectFromDevice();
    bool KeepAlive();
    void LinkLost();
    void ProveLink();
    bool LinkDown();
    bool PollRequest(link_frame* answer, uint32_t command, const char* name, const char* text,
                     T_ANSWER_WAIT wait);
    bool ReadStatus(const char* path, T_ANSWER_WAIT wait, wxString& text);
    bool ReadStatusNumber(const char* path, long& value);
    void ReadDeviceDate();
    void SetDeviceClockTo(const wxDateTime& local);

    // Setting synchronisation, permissions, presets and hardware type
    // (TARVIK_User_SWFrm_Settings.cpp).
    void MapCommandEvent(wxCommandEvent& event);
    void Control_to_Settings(wxControl* control);
    bool SettingToDevice(T_SETTING_ELEMENTS setting);
    void UpdateDSP(T_SETTING_ELEMENTS setting);
    void UpdateIfLiveSetting(T_SETTING_ELEMENTS setting);
    void SettingToControl(int setting, int preset);
    void StringSettingsToControls();
    void OnValueChanges(int setting, int preset, char fromControl);
    void OnLineoutLevelChange();
    void CheckPermissions();
    void enable_control(wxControl* control, bool on);
    void UpdatePresets();
    void BTN_PRESET1Click(wxCommandEvent& event);
    void UpdateType(_T_HW_TYPE type);
    void ApplyFormatRule(int preset, char fromControl);
    void MarkMissing(int setting, int preset, bool missing);
    bool IsMissing(int setting) const;

    // BWF metadata (TARVIK_User_SWFrm_Metadata.cpp).
    void MetaDataBtnClick(wxCommandEvent& event);
    void StoreMetaData(const BWF_META_DATA& meta, const BWF_META_DATA& shown);

    void ReadLevel();
    void MoveShownLevel(float fall);

    wxTimer* WallClock = nullptr;
    wxTimer* MacDevTimer = nullptr;
    wxTimer* PollTimer = nullptr;
    wxTimer* LevelTimer = nullptr;

    wxPanel* MainPanel;
    wxPanel* StatusPanel;
    wxStaticBox* StatusBox;
    wxStaticText* TotalPowerLabel;
    wxStaticText* MemoryLabel;
    wxStaticText* RecordTimeLeft;
    wxStaticText* MemoryFreeText;
    wxStaticText* RecordTimeLabel;
    wxStaticText* WxStaticText1;
    wxStaticText* BatteryPowerLabel;
    wxStaticText* AccuPowerLabel;
    wxStaticBitmap* MicPicture;
    wxStaticBitmap* AccuMeterBitmap;
    wxStaticBitmap* BatteryMeterBitmap;
    wxStaticBitmap* MemoryMeterBitmap;
    wxStaticText* MemoryMeterLabel;
    wxStaticText* NoMicText;
    wxStaticText* WxStaticText9;
    wxStaticText* MicTypeLabel;

    wxPanel* PresetPanel;
    wxStaticBox* PresetBox;
    wxChoice* output_chooser;
    wxChoice* rec_format_chooser;
    wxChoice* bitrate_chooser;
    wxTextCtrl* prefix_name;
    wxTextCtrl* mic_label;
    wxToggleButton* BTN_PRESET1;
    wxToggleButton* BTN_PRESET2;
    wxToggleButton* BTN_PRESET3;
    wxToggleButton* BTN_PRESET4;
    wxToggleButton* BTN_PRESET5;
    wxToggleButton* BTN_PRESET6;
    wxToggleButton* BTN_PRESET7;
    wxToggleButton* BTN_PRESET8;
    wxToggleButton* BTN_PRESET9;
    wxTextCtrl* preset_name;
    wxCheckBox* messaging_chooser;
    wxChoice* rec_sample_rate;
    wxChoice* pm_prefered_power_source;       // id 1084, bound to its setting
    wxChoice* pm_prefered_power_source_fixed; // id 1085, shown for devices without accu
    wxStaticText* WxStaticText5;
    wxStaticText* WxStaticText6;
    wxStaticText* WxStaticText7;
    wxStaticText* WxStaticText10;
    wxStaticText* WxStaticText11;
    wxStaticText* WxStaticText12;
    wxStaticText* WxStaticText13;
    wxStaticText* WxStaticText15;
    wxStaticText* WxStaticText16;
    wxCheckBox* ilm_roi_enable;
    wxCheckBox* ilm_li_enable;
    wxCheckBox* RecStereoFile;
    wxToggleButton* BTN_PRESET0;
    wxStaticText* WxStaticText23;
    wxChoice* RecDateName;
    wxButton* MetaDataBtn;

    wxPanel* LevelPanel;
    wxStaticBox* LevelBox;
    wxSlider* MicLevel;
    wxStaticText* MicLineLabel;
    wxStaticText* GainText;
    wxButton* SetDateTimeButton;
    wxStaticText* MicGainText;
    wxStaticText* DateText;
    wxStaticText* TimeText;
    wxSlider* LineLevel;
    wxStaticText* WxStaticText3;
    wxSlider* HPLevel;
    wxStaticText* HeadphoneLevelLabel;
    wxStaticText* WxStaticText17;
    wxStaticText* HPLevelText;
    wxStaticText* LineLevelText;
    wxSlider* LineOutLevel;
    wxStaticText* WxStaticText18;
    wxStaticText* LineOutLevelText;
    wxPanel* LevelMeterPlaceholder;
    wxStaticText* ZeroDBText;
    wxStaticText* M3DBText;
    wxStaticText* M6DBText;
    wxStaticText* M9DBText;
    wxStaticText* M12DBText;
    wxStaticText* M15DBText;
    wxStaticText* WxStaticText19;
    wxStaticText* WxStaticText20;
    wxStaticText* WxStaticText21;
    wxStaticText* WxStaticText2;

    wxPanel* ConnectionPanel;
    wxStaticBox* ConnectionBox;
    wxChoice* PortChoice;
    wxToggleButton* ConnectButton;
    wxButton* Help;

    wxStaticBitmap* NoBattery;
    wxStaticBitmap* MuteHead;
    wxStaticBitmap* Niere;
    wxStaticBitmap* Superniere;
    wxStaticBitmap* Kugel;

    LevelMeterPanel* m_levelMeter = nullptr;
    PowerMeter* m_accuMeter = nullptr;
    PowerMeter* m_batteryMeter = nullptr;

    int m_activePreset = 1;
    std::set<T_SETTING_ELEMENTS> m_displaySettings;
    std::set<T_SETTING_ELEMENTS> m_permissionSettings;
    std::list<T_PRESET_BTN*> m_presetButtons;
    std::list<wxCheckBox*> m_checkBoxes;
    std::list<wxChoice*> m_choices;
    std::list<wxSlider*> m_sliders;
    std::list<wxTextCtrl*> m_textCtrls;
    bool m_connected;
    bool m_presetSwitchAllowed;
    bool m_presetsEnabled;
    bool m_memoryInfoValid;
    uint64_t m_freeMemoryBytes;
    int m_sampleRate;
    signed char m_levelPhase = 0;
    float m_levelShown;
    float m_levelCurrent = -120.0f;
    bool m_micHeadValid;
    bool m_levelMonitoring;
    // An exchange of the poll cycle or the level timer went unanswered: nothing waits on the
    // device again until the keep-alive, run as soon as the window is free, has proved the link.
    bool m_keepAliveDue = false;
    _T_HW_TYPE m_hwType = HW_TYPE_UNKNOWN;

    // The stored values that are only the default put in place of a read that the device did
    // not answer at this connect, per setting and preset.
    bool m_missingAtConnect[SETTINGS_COUNT][PRESETS_COUNT] = {};
    // A text control is being refreshed from the store: its text event is no edit of the user.
    bool m_refreshingText = false;

    // Each bound control's settings record, dropped again before the controls go.
    std::map<const wxObject*, T_SETTING_MAPPING*> m_controlRecords;

    DECLARE_EVENT_TABLE()
};
