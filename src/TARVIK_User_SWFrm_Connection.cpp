// The main window's connection: connect and disconnect, the poll cycle, the port-list
// refresh, the device's status displays and the device clock.
#include "TARVIK_User_SWFrm.h"

void TARVIK_User_SWFrm::ConnectButtonClick(wxCommandEvent& WXUNUSED(event)) {}

void TARVIK_User_SWFrm::PresetFromDevice(int WXUNUSED(preset)) {}

void TARVIK_User_SWFrm::RunScript(const char* WXUNUSED(name)) {}

void TARVIK_User_SWFrm::PollTimerTimer(wxTimerEvent& WXUNUSED(event)) {}

void TARVIK_User_SWFrm::MacDevTimerTimer(wxTimerEvent& WXUNUSED(event)) {}

void TARVIK_User_SWFrm::UpdatePowerBars() {}

void TARVIK_User_SWFrm::UpdateMemoryBar() {}

void TARVIK_User_SWFrm::UpdateMemoryControls() {}

void TARVIK_User_SWFrm::OutdateMemoryControls() {}

void TARVIK_User_SWFrm::UpdateRecordTime() {}

void TARVIK_User_SWFrm::UpdateInputDetection() {}

void TARVIK_User_SWFrm::UpdateCapsulePic() {
    for (wxStaticBitmap* head : {Niere, Superniere, Kugel, MuteHead})
        head->Show(false);
    if (!m_connected) {
        NoMicText->Show(false);
        MicTypeLabel->SetLabel(wxT("none"));
    }
}

void TARVIK_User_SWFrm::SetDateTimeButtonClick(wxCommandEvent& WXUNUSED(event)) {}

void TARVIK_User_SWFrm::AutoSyncIfEnabled() {}

void TARVIK_User_SWFrm::SetDeviceClock() {}
