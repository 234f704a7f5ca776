// A device that vanishes or falls silent while the window talks to it.
#include "gui_app_device.h"

#include <algorithm>
#include <cstdio>

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
    // The one dialog of the lost-link path, and the disconnected state it leaves.
    void expect_link_lost() {
        const auto dialogs = guitest::take_dialogs();
        ASSERT_EQ(dialogs.size(), 1u);
        EXPECT_EQ(dialogs[0].title, "Communication error");
        EXPECT_EQ(dialogs[0].message, "Connection to device lost");
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
};

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
