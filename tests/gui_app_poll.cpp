// The poll cycle against the simulated device, and the port-list refresh.
#include "gui_app_device.h"

#include <cstdlib>

#include <wx/modalhook.h>

#include "ovk_cfg.h"
#include "sim_testing.h"

namespace {

using namespace devtest;

class PollTest : public DeviceWindowTest {
  protected:
    void answer_date(const std::string& text) { answer_file("/tmp/datestring", sim::ANSWER, text); }
};

TEST_F(PollTest, EightPhasesEachWithItsWork) {
    open_link();
    ASSERT_TRUE(tick_to_keep_alive());
    probe->memoryInfoValid() = false;
    // Phase 2: memory (stale since the start), 3 nothing, 4 power, 5 nothing, 6 input source,
    // 7 head, 0 nothing.
    const std::vector<std::vector<std::string>> expected = {
        {"/tmp/mem_info_size", "/tmp/mem_info_free"},
        {},
        {"/tmp/power_accu", "/tmp/power_batt"},
        {},
        {"/proc/dsp_source"},
        {"/tarvik/mics/current_mic"},
        {},
    };
    for (size_t phase = 0; phase < expected.size(); ++phase) {
        const auto frames = tick();
        std::vector<std::string> reads;
        for (const auto& frame : frames) {
            EXPECT_EQ(frame.command, sim::READ_FILE);
            reads.push_back(frame.name);
        }
        EXPECT_EQ(reads, expected[phase]) << "phase " << phase + 2;
    }

    // Phase 1 again: the handshake, then the date command and the date read.
    const int level = auth_level = 3;
    const auto frames = tick();
    ASSERT_EQ(frames.size(), 4u) << describe(frames);
    EXPECT_EQ(frames[0].name, "LOOPBACKTEST");
    EXPECT_EQ(frames[1].name, "LOOPBACK_FINISHED");
    EXPECT_EQ(frames[2].command, sim::EXECUTE);
    EXPECT_EQ(frames[2].name, "TIMETOTEMP");
    EXPECT_EQ(frames[2].text, "date +%Y/%m/%d-%H:%M:%S > /tmp/datestring");
    EXPECT_TRUE(is_read(frames[3], "/tmp/datestring"));
    EXPECT_EQ(auth_level, level); // the keep-alive keeps the permission level
    EXPECT_TRUE(probe->connected());

    // Memory was read once: phase 2 now leaves it alone.
    EXPECT_TRUE(tick().empty());
}

TEST_F(PollTest, CycleGoesOnAcrossAReconnect) {
    connect();
    ASSERT_TRUE(tick_to_keep_alive());
    for (int phase = 2; phase <= 5; ++phase)
        tick();
    probe->clickConnect(false);
    connect();
    const auto frames = tick();
    ASSERT_EQ(frames.size(), 1u) << describe(frames);
    EXPECT_TRUE(is_read(frames[0], "/proc/dsp_source"));
}

TEST_F(PollTest, DeviceDateAndTimeLabels) {
    open_link();
    answer_date("2024/05/17-13:45:09\n");
    ASSERT_TRUE(tick_to_keep_alive());
    EXPECT_EQ(label(window, "TimeText"), "13:45:09");
    EXPECT_EQ(label(window, "DateText"), "2024/05/17");

    // A short answer: the date takes what there is, the time becomes empty.
    answer_date("2024/05/");
    ASSERT_TRUE(tick_to_keep_alive());
    EXPECT_EQ(label(window, "DateText"), "2024/05/");
    EXPECT_EQ(label(window, "TimeText"), "");

    // An answer of another command leaves both labels.
    answer_date("2024/05/17-13:45:09\n");
    ASSERT_TRUE(tick_to_keep_alive());
    answer_file("/tmp/datestring", sim::MESSAGE, "1999/01/01-00:00:00");
    ASSERT_TRUE(tick_to_keep_alive());
    EXPECT_EQ(label(window, "TimeText"), "13:45:09");
    EXPECT_EQ(label(window, "DateText"), "2024/05/17");
    EXPECT_TRUE(probe->connected());
}

// Notes whether the port lock was free when a dialog opened; the recorder answers it.
class LockAtDialog : public wxModalDialogHook {
  public:
    bool lockFree = false;

  protected:
    int Enter(wxDialog*) override {
        lockFree = COMPORT.TryWait() == wxSEMA_NO_ERROR;
        if (lockFree)
            COMPORT.Post();
        return wxID_NONE;
    }
    void Exit(wxDialog*) override {}
};

TEST_F(PollTest, LostLinkStopsPollingAndSaysSo) {
    connect();
    probe->pollTimer()->Start(100000);
    const wxString micLabel = label(window, "MicTypeLabel");
    // The handshake's attempts are used up by frames of another name.
    device.set_responder([](const sim::Frame& f) -> std::optional<sim::Replies> {
        if (f.command != sim::LOOPBACK)
            return std::nullopt;
        return sim::Replies(10, sim::encode(sim::Frame::with_text(sim::MESSAGE, "NOISE", "")));
    });
    LockAtDialog hook;
    hook.Register();
    std::vector<sim::Frame> frames;
    for (int i = 0; i < 8 && probe->connected(); ++i)
        frames = tick();
    hook.Unregister();

    ASSERT_FALSE(probe->connected());
    const auto dialogs = guitest::take_dialogs();
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].title, "Communication error");
    EXPECT_EQ(dialogs[0].message, "Connection to device lost");
    EXPECT_TRUE(hook.lockFree);

    EXPECT_FALSE(probe->pollTimer()->IsRunning());
    EXPECT_LT(serial_device, 0);
    EXPECT_FALSE(probe->connectButton()->GetValue());
    EXPECT_EQ(probe->connectButton()->GetLabel(), "Connect");
    EXPECT_EQ(auth_level, 6);
    // Only the handshake went out: no scripts, and the displays keep their contents.
    ASSERT_EQ(frames.size(), 1u) << describe(frames);
    EXPECT_EQ(frames[0].command, sim::LOOPBACK);
    EXPECT_EQ(label(window, "MicTypeLabel"), micLabel);

    // The next press connects again.
    device.set_responder(nullptr);
    connect();
    EXPECT_EQ(probe->connectButton()->GetLabel(), "Disconnect");
}

