// Setting the device clock to the host's time.
#include "gui_app_device.h"

#include <wx/datetime.h>

#include "sim_testing.h"

namespace {

using namespace devtest;

class ClockTest : public DeviceWindowTest {
  protected:
    std::vector<sim::Frame> clock_frames() {
        std::vector<sim::Frame> frames;
        for (const auto& frame : device.frames())
            if (frame.name == "SETTIME")
                frames.push_back(frame);
        return frames;
    }
    std::string line_for(const wxDateTime& local) {
        device.clear_frames();
        probe->setDeviceClockTo(local);
        const auto frames = clock_frames();
        EXPECT_EQ(frames.size(), 1u);
        if (frames.empty())
            return std::string();
        EXPECT_EQ(frames[0].command, sim::EXECUTE);
        EXPECT_EQ(frames[0].kind, 1u);
        return frames[0].text;
    }
    void click_set_time() {
        wxCommandEvent click(wxEVT_BUTTON, 1022);
        auto* button = control<wxButton>(window, 1022);
        ASSERT_NE(button, nullptr);
        click.SetEventObject(button);
        window->ProcessWindowEvent(click);
    }
};

TEST_F(ClockTest, CommandLineCarriesTheLocalTimeZeroPadded) {
    open_link();
    EXPECT_EQ(line_for(wxDateTime(9, wxDateTime::Jan, 2024, 7, 5, 3)),
              "date -s 2024.01.09-07:05:03; /tarvik/scripts/sync_with_rtc");
    EXPECT_EQ(line_for(wxDateTime(17, wxDateTime::May, 2025, 13, 45, 9)),
              "date -s 2025.05.17-13:45:09; /tarvik/scripts/sync_with_rtc");
    const std::string last = line_for(wxDateTime(31, wxDateTime::Dec, 1999, 23, 59, 59));
    EXPECT_EQ(last, "date -s 1999.12.31-23:59:59; /tarvik/scripts/sync_with_rtc");
    EXPECT_LE(last.size(), 58u);
}

TEST_F(ClockTest, ButtonSendsTheHostTimeOnlyWhileConnected) {
    click_set_time();
    EXPECT_FALSE(device.wait_for_frames(1, 50));

    open_link();
    // The host's time at the click, whole seconds, on whichever day the click falls.
    wxDateTime before = wxDateTime::Now();
    before.SetMillisecond(0);
    click_set_time();
    const wxDateTime after = wxDateTime::Now();
    const auto frames = clock_frames();
    ASSERT_EQ(frames.size(), 1u);
    const std::string prefix = "date -s ";
    ASSERT_EQ(frames[0].text.compare(0, prefix.size(), prefix), 0) << frames[0].text;
    wxDateTime sent;
    wxString::const_iterator end;
    const wxString stamp = frames[0].text.substr(prefix.size(), 19);
    ASSERT_TRUE(sent.ParseFormat(stamp, "%Y.%m.%d-%H:%M:%S", &end)) << stamp;
    EXPECT_TRUE(sent.IsBetween(before, after))
        << stamp << " not between " << before.FormatISOCombined() << " and "
        << after.FormatISOCombined();
}

TEST_F(ClockTest, OnlyAnAnswerCompletesTheClockRequest) {
    open_link();
    // A frame of the right name but another command comes first, then the answer.
    device.set_responder([](const sim::Frame& f) -> std::optional<sim::Replies> {
        if (f.name != "SETTIME")
            return std::nullopt;
        return sim::Replies{sim::encode(sim::Frame::with_text(sim::MESSAGE, "SETTIME", "")),
                            sim::encode(sim::Frame::with_text(sim::ANSWER, "SETTIME", ""))};
    });
    probe->setDeviceClockTo(wxDateTime(9, wxDateTime::Jan, 2024, 7, 5, 3));
    // Had the first frame been taken, the answer would still be waiting on the port.
    link_frame left;
    int got = 1;
    sim::capture_stdout([&] { got = recv_command(&left); });
    EXPECT_EQ(got, 0) << frame_name(&left);
    EXPECT_EQ(COMPORT.TryWait(), wxSEMA_NO_ERROR);
    COMPORT.Post();
}

} // namespace
