// The window against a device that answers as a device may, not only as the program expects:
// command lines answered by frames of their own kind, answers that start late.
#include "gui_app_device.h"

#include <wx/tglbtn.h>

#include "sim_testing.h"

namespace {

using namespace devtest;

class AnswerTest : public DeviceWindowTest {
  protected:
    void press_preset(long id) {
        auto* button = control<wxToggleButton>(window, id);
        button->SetValue(true);
        wxCommandEvent click(wxEVT_TOGGLEBUTTON, id);
        click.SetEventObject(button);
        window->ProcessWindowEvent(click);
    }
    void move_slider(long id, int position) {
        auto* slider = control<wxSlider>(window, id);
        slider->SetValue(position);
        wxScrollEvent release(wxEVT_SCROLL_CHANGED, id, position, wxVERTICAL);
        release.SetEventObject(slider);
        slider->ProcessWindowEvent(release);
    }
};

// Every receive attempt that ends without a whole frame prints one such line.
size_t failed_receives(const std::string& output) {
    size_t lines = 0;
    for (size_t at = output.find("recv_command"); at != std::string::npos;
         at = output.find("recv_command", at + 1))
        ++lines;
    return lines;
}

TEST_F(AnswerTest, CommandLinesAndTheClosingMessageTakeAnyFrameOfTheirName) {
    // The device does what it is told but answers with a frame of the request's own kind.
    device.set_responder([this](const sim::Frame& f) -> std::optional<sim::Replies> {
        const bool byName = (f.command == sim::EXECUTE && f.name != "SETTIME") ||
                            (f.command == sim::MESSAGE && f.name == "LOOPBACK_FINISHED");
        if (!byName)
            return std::nullopt;
        device.default_replies(f); // its effects, not its answer
        return sim::Replies{sim::encode(sim::Frame::with_text(f.command, f.name, "done"))};
    });

    const std::string output = sim::capture_stdout([&] {
        connect();                         // closing message, scripts, DSP updates
        ASSERT_TRUE(tick_to_keep_alive()); // closing message, date to file
        device.clear_frames();
        press_preset(1060);         // preset switch and DSP updates
        probe->clickConnect(false); // scripts
    });

    // None of those waits used up an attempt: each took the first frame of its name.
    EXPECT_EQ(failed_receives(output), 0u);
    EXPECT_EQ(count(device.frames(), [](auto& f) { return f.name == "SETPRESET"; }), 1u);
    EXPECT_GE(count(device.frames(), [](auto& f) { return f.name == "UPDATEDSP"; }), 7u);
    EXPECT_EQ(probe->activePreset(), 2);
    EXPECT_NE(label(window, "DateText"), "2010/04/01"); // the date file was written and read
    EXPECT_EQ(probe->connectButton()->GetLabel(), "Connect");
    EXPECT_TRUE(guitest::take_dialogs().empty());
}

TEST_F(AnswerTest, AnswersStartingAfterTheFirstAttemptsAreTaken) {
    device.set_file(setting_file(3, SETTING_PRESET_NAME), "Late");
    device.set_file(setting_file(7, SETTING_REC_MIC_LEVEL), "33");
    device.set_file("/tarvik/settings/current_preset", "3");
    device.set_file("/tmp/hw_type", "1"); // without accu: only a taken answer says so
    device.set_file("/tarvik/mics/current_mic", "p");
    device.set_file("/tmp/power_batt", "41");
    device.set_file(setting_file(3, SETTING_ALLOW_SET_LINE_GAIN), "1");
    const std::string lastAttempts = setting_file(7, SETTING_REC_MIC_LEVEL);
    const std::set<std::string> slow = {"LOOPBACKTEST",
                                        "LOOPBACK_FINISHED",
                                        setting_file(3, SETTING_PRESET_NAME),
                                        "/tarvik/settings/current_preset",
                                        "/tmp/hw_type",
                                        "/tarvik/mics/current_mic",
                                        "/tmp/power_batt",
                                        setting_file(3, SETTING_REC_LINE_LEVEL)};
    // Most answers start after two or three silent attempts of 0.2 s; one after seven.
    device.set_responder(sim::slow_answers(device, [slow, lastAttempts](const sim::Frame& f) {
        if (f.name == lastAttempts)
            return 1500;
        return slow.count(f.name) != 0 ? 500 : 0;
    }));

    connect();
    EXPECT_TRUE(wxStrErrList.empty()) << wxStrErrList;
    EXPECT_STREQ(current_settings[SETTING_PRESET_NAME][3].value, "Late");
    EXPECT_STREQ(current_settings[SETTING_REC_MIC_LEVEL][7].value, "33");
    EXPECT_EQ(probe->activePreset(), 3);
    EXPECT_EQ(probe->hwType(), HW_TYPE_WITHOUT_ACCU);
    EXPECT_EQ(probe->shownHead(), "Kugel");
    EXPECT_EQ(label(window, "MicTypeLabel"), "PREMIUM");

    // A late confirmation of a write is a confirmation: no error box.
    move_slider(1079, 12);
    EXPECT_EQ(device.file(setting_file(3, SETTING_REC_LINE_LEVEL)), "12");
    probe->updatePowerBars();
    EXPECT_EQ(label(window, "BatteryPowerLabel"), "41%");
    EXPECT_TRUE(guitest::take_dialogs().empty());
}

} // namespace
