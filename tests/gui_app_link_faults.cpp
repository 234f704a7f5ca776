// A device that vanishes or falls silent while the window talks to it.
#include "gui_app_device.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>

#include <wx/eventfilter.h>
#include <wx/stopwatch.h>

#include "sim_testing.h"

namespace {

using namespace devtest;

// The longest time between two events the toolkit dispatched. With the level timer ticking
// every 10 ms, that is the longest time one handler held the window.
class BlockWatch : public wxEventFilter {
  public:
    BlockWatch() { wxEvtHandler::AddFilter(this); }
    ~BlockWatch() override { wxEvtHandler::RemoveFilter(this); }
    int FilterEvent(wxEvent&) override {
        const long now = clock_.Time();
        longest = std::max(longest, now - last_);
        last_ = now;
        return Event_Skip;
    }
    long longest = 0;

  private:
    wxStopWatch clock_;
    long last_ = 0;
};

class LinkFaultTest : public DeviceWindowTest {
  protected:
    // The one dialog of the lost-link path, after the given number of others, and the
    // disconnected state it leaves.
    void expect_link_lost(size_t before = 0) {
        const auto dialogs = guitest::take_dialogs();
        ASSERT_EQ(dialogs.size(), before + 1);
        EXPECT_EQ(dialogs[before].title, "Communication error");
        EXPECT_EQ(dialogs[before].message, "Connection to device lost");
        EXPECT_FALSE(probe->connected());
        EXPECT_FALSE(probe->connectButton()->GetValue());
        EXPECT_EQ(probe->connectButton()->GetLabel(), "Connect");
        EXPECT_FALSE(probe->pollTimer()->IsRunning());
        EXPECT_EQ(auth_level, 6);
        EXPECT_LT(serial_device, 0);
    }
    static size_t lines(const std::string& text) {
        return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    }
    // From now on the device leaves the exchange of the given command and name unanswered,
    // once; it answers everything else.
    void miss_once(uint32_t command, const std::string& name) {
        auto missed = std::make_shared<std::atomic<bool>>(false);
        device.set_responder([=](const sim::Frame& f) -> std::optional<sim::Replies> {
            if (f.command != command || f.name != name || missed->exchange(true))
                return std::nullopt;
            return sim::Replies{};
        });
    }
};

// The exchanges of a connect, in order, where a device may fall silent.
const size_t HANDSHAKE_AND_MEMORY = 3; // the handshake's two frames and "set_mem_info"
const size_t LOADED = HANDSHAKE_AND_MEMORY + PRESETS_COUNT * SETTINGS_COUNT;
const size_t ACTIVE_PRESET_READ = LOADED + 1;
const size_t REFRESHED = ACTIVE_PRESET_READ + 10; // three text writes, seven DSP updates
const size_t HARDWARE_TYPE_READ = REFRESHED + 1;

// A device that falls silent anywhere in the connect is a lost link after two waits: the
// exchange it left unanswered, then the handshake that tries the link at once. Nothing more goes
// out, and neither the report nor a transfer error shows. Prints the time from the device's last
// answer to the lost-link box.
TEST_F(LinkFaultTest, DeviceFallingSilentInTheConnectIsALostLinkAfterTwoWaits) {
    const sim::Watchdog watchdog(120); // a load that waits on every read takes half an hour
    const struct {
        const char* where;
        size_t answered;
    } cases[] = {
        {"during the load", HANDSHAKE_AND_MEMORY + 50},
        {"at the load's last reads", LOADED - 3},
        {"after the load, in the refresh", ACTIVE_PRESET_READ},
        {"at the scripts after the load", HARDWARE_TYPE_READ},
    };
    using Clock = std::chrono::steady_clock;
    std::atomic<Clock::rep> lastAnswer{0};
    device.set_responder([&](const sim::Frame&) -> std::optional<sim::Replies> {
        lastAnswer = Clock::now().time_since_epoch().count();
        return std::nullopt;
    });
    Clock::time_point boxShown;
    guitest::set_dialog_opened([&](wxDialog*) { boxShown = Clock::now(); });
    for (const auto& c : cases) {
        device.clear_frames();
        device.set_answer_limit(static_cast<int>(c.answered));
        sim::capture_stdout([&] { probe->clickConnect(true); });
        expect_link_lost();
        const auto frames = device.frames();
        ASSERT_EQ(frames.size(), c.answered + 2) << c.where << "\n" << describe(frames);
        EXPECT_EQ(frames.back().name, "LOOPBACKTEST") << c.where;
        const auto silentFor = boxShown - Clock::time_point(Clock::duration(lastAnswer));
        std::printf("device silent %s: \"Connection to device lost\" %lld ms after its last "
                    "answer\n",
                    c.where,
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::milliseconds>(silentFor).count()));
    }
    device.set_responder({}); // it refers to this test's locals
}

// A device that misses one exchange of the connect but answers the handshake costs that one
// handshake: the connect goes on, the missed read is reported, the missed write shows its box.
TEST_F(LinkFaultTest, OneExchangeMissedInTheConnectCostsOneHandshake) {
    const struct {
        uint32_t command;
        std::string name;
        const char* dialog;
    } cases[] = {
        {sim::READ_FILE, setting_file(3, SETTING_REC_SAMPLE_RATE), "oVk protocol guard"},
        {sim::WRITE_FILE, setting_file(1, SETTING_PRESET_NAME), "Communication error"},
    };
    for (const auto& c : cases) {
        device.clear_frames();
        miss_once(c.command, c.name);
        sim::capture_stdout([&] { connect(); });
        const auto dialogs = guitest::take_dialogs();
        ASSERT_EQ(dialogs.size(), 1u) << c.name;
        EXPECT_EQ(dialogs[0].title, c.dialog);
        const auto frames = device.frames();
        ASSERT_EQ(frames.size(), CONNECT_FRAMES + 2) << c.name << "\n" << describe(frames);
        const long missed = first_index(frames, [&](const sim::Frame& f) {
            return f.command == c.command && f.name == c.name;
        });
        ASSERT_GE(missed, 0);
        EXPECT_EQ(frames[missed + 1].name, "LOOPBACKTEST");
        EXPECT_EQ(frames[missed + 2].name, "LOOPBACK_FINISHED");
        EXPECT_EQ(auth_level, 5);
        probe->clickConnect(false);
    }
}

