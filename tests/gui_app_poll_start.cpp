// The poll cycle's first tick of a program run. A program of its own: no other test can have
// moved the cycle's counter, which lives for the whole run, before this one looks.
#include "gui_app_device.h"

#include <wx/stopwatch.h>

namespace {

using PollStart = devtest::DeviceWindowTest;

TEST_F(PollStart, FirstTickAfterTheFirstConnectIsTheKeepAlive) {
    connect();
    device.clear_frames();
    probe->pollTimer()->Start(133);
    wxStopWatch watch;
    while (device.frames().empty() && watch.Time() < 2000)
        guitest::pump(10);
    probe->pollTimer()->Stop();
    const auto frames = device.frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.front().command, sim::LOOPBACK);
    EXPECT_GE(watch.Time(), 120);
}

} // namespace
