// Connecting to and disconnecting from the simulated device through the connect toggle.
#include "gui_app_device.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "ovk_cfg.h"
#include "sim_testing.h"

namespace {

using namespace devtest;

class ConnectTest : public DeviceWindowTest {
  protected:
    void set_autosync(const char* value) {
        for (int preset = 0; preset < PRESETS_COUNT; ++preset)
            device.set_file(setting_file(preset, SETTING_RTC_AUTOSYNC), value);
    }
    bool is_clock(const sim::Frame& frame) const {
        return frame.command == sim::EXECUTE && frame.name == "SETTIME";
    }
    void expect_defaults_in_every_preset() {
        for (int preset = 0; preset < PRESETS_COUNT; ++preset)
            for (int setting = 0; setting < SETTINGS_COUNT; ++setting)
                ASSERT_STREQ(current_settings[setting][preset].value, backup_settings[setting])
                    << settings_mapping[setting].name << " preset " << preset;
    }
};

TEST_F(ConnectTest, FullConnectSendsItsTrafficInOrder) {
    set_autosync("1");
    set_default_port(3);
    probe->clickConnect(true);

    EXPECT_TRUE(probe->connected());
    EXPECT_TRUE(probe->connectButton()->GetValue());
    EXPECT_EQ(probe->connectButton()->GetLabel(), "Disconnect");
    EXPECT_TRUE(probe->pollTimer()->IsRunning());
    EXPECT_EQ(probe->pollTimer()->GetInterval(), 133);
    probe->pollTimer()->Stop();
    EXPECT_EQ(get_default_port(), 0);
    EXPECT_EQ(auth_level, 5);
    // The device's files hold its own defaults: every one found under the program's names and
    // equal to the program's defaults.
    EXPECT_TRUE(wxStrErrList.empty()) << wxStrErrList;
    expect_defaults_in_every_preset();

    const auto frames = device.frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front().command, sim::LOOPBACK);

    // The memory figures are asked for before any setting is read.
    const long memInfo = first_index(frames, [](auto& f) { return is_script(f, "set_mem_info"); });
    const long firstSetting = first_index(frames, is_setting_read);
    const long lastSetting = last_index(frames, is_setting_read);
    ASSERT_GE(memInfo, 0) << describe(frames);
    EXPECT_LT(memInfo, firstSetting);

    // 860 reads, preset by preset, each in table order, with nothing in between.
    std::vector<std::string> reads;
    for (const auto& frame : frames)
        if (is_setting_read(frame))
            reads.push_back(frame.name);
    ASSERT_EQ(reads.size(), 860u);
    EXPECT_EQ(lastSetting - firstSetting, 859);
    for (int preset = 0; preset < PRESETS_COUNT; ++preset)
        for (int setting = 0; setting < SETTINGS_COUNT; ++setting)
            ASSERT_EQ(reads[preset * SETTINGS_COUNT + setting], setting_file(preset, setting));

    const long active =
        first_index(frames, [](auto& f) { return is_read(f, "/tarvik/settings/current_preset"); });
    const long hwType = first_index(frames, [](auto& f) { return is_read(f, "/tmp/hw_type"); });
    const long bufferOn = first_index(frames, [](auto& f) { return is_script(f, "buffer_on"); });
    const long monitoringOn =
        first_index(frames, [](auto& f) { return is_script(f, "monitoring_on"); });
    const long clock = first_index(frames, [this](auto& f) { return is_clock(f); });
    const long mic =
        last_index(frames, [](auto& f) { return is_read(f, "/tarvik/mics/current_mic"); });
    EXPECT_LT(lastSetting, active);
    EXPECT_LT(active, hwType);
    EXPECT_LT(hwType, bufferOn);
    EXPECT_LT(bufferOn, monitoringOn);
    EXPECT_LT(monitoringOn, clock);
    EXPECT_LT(clock, mic);
    EXPECT_EQ(mic, static_cast<long>(frames.size()) - 1) << describe(frames);
    EXPECT_EQ(count(frames, [this](auto& f) { return is_clock(f); }), 1u);

    // The head read at the end shows the fitted capsule; memory waits for the poll cycle.
    EXPECT_EQ(probe->shownHead(), "Niere");
    EXPECT_EQ(label(window, "MicTypeLabel"), "PRO");
    EXPECT_FALSE(probe->memoryInfoValid());
    EXPECT_FALSE(named<wxStaticText>(window, "MemoryFreeText")->IsEnabled());
}

TEST_F(ConnectTest, NoClockWithoutAutosync) {
    set_autosync("0");
    connect();
    EXPECT_EQ(count(device.frames(), [this](auto& f) { return is_clock(f); }), 0u);
}