// Unplugged while the report of a missed read is open: after its Ok, one lost-link box, and
// nothing is written to the closed port.
TEST_F(LinkFaultTest, DeviceUnpluggedBehindTheReportIsOneLostLink) {
    miss_once(sim::READ_FILE, setting_file(3, SETTING_REC_SAMPLE_RATE));
    guitest::set_dialog_opened([&](wxDialog* dialog) {
        if (dialog->GetTitle() != "oVk protocol guard")
            return;
        device.set_hang_up_after(0);
        sim::wait_for_hang_up();
    });
    const std::string out = sim::capture_stdout([&] { probe->clickConnect(true); });
    expect_link_lost(1);
    // The one write that found the device gone.
    const std::string failedWrite = "send_command 444 bytes expected, -1 bytes written";
    EXPECT_EQ(out.find(failedWrite), out.rfind(failedWrite)) << out;
    EXPECT_NE(out.find(failedWrite), std::string::npos) << out;
}

// Unplugged in the middle of the load: no report of the aborted load, nothing more sent,
// a line or two on standard output.
TEST_F(LinkFaultTest, DeviceGoneDuringTheLoadIsALostLink) {
    device.set_hang_up_after(200);
    const std::string out = sim::capture_stdout([&] { probe->clickConnect(true); });
    expect_link_lost();
    EXPECT_LE(lines(out), 2u) << out;
    EXPECT_EQ(device.frames().size(), 200u);
}

// Unplugged while connected: the next setting change finds it, and says so once.
TEST_F(LinkFaultTest, DeviceGoneWhileConnectedIsALostLinkAtTheNextChange) {
    connect();
    device.set_hang_up_after(0);
    sim::wait_for_hang_up();
    auto* limiter = named<wxCheckBox>(window, "ilm_li_enable");
    ASSERT_NE(limiter, nullptr);
    const std::string out = sim::capture_stdout([&] {
        limiter->SetValue(!limiter->GetValue());
        wxCommandEvent change(wxEVT_CHECKBOX, limiter->GetId());
        change.SetEventObject(limiter);
        limiter->GetEventHandler()->ProcessEvent(change);
        probe->levelTick();
    });
    expect_link_lost();
    EXPECT_LE(lines(out), 2u) << out;
}

// A status display's first read goes unanswered: its second read is not tried, and the
// keep-alive follows at once, not at the cycle's next phase 1.
TEST_F(LinkFaultTest, AfterAnUnansweredReadOnlyTheKeepAliveGoesOut) {
    connect();
    device.clear_frames();
    device.set_silent();
    sim::capture_stdout([&] {
        probe->updatePowerBars();
        wxStopWatch waiting;
        while (probe->connected() && waiting.Time() < 5000)
            guitest::pump(0);
    });
    expect_link_lost();
    const auto frames = device.frames();
    ASSERT_EQ(frames.size(), 2u) << describe(frames);
    EXPECT_TRUE(is_read(frames[0], "/tmp/power_accu"));
    EXPECT_EQ(frames[1].name, "LOOPBACKTEST");
}

// A device falling silent while polling, with level monitoring on: after the first
// unanswered exchange only the keep-alive goes out, and its failure ends the link. Prints
// the time to "Connection to device lost" and the longest block of the window on the way.
TEST_F(LinkFaultTest, SilentDeviceIsLostAfterOneKeepAlive) {
    connect();
    probe->levelMonitoring() = true;
    probe->pollTimer()->Start(133);
    probe->levelTimer()->Start(10);
    guitest::pump(1200); // a whole poll cycle with a device that answers
    ASSERT_TRUE(probe->connected());
    ASSERT_TRUE(guitest::take_dialogs().empty());

    // Silence starts right after a keep-alive and its date read, so that a level read is the
    // first exchange to go unanswered: the longest way to the lost link.
    wxStopWatch waiting;
    while (waiting.Time() < 3000 &&
           (device.frames().empty() || !is_read(device.frames().back(), "/tmp/datestring")))
        guitest::pump(0);
    const size_t before = device.frames().size();
    device.set_silent();
    wxStopWatch sinceSilent;
    long lostAfter = 0;
    long longestBlock = 0;
    {
        BlockWatch blocks;
        while (probe->connected() && sinceSilent.Time() < 10000)
            guitest::pump(0);
        lostAfter = sinceSilent.Time();
        longestBlock = blocks.longest;
    }
    probe->levelTimer()->Stop();
    std::printf("silent device: \"Connection to device lost\" after %ld ms, longest block of "
                "the window %ld ms\n",
                lostAfter, longestBlock);

    expect_link_lost();
    const auto frames = device.frames();
    const std::vector<sim::Frame> silent(frames.begin() + static_cast<long>(before), frames.end());
    ASSERT_EQ(silent.size(), 2u) << describe(silent);
    EXPECT_TRUE(is_read(silent[0], "/proc/dsp_level")) << describe(silent);
    EXPECT_EQ(silent[1].name, "LOOPBACKTEST");
}

} // namespace
