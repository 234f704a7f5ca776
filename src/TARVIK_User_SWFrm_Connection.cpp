// The main window's connection: connect and disconnect, the poll cycle, the port-list
// refresh, the device's status displays and the device clock.
#include "TARVIK_User_SWFrm.h"

#include <climits>
#include <cstring>
#include <string>

#include <wx/datetime.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>

#include "GtkLook.h"
#include "PowerMeter.h"
#include "ovk_cfg.h"
#include "protocol.h"
#include "utils.h"

namespace {

const char* const MIC_FILE = "/tarvik/mics/current_mic";
const char* const DATE_FILE = "/tmp/datestring";
const char* const DATE_COMMAND = "date +%Y/%m/%d-%H:%M:%S > /tmp/datestring";
const wxString NO_DEVICE = wxT("no device found");
const int ATTEMPTS = 10;
const int POLL_INTERVAL_MS = 133;

wxString answer_text(const link_frame& answer) {
    wxString text(frame_text(&answer).c_str(), wxConvISO8859_1);
    text.Trim(true);
    return text;
}

// A status value in MiB: the KiB figure of a file, the remainder dropped.
bool to_mebibytes(long kib, long& value) {
    if (kib < 0)
        return false;
    value = kib >> 10;
    return true;
}

bool stored_number(int setting, int preset, long& value) {
    if (preset < 0 || preset >= PRESETS_COUNT)
        return false;
    wxString text(current_settings[setting][preset].value, wxConvISO8859_1);
    text.Trim(true);
    return text.ToLong(&value, 10);
}

// The percentage of free memory; a device reporting more free than total memory must not
// push the figure out of an int.
int memory_percent(long free, long size) {
    if (size == 0)
        return 0;
    const float share = static_cast<float>(free) / static_cast<float>(size);
    const double percent = share * 100.0;
    if (percent >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (percent <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(percent);
}

void copy_text(char* buffer, size_t size, const char* text) {
    const size_t length = strnlen(text, size - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
}

wxString clock_command_line(const wxDateTime& local) {
    return wxString::Format(wxT("date -s %04d.%02d.%02d-%02d:%02d:%02d; %ssync_with_rtc"),
                            local.GetYear(), static_cast<int>(local.GetMonth()) + 1,
                            static_cast<int>(local.GetDay()), static_cast<int>(local.GetHour()),
                            static_cast<int>(local.GetMinute()),
                            static_cast<int>(local.GetSecond()), SCRIPTS_ROOT);
}

// Set for the length of the connect sequence (see exchange_holding_port).
bool g_proveAtOnce = false;

class ProvedAtOnce {
  public:
    ProvedAtOnce() { g_proveAtOnce = true; }
    ~ProvedAtOnce() { g_proveAtOnce = false; }
    ProvedAtOnce(const ProvedAtOnce&) = delete;
    ProvedAtOnce& operator=(const ProvedAtOnce&) = delete;
};

// The keep-alive's handshake: proves the link again without touching its permission level.
// The caller holds COMPORT.
bool prove_link() {
    const int level = auth_level;
    const int linked = establish_link();
    auth_level = level;
    return linked != 0;
}

// Sends a request and waits for a frame of its name. Such a frame shows that the device heard,
// even when it is not the answer the caller requires (answered tells that).
bool request_heard(link_frame* answer, uint32_t command, const char* name, const char* text,
                   T_ANSWER_WAIT wait, int attempts) {
    const T_ANSWER_WAIT heard = wait == WAIT_BY_NAME_ANSWER ? WAIT_BY_NAME : wait;
    return request_frame(answer, command, name, text, heard, attempts) != 0;
}

bool answered(const link_frame& answer, T_ANSWER_WAIT wait) {
    return wait != WAIT_BY_NAME_ANSWER || answer.command == CMD_ANSWER;
}

// One exchange, the caller holding COMPORT. A device that falls silent during the connect must
// not cost the wait of every exchange left in it: once one goes unanswered, the handshake
// proves the link at once, and when that fails too the link is given up, so that nothing more
// waits on the device and the connect ends as a lost link.
bool exchange_holding_port(link_frame* answer, uint32_t command, const char* name, const char* text,
                           T_ANSWER_WAIT wait, int attempts) {
    if (request_heard(answer, command, name, text, wait, attempts))
        return answered(*answer, wait);
    if (g_proveAtOnce && !link_gone() && !prove_link())
        give_up_link();
    return false;
}

// A close request waiting when a dialog of the connect opens would be lost in the dialog's event
// loop: it is taken before, and carried out once the connect has ended.
class CloseRequestKept : public wxModalDialogHook {
  public:
    explicit CloseRequestKept(wxWindow* window) : m_window(window) { Register(); }
    ~CloseRequestKept() override { Unregister(); }
    bool asked() const { return m_asked; }

  protected:
    int Enter(wxDialog*) override {
        m_asked = gtk_look::take_close_request(m_window) || m_asked;
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}

  private:
    wxWindow* m_window;
    bool m_asked = false;
};

} // namespace

bool device_exchange(link_frame* answer, uint32_t command, const char* name, const char* text,
                     T_ANSWER_WAIT wait, int attempts) {
    COMPORT.Wait();
    const bool ok = exchange_holding_port(answer, command, name, text, wait, attempts);
    COMPORT.Post();
    return ok;
}

// ---------------------------------------------------------------------------------------------
// Connection life cycle

void TARVIK_User_SWFrm::ConnectButtonClick(wxCommandEvent& event) {
    auto* toggle = dynamic_cast<wxToggleButton*>(event.GetEventObject());
    if (!toggle)
        toggle = ConnectButton;
    if (!toggle->GetValue()) {
        DisconnectFromDevice();
        return;
    }
    bool closeAsked = false;
    {
        const CloseRequestKept kept(this);
        ConnectToDevice();
        closeAsked = kept.asked();
    }
    if (closeAsked)
        Close();
}

void TARVIK_User_SWFrm::ConnectToDevice() {
    ShowConnectLabel(wxT("Waiting for device"));
    // Descriptor 0 is a port like any other (it is free when standard input is closed).
    if (open_port(PortChoice->GetSelection()) < 0) {
        ConnectButton->SetValue(false);
        ConnectButton->SetLabel(wxT("Connect"));
        m_connected = false;
        UpdateCapsulePic();
        return;
    }
    if (!establish_link()) {
        if (link_gone()) {
            LinkLost();
            return;
        }
        ConnectButton->SetValue(false);
        ConnectButton->SetLabel(wxT("Reconnect"));
        close_port();
        m_connected = false;
        UpdateCapsulePic();
        return;
    }
    m_connected = true;
    m_micHeadValid = false;
    m_levelMonitoring = false;
    m_keepAliveDue = false;
    const ProvedAtOnce silenceFoundAtOnce;
    set_default_port(PortChoice->GetSelection());
    OutdateMemoryControls();
    ShowConnectLabel(wxT("Fetching settings..."));

    write_setting_init("loading from device");
    for (int preset = 0; preset < PRESETS_COUNT && !link_gone(); ++preset)
        PresetFromDevice(preset);
    // A load the device vanished from is not reported: it ends here.
    if (LinkDown())
        return;
    write_setting_done();

    // Each step below may find the link lost (the device may also be unplugged while the
    // report is open); the connect then ends there, after the one lost-link box.
    const int activePreset = get_active_preset();
    if (LinkDown())
        return;
    m_activePreset = activePreset;
    UpdatePresets();
    if (LinkDown())
        return;
    const int hwType = get_hw_type();
    if (LinkDown())
        return;
    UpdateType(static_cast<_T_HW_TYPE>(hwType));
    m_levelPhase = 0;
    m_levelShown = 0.0f;
    ConnectButton->SetLabel(wxT("Disconnect"));
    CheckPermissions();
    PollTimer->Start(POLL_INTERVAL_MS);
    RunScript("buffer_on");
    RunScript("monitoring_on");
    AutoSyncIfEnabled();
    if (LinkDown())
        return;
    UpdateCapsulePic();
    LinkDown();
}

// The label is on screen during the blocking step that follows it.
void TARVIK_User_SWFrm::ShowConnectLabel(const wxString& label) {
    ConnectButton->SetLabel(label);
    gtk_look::repaint_now(ConnectButton, {WallClock, MacDevTimer, PollTimer, LevelTimer});
}

void TARVIK_User_SWFrm::DisconnectFromDevice() {
    PollTimer->Stop();
    RunScript("monitoring_off");
    RunScript("buffer_off");
    close_port();
    ConnectButton->SetLabel(wxT("Connect"));
    m_connected = false;
    CheckPermissions();
    UpdateType(HW_TYPE_UNKNOWN);
    UpdateCapsulePic();
}

void TARVIK_User_SWFrm::PresetFromDevice(int preset) {
    preload_preset_backup(preset);
    for (int setting = 0; setting < SETTINGS_COUNT && !link_gone(); ++setting) {
        const std::string path = setting_file_path(preset, setting);
        link_frame answer;
        // Validation changes the text in place: it gets a buffer of its own.
        char value[sizeof(answer.payload.text)];
        COMPORT.Wait();
        const bool read = exchange_holding_port(&answer, CMD_READ_FILE, path.c_str(), "",
                                                WAIT_BY_NAME_ANSWER, ATTEMPTS);
        if (read) {
            copy_text(value, sizeof(value), frame_text(&answer).c_str());
        } else {
            write_setting_missadd(setting, preset, backup_settings[setting]);
            copy_text(value, sizeof(value), backup_settings[setting]);
        }
        write_setting_value(setting, preset, value);
        MarkMissing(setting, preset, !read);
        COMPORT.Post();
    }
}

void TARVIK_User_SWFrm::RunScript(const char* name) {
    if (!m_connected)
        return;
    const std::string line = std::string(SCRIPTS_ROOT) + name;
    link_frame answer;
    device_exchange(&answer, CMD_EXECUTE, "RUNSCRIPT", line.c_str(), WAIT_BY_NAME);
}

// ---------------------------------------------------------------------------------------------
// Poll cycle and port-list refresh

void TARVIK_User_SWFrm::PollTimerTimer(wxTimerEvent& WXUNUSED(event)) {
    static int cycle_counter = 0;
    cycle_counter = (cycle_counter + 1) % 8;
    switch (cycle_counter) {
    case 1:
        if (KeepAlive())
            ReadDeviceDate();
        else
            LinkLost();
        break;
    case 2:
        UpdateMemoryBar();
        break;
    case 4:
        UpdatePowerBars();
        break;
    case 6:
        UpdateInputDetection();
        break;
    case 7:
        UpdateCapsulePic();
        break;
    default:
        break;
    }
    LinkDown();
}

// The keep-alive proves the link again without touching its permission level.
bool TARVIK_User_SWFrm::KeepAlive() {
    COMPORT.Wait();
    const bool linked = prove_link();
    COMPORT.Post();
    if (linked)
        m_keepAliveDue = false;
    return linked;
}

void TARVIK_User_SWFrm::LinkLost() {
    PollTimer->Stop();
    close_port();
    ConnectButton->SetValue(false);
    ConnectButton->SetLabel(wxT("Connect"));
    auth_level = 6;
    m_connected = false;
    CheckPermissions();
    auto* message = new wxMessageDialog(this, wxT("Connection to device lost"),
                                        wxT("Communication error"), wxOK | wxICON_ERROR);
    message->ShowModal();
    message->Destroy();
}

// Proves the link at once after an unanswered exchange, as a block of its own.
void TARVIK_User_SWFrm::ProveLink() {
    if (m_connected && m_keepAliveDue && !KeepAlive())
        LinkLost();
}

// A port that reported an error (the device is gone) takes the lost-link path at once. True
// when the link is down, so that the road that asks ends there.
bool TARVIK_User_SWFrm::LinkDown() {
    if (link_gone())
        LinkLost();
    return !m_connected;
}

// One exchange of the poll cycle or the level timer, the caller holding COMPORT. While a
// keep-alive is due it does not wait on the device at all.
bool TARVIK_User_SWFrm::PollRequest(link_frame* answer, uint32_t command, const char* name,
                                    const char* text, T_ANSWER_WAIT wait) {
    if (m_keepAliveDue)
        return false;
    if (request_heard(answer, command, name, text, wait, ATTEMPTS))
        return answered(*answer, wait);
    m_keepAliveDue = true;
    CallAfter(&TARVIK_User_SWFrm::ProveLink);
    return false;
}

// Reads one status file, holding the port lock for its one exchange.
bool TARVIK_User_SWFrm::ReadStatus(const char* path, T_ANSWER_WAIT wait, wxString& text) {
    link_frame answer;
    COMPORT.Wait();
    const bool ok = PollRequest(&answer, CMD_READ_FILE, path, "", wait);
    COMPORT.Post();
    if (ok)
        text = answer_text(answer);
    return ok;
}

bool TARVIK_User_SWFrm::ReadStatusNumber(const char* path, long& value) {
    wxString text;
    return ReadStatus(path, WAIT_BY_NAME_ANSWER, text) && text.ToLong(&value, 10);
}

void TARVIK_User_SWFrm::ReadDeviceDate() {
    link_frame answer;
    COMPORT.Wait();
    PollRequest(&answer, CMD_EXECUTE, "TIMETOTEMP", DATE_COMMAND, WAIT_BY_NAME);
    if (PollRequest(&answer, CMD_READ_FILE, DATE_FILE, "", WAIT_BY_NAME_ANSWER)) {
        const wxString text = answer_text(answer);
        TimeText->SetLabel(text.length() > 11 ? text.Mid(11, 9) : wxString());
        DateText->SetLabel(text.Left(10));
    }
    COMPORT.Post();
}

void TARVIK_User_SWFrm::MacDevTimerTimer(wxTimerEvent& WXUNUSED(event)) {
    if (m_connected)
        return;
    // The list stands for no port while it reads "no device found", also with nothing
    // selected (a remembered index beyond the list), or it would never be refilled.
    const bool none = PortChoice->GetStringSelection() == NO_DEVICE ||
                      (PortChoice->GetCount() == 1 && PortChoice->GetString(0) == NO_DEVICE);
    const int shown = none ? 0 : static_cast<int>(PortChoice->GetCount());
    if (get_num_ports() == shown)
        return;
    FillPortList();
}

// ---------------------------------------------------------------------------------------------
// Status displays

void TARVIK_User_SWFrm::UpdatePowerBars() {
    long value = 0;
    if (ReadStatusNumber("/tmp/power_accu", value)) {
        const int percent = static_cast<int>(value);
        m_accuMeter->setValue(percent);
        AccuPowerLabel->SetLabel(wxString::Format(wxT("%d%%"), percent));
    }
    if (ReadStatusNumber("/tmp/power_batt", value)) {
        const int percent = static_cast<int>(value);
        m_batteryMeter->setValue(percent);
        BatteryPowerLabel->SetLabel(wxString::Format(wxT("%d%%"), percent));
    }
}

void TARVIK_User_SWFrm::UpdateMemoryBar() {
    if (m_memoryInfoValid)
        return;
    long size = 0;
    long free = 0;
    if (!ReadStatusNumber("/tmp/mem_info_size", size) || !to_mebibytes(size, size) ||
        !ReadStatusNumber("/tmp/mem_info_free", free) || !to_mebibytes(free, free))
        return;
    m_freeMemoryBytes = static_cast<uint64_t>(free) << 20;
    MemoryFreeText->SetLabel(wxString::Format(wxT("%ld of %ld MB free"), free, size));
    MemoryMeterLabel->SetLabel(wxString::Format(wxT("%d%%"), memory_percent(free, size)));
    UpdateMemoryControls();
}

void TARVIK_User_SWFrm::UpdateMemoryControls() {
    m_memoryInfoValid = true;
    UpdateRecordTime();
    for (wxWindow* control : {MemoryFreeText, MemoryMeterLabel, RecordTimeLeft, RecordTimeLabel})
        control->Enable(true);
}

void TARVIK_User_SWFrm::OutdateMemoryControls() {
    m_memoryInfoValid = false;
    UpdateRecordTime();
    MemoryFreeText->SetLabel(wxT("0% of 0% MB free"));
    MemoryMeterLabel->SetLabel(wxT("0%"));
    for (wxWindow* control : {MemoryFreeText, MemoryMeterLabel, RecordTimeLeft, RecordTimeLabel})
        control->Enable(false);
    m_freeMemoryBytes = 0;
    RunScript("set_mem_info");
}

void TARVIK_User_SWFrm::UpdateRecordTime() {
    long rate = 0;
    long stereo = 0;
    if (!stored_number(SETTING_REC_SAMPLE_RATE, m_activePreset, rate))
        return;
    m_sampleRate = static_cast<int>(rate);
    if (!stored_number(SETTING_REC_FILE_STEREO, m_activePreset, stereo))
        return;
    const uint64_t channels = static_cast<uint64_t>(stereo) + 1;
    uint64_t bytesPerSecond;
    if (rec_format_chooser->GetStringSelection() != wxT("MP2")) {
        bytesPerSecond = channels * static_cast<uint64_t>(m_sampleRate) * 2;
    } else {
        long kbps = 0;
        if (!stored_number(SETTING_REC_BITRATE, m_activePreset, kbps))
            return;
        bytesPerSecond = channels * static_cast<uint64_t>(kbps) * 128;
    }
    // Only values the store never admits get here; the label keeps its last figure.
    if (bytesPerSecond == 0)
        return;
    const int seconds = static_cast<int>(static_cast<int32_t>(m_freeMemoryBytes / bytesPerSecond));
    const int hours = seconds / 3600;
    const int minutes = seconds / 60 - hours * 60;
    RecordTimeLeft->SetLabel(wxString::Format(wxT("%02dh%02dm"), hours, minutes));
}

void TARVIK_User_SWFrm::UpdateInputDetection() {
    long source = 0;
    if (!ReadStatusNumber("/proc/dsp_source", source))
        return;
    if (source == 0) {
        MicLineLabel->SetLabel(wxT("  Mic\nLevel"));
        m_levelMonitoring = m_micHeadValid;
    } else if (source == 1) {
        MicLineLabel->SetLabel(wxT("Line\nLevel"));
        m_levelMonitoring = true;
    }
}

void TARVIK_User_SWFrm::UpdateCapsulePic() {
    for (wxStaticBitmap* head : {Niere, Superniere, Kugel, MuteHead})
        head->Show(false);
    if (!m_connected) {
        NoMicText->Show(false);
        MicTypeLabel->SetLabel(wxT("none"));
        return;
    }
    wxString letter;
    if (!ReadStatus(MIC_FILE, WAIT_FOR_ANSWER, letter))
        return;
    const int position = wxString(mic_chars).Find(letter);
    if (position == wxNOT_FOUND || position >= CAPSULE_COUNT)
        return;
    wxStaticBitmap* picture = nullptr;
    switch (capsule_mapping[position]) {
    case 0:
        picture = Niere;
        break;
    case 1:
        picture = Superniere;
        break;
    case 3:
        picture = Kugel;
        break;
    default:
        break;
    }
    if (picture) {
        picture->Show(true);
        MicTypeLabel->SetLabel(capsule_names[position]);
        m_micHeadValid = true;
        NoMicText->Show(false);
    } else if (m_hwType == HW_TYPE_WITHOUT_ACCU) {
        MuteHead->Show(true);
        MicTypeLabel->SetLabel(wxT("INVALID"));
        m_micHeadValid = false;
        NoMicText->Show(false);
    } else {
        MicTypeLabel->SetLabel(wxT("none"));
        m_micHeadValid = false;
        NoMicText->SetLabel(wxT("No Mic Head"));
        NoMicText->Show(true);
    }
}

// ---------------------------------------------------------------------------------------------
// Device clock

void TARVIK_User_SWFrm::SetDateTimeButtonClick(wxCommandEvent& WXUNUSED(event)) {
    SetDeviceClock();
}

void TARVIK_User_SWFrm::AutoSyncIfEnabled() {
    long autosync = 0;
    if (stored_number(SETTING_RTC_AUTOSYNC, m_activePreset, autosync) && autosync == 1)
        SetDeviceClock();
}

void TARVIK_User_SWFrm::SetDeviceClock() {
    SetDeviceClockTo(wxDateTime::Now());
}

void TARVIK_User_SWFrm::SetDeviceClockTo(const wxDateTime& local) {
    if (!m_connected)
        return;
    const std::string line = clock_command_line(local).ToStdString();
    link_frame answer;
    device_exchange(&answer, CMD_EXECUTE, "SETTIME", line.c_str(), WAIT_FOR_ANSWER);
}