TEST_F(ConnectTest, DeviceAnsweringNoSettingReadStillConnects) {
    // Setting reads get a frame of their name with another command: missing at once.
    device.set_responder([](const sim::Frame& f) -> std::optional<sim::Replies> {
        if (!is_setting_read(f))
            return std::nullopt;
        return sim::Replies{sim::encode(sim::Frame::with_number(sim::LOOPBACK_WAIT, f.name, 0))};
    });
    // The report opens while the settings are being fetched, with the port lock free.
    wxString labelAtReport;
    bool connectedAtReport = false;
    bool lockFree = false;
    guitest::set_modal_action([&](wxDialog* dialog) {
        labelAtReport = probe->connectButton()->GetLabel();
        connectedAtReport = probe->connected();
        lockFree = COMPORT.TryWait() == wxSEMA_NO_ERROR;
        if (lockFree)
            COMPORT.Post();
        dialog->Close();
    });
    connect();
    guitest::clear_modal_action();

    const auto dialogs = guitest::take_dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "oVk protocol guard");
    EXPECT_EQ(labelAtReport, "Fetching settings...");
    EXPECT_TRUE(connectedAtReport);
    EXPECT_TRUE(lockFree);

    EXPECT_EQ(wxStrAction, "loading from device");
    EXPECT_EQ(wxStrErrList.Freq('\n'), 860u);
    EXPECT_EQ(count(device.frames(), is_setting_read), 860u);
    size_t missing = 0;
    for (const wxString& line : wxSplit(wxStrErrList, '\n'))
        missing += line.Contains("-missing-") ? 1 : 0;
    EXPECT_EQ(missing, 860u);
    expect_defaults_in_every_preset();
    EXPECT_EQ(probe->connectButton()->GetLabel(), "Disconnect");
}

TEST_F(ConnectTest, LongAndInvalidAnswersAreValidatedFromTheirOwnCopy) {
    // A full-length payload and an out-of-range value in preset 4.
    const std::string longName(179, 'N');
    device.set_file(setting_file(4, SETTING_PRESET_NAME), longName);
    device.set_file(setting_file(4, SETTING_REC_SAMPLE_RATE), "12345");
    connect();
    guitest::take_dialogs();
    EXPECT_EQ(std::string(current_settings[SETTING_PRESET_NAME][4].value), longName.substr(0, 59));
    EXPECT_STRNE(current_settings[SETTING_REC_SAMPLE_RATE][4].value, "12345");
    EXPECT_TRUE(wxStrErrList.Contains("rec_sample_rate")) << wxStrErrList;
}

TEST_F(ConnectTest, NoPortListedSpringsBack) {
    char folder[] = "/tmp/ovk-noports-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    set_port_directory(folder);
    set_default_port(0);
    probe->portTick();
    ASSERT_EQ(probe->portChoice()->GetStringSelection(), "no device found");

    sim::capture_stdout([&] { probe->clickConnect(true); });
    EXPECT_FALSE(probe->connectButton()->GetValue());
    EXPECT_EQ(probe->connectButton()->GetLabel(), "Connect");
    EXPECT_FALSE(probe->connected());
    EXPECT_FALSE(probe->pollTimer()->IsRunning());
    EXPECT_LT(serial_device, 0);
    EXPECT_FALSE(device.wait_for_frames(1, 50));
    rmdir(folder);
}

TEST_F(ConnectTest, ListedPortThatCannotBeOpenedSpringsBack) {
    // One listed port leads nowhere, the other to a file that is no terminal.
    char folder[] = "/tmp/ovk-badport-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string port = std::string(folder) + "/ttyACM0";
    const std::string plain = std::string(folder) + "/plain";
    std::fclose(std::fopen(plain.c_str(), "w"));
    set_port_directory(folder);
    for (const std::string& target : {std::string(folder) + "/gone", plain}) {
        SCOPED_TRACE(target);
        unlink(port.c_str());
        ASSERT_EQ(symlink(target.c_str(), port.c_str()), 0);
        probe->portTick();
        ASSERT_EQ(probe->portChoice()->GetStringSelection(), "COM1");

        const int descriptors = sim::open_descriptors();
        const std::string out = sim::capture_stdout([&] { probe->clickConnect(true); });
        EXPECT_NE(out.find("[utils] ERROR: open-port - "), std::string::npos) << out;
        EXPECT_FALSE(probe->connectButton()->GetValue());
        EXPECT_EQ(probe->connectButton()->GetLabel(), "Connect");
        EXPECT_FALSE(probe->connected());
        EXPECT_FALSE(probe->pollTimer()->IsRunning());
        EXPECT_LT(serial_device, 0);
        EXPECT_EQ(sim::open_descriptors(), descriptors);
        EXPECT_EQ(label(window, "MicTypeLabel"), "none");
    }
    EXPECT_TRUE(guitest::take_dialogs().empty());
    EXPECT_FALSE(device.wait_for_frames(1, 50));
    unlink(port.c_str());
    unlink(plain.c_str());
    rmdir(folder);
}