// ---------------------------------------------------------------------------------------------
// Port-list refresh

// A device folder whose port names the test adds and removes.
class PortFolder {
  public:
    PortFolder() {
        char pattern[] = "/tmp/ovk-portlist-XXXXXX";
        dir_ = mkdtemp(pattern);
        set_port_directory(dir_.c_str());
    }
    ~PortFolder() {
        set_port_directory("/dev");
        for (const auto& name : names_)
            unlink((dir_ + "/" + name).c_str());
        rmdir(dir_.c_str());
    }
    void add(const std::string& name) {
        EXPECT_EQ(symlink("/dev/null", (dir_ + "/" + name).c_str()), 0);
        names_.push_back(name);
    }
    void remove(const std::string& name) { unlink((dir_ + "/" + name).c_str()); }

  private:
    std::string dir_;
    std::vector<std::string> names_;
};

class PortListTest : public testing::Test {
  protected:
    void SetUp() override {
        window = start_program();
        set_default_port(0);
        probe = std::make_unique<MainWindowProbe>(window);
        ASSERT_EQ(entries(), Entries{"no device found"});
        probe->portChoice()->SetSelection(0);
        probe->macDevTimer()->Stop();
        probe->levelTimer()->Stop();
    }
    void TearDown() override {
        probe->connected() = false;
        close_program(window);
    }
    std::vector<std::string> entries() {
        std::vector<std::string> list;
        for (unsigned i = 0; i < probe->portChoice()->GetCount(); ++i)
            list.push_back(probe->portChoice()->GetString(i).ToStdString());
        return list;
    }
    using Entries = std::vector<std::string>;

    PortFolder folder;
    TARVIK_User_SWFrm* window = nullptr;
    std::unique_ptr<MainWindowProbe> probe;
};

TEST_F(PortListTest, PortsAppearingAreListedAndTheRememberedOneSelected) {
    ASSERT_EQ(entries(), Entries{"no device found"});
    set_default_port(1);
    folder.add("ttyACM0");
    folder.add("ttyACM3");
    probe->portTick();
    EXPECT_EQ(entries(), (Entries{"COM1", "COM2"}));
    EXPECT_EQ(probe->portChoice()->GetStringSelection(), "COM2");

    // A remembered port beyond the list selects nothing.
    set_default_port(4);
    folder.remove("ttyACM3");
    probe->portTick();
    EXPECT_EQ(entries(), Entries{"COM1"});
    EXPECT_EQ(probe->portChoice()->GetSelection(), wxNOT_FOUND);
}

TEST_F(PortListTest, NoDeviceWithNothingSelectedIsRefilledWhenAPortAppears) {
    // A remembered index beyond the list leaves "no device found" unselected.
    set_default_port(1);
    probe->portChoice()->SetSelection(wxNOT_FOUND);
    folder.add("ttyACM0");
    probe->portTick();
    EXPECT_EQ(entries(), Entries{"COM1"});
}

TEST_F(PortListTest, SameCountKeepsTheListButNotThePortTable) {
    folder.add("ttyACM0");
    probe->portTick();
    ASSERT_EQ(entries(), Entries{"COM1"});
    probe->portChoice()->SetSelection(wxNOT_FOUND); // a rebuild would select the remembered port

    folder.remove("ttyACM0");
    folder.add("ttyACM7");
    probe->portTick();
    EXPECT_EQ(entries(), Entries{"COM1"});
    EXPECT_EQ(probe->portChoice()->GetSelection(), wxNOT_FOUND);
    EXPECT_TRUE(std::string(bsdDevicePaths[0]).find("ttyACM7") != std::string::npos);
}

TEST_F(PortListTest, NothingChangesWhileConnected) {
    probe->connected() = true;
    const int tableCount = bsdNumPaths;
    folder.add("ttyACM0");
    probe->portTick();
    EXPECT_EQ(entries(), Entries{"no device found"});
    EXPECT_EQ(bsdNumPaths, tableCount);
}

TEST_F(PortListTest, ListingFailureShowsNoDevice) {
    folder.add("ttyACM0");
    probe->portTick();
    ASSERT_EQ(entries(), Entries{"COM1"});
    set_port_directory("/nonexistent-ovk-port-folder");
    const std::string out = sim::capture_stdout([&] { probe->portTick(); });
    EXPECT_EQ(entries(), Entries{"no device found"});
    EXPECT_NE(out.find("[utils] ERROR: FindDevices"), std::string::npos) << out;
}

} // namespace