TEST_F(ConnectTest, FailedHandshakeClosesThePortAndOffersReconnect) {
    // Ten frames of another name use up the handshake's attempts without a wait.
    device.set_responder([](const sim::Frame& f) -> std::optional<sim::Replies> {
        if (f.command != sim::LOOPBACK)
            return std::nullopt;
        return sim::Replies(10, sim::encode(sim::Frame::with_text(sim::MESSAGE, "NOISE", "")));
    });
    auth_level = 6;
    probe->clickConnect(true);
    EXPECT_FALSE(probe->connectButton()->GetValue());
    EXPECT_EQ(probe->connectButton()->GetLabel(), "Reconnect");
    EXPECT_FALSE(probe->connected());
    EXPECT_EQ(auth_level, 5);
    EXPECT_LT(serial_device, 0);
    EXPECT_FALSE(probe->pollTimer()->IsRunning());
    EXPECT_EQ(device.frames().size(), 1u);
    EXPECT_EQ(label(window, "MicTypeLabel"), "none");
}

TEST_F(ConnectTest, DisconnectSwitchesMonitoringAndBufferOffBeforeClosing) {
    connect();
    probe->pollTimer()->Start(133);
    device.clear_frames();
    probe->clickConnect(false);

    const auto frames = device.frames();
    ASSERT_EQ(frames.size(), 2u) << describe(frames);
    EXPECT_TRUE(is_script(frames[0], "monitoring_off"));
    EXPECT_TRUE(is_script(frames[1], "buffer_off"));
    EXPECT_LT(serial_device, 0);
    EXPECT_FALSE(probe->connected());
    EXPECT_FALSE(probe->pollTimer()->IsRunning());
    EXPECT_EQ(probe->connectButton()->GetLabel(), "Connect");
    EXPECT_EQ(auth_level, 5); // a disconnect leaves it
    EXPECT_EQ(probe->shownHead(), "");
    EXPECT_EQ(label(window, "MicTypeLabel"), "none");
    EXPECT_FALSE(named<wxStaticText>(window, "NoMicText")->IsShown());

    // A second press connects again.
    connect();
    EXPECT_EQ(probe->connectButton()->GetLabel(), "Disconnect");
}

TEST_F(ConnectTest, ClosingWhileConnectedDisconnectsOnce) {
    connect();
    device.clear_frames();
    close_program(window);
    window = nullptr;
    const auto frames = device.frames();
    EXPECT_EQ(count(frames, [](auto& f) { return is_script(f, "monitoring_off"); }), 1u);
    EXPECT_EQ(count(frames, [](auto& f) { return is_script(f, "buffer_off"); }), 1u);
    EXPECT_EQ(frames.size(), 2u) << describe(frames);
    EXPECT_LT(serial_device, 0);
}

// The window manager asks the window to close while the connect blocks in a slow handshake.
// The request waits until the connect has ended, also past a dialog the connect opens; then the
// normal close runs, and nothing touches the window once it is gone.
class CloseDuringConnectTest : public ConnectTest {
  protected:
    void close_during_connect(bool withReport) {
        const unsigned long xWindow = guitest::x_window(window);
        const std::string reported = setting_file(3, SETTING_REC_SAMPLE_RATE);
        std::atomic<bool> asked{false};
        device.set_responder([&, xWindow](const sim::Frame& f) -> std::optional<sim::Replies> {
            // A frame of the read's name that is no answer: reported, without a wait.
            if (withReport && is_read(f, reported))
                return sim::Replies{
                    sim::encode(sim::Frame::with_number(sim::LOOPBACK_WAIT, f.name, 0))};
            if (f.command != sim::LOOPBACK || asked.exchange(true))
                return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            guitest::request_close(xWindow);
            std::this_thread::sleep_for(std::chrono::milliseconds(1000));
            return device.default_replies(f);
        });
        // The report runs for real, with its own event loop.
        guitest::set_modal_action([](wxDialog* dialog) {
            guitest::pump(200);
            dialog->Close();
        });
        bool destroyed = false;
        window->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
            destroyed = destroyed || event.GetEventObject() == window;
            event.Skip();
        });
        probe->clickConnect(true);
        probe->pollTimer()->Stop(); // the window is not deleted before the event loop runs
        guitest::clear_modal_action();
        ASSERT_TRUE(asked);
        EXPECT_EQ(guitest::take_dialogs().size(), withReport ? 1u : 0u);

        for (int i = 0; i < 100 && !destroyed; ++i)
            guitest::pump(10);
        ASSERT_TRUE(destroyed);
        window = nullptr;
        // The whole connect, then the close's disconnect.
        const auto frames = device.frames();
        ASSERT_EQ(frames.size(), CONNECT_FRAMES + 2) << describe(frames);
        EXPECT_TRUE(is_read(frames[CONNECT_FRAMES - 1], "/tarvik/mics/current_mic"));
        EXPECT_TRUE(is_script(frames[CONNECT_FRAMES], "monitoring_off"));
        EXPECT_TRUE(is_script(frames[CONNECT_FRAMES + 1], "buffer_off"));
        EXPECT_LT(serial_device, 0);
        device.set_responder({}); // it refers to this function's locals
    }
};

TEST_F(CloseDuringConnectTest, TakesEffectAfterIt) {
    close_during_connect(false);
}

TEST_F(CloseDuringConnectTest, TakesEffectAfterItsReport) {
    close_during_connect(true);
}

} // namespace
