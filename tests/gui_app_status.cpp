// The device status displays: power, memory, recording time, input source and head.
#include "gui_app_device.h"

#include <utility>
#include <vector>

#include <wx/choice.h>
#include <wx/statbmp.h>

namespace {

using namespace devtest;

class StatusTest : public DeviceWindowTest {
  protected:
    void SetUp() override {
        DeviceWindowTest::SetUp();
        open_link();
    }
    void set_memory(const std::string& sizeKiB, const std::string& freeKiB) {
        device.set_file("/tmp/mem_info_size", sizeKiB);
        device.set_file("/tmp/mem_info_free", freeKiB);
        probe->memoryInfoValid() = false;
        probe->updateMemoryBar();
    }
    bool memory_controls_enabled() {
        bool all = true;
        for (const char* name :
             {"MemoryFreeText", "MemoryMeterLabel", "RecordTimeLeft", "RecordTimeLabel"})
            all = all && named<wxStaticText>(window, name)->IsEnabled();
        return all;
    }
    void mic(const std::string& letter) {
        device.set_file("/tarvik/mics/current_mic", letter);
        probe->updateCapsulePic();
    }
    bool no_mic_text_shown() { return named<wxStaticText>(window, "NoMicText")->IsShown(); }
};

TEST_F(StatusTest, PowerLabelsShowWholeNumbersOnly) {
    device.set_file("/tmp/power_accu", "87\n");
    device.set_file("/tmp/power_batt", "64");
    probe->updatePowerBars();
    EXPECT_EQ(label(window, "AccuPowerLabel"), "87%");
    EXPECT_EQ(label(window, "BatteryPowerLabel"), "64%");

    // Each file on its own: an unreadable one leaves its label, the other still updates.
    for (const char* bad : {"abc", "", "87 %", "12abc"}) {
        device.set_file("/tmp/power_accu", bad);
        device.set_file("/tmp/power_batt", "50");
        probe->updatePowerBars();
        EXPECT_EQ(label(window, "AccuPowerLabel"), "87%") << bad;
        EXPECT_EQ(label(window, "BatteryPowerLabel"), "50%");
        device.set_file("/tmp/power_batt", "64");
        probe->updatePowerBars();
    }
    answer_file("/tmp/power_batt", sim::MESSAGE, "10"); // not an answer
    device.set_file("/tmp/power_accu", "-3");
    probe->updatePowerBars();
    EXPECT_EQ(label(window, "AccuPowerLabel"), "-3%");
    EXPECT_EQ(label(window, "BatteryPowerLabel"), "64%");
}

TEST_F(StatusTest, MemoryFiguresInMebibytes) {
    set_memory("4194304", "1048576");
    EXPECT_EQ(label(window, "MemoryFreeText"), "1024 of 4096 MB free");
    EXPECT_EQ(label(window, "MemoryMeterLabel"), "25%");
    EXPECT_EQ(probe->freeMemoryBytes(), 1073741824u);
    EXPECT_TRUE(probe->memoryInfoValid());
    EXPECT_TRUE(memory_controls_enabled());

    // Read once: later calls leave the display as it is.
    device.set_file("/tmp/mem_info_free", "2048");
    probe->updateMemoryBar();
    EXPECT_EQ(label(window, "MemoryFreeText"), "1024 of 4096 MB free");

    // The KiB remainder goes before the conversion to bytes.
    set_memory("4194304", "1023");
    EXPECT_EQ(label(window, "MemoryFreeText"), "0 of 4096 MB free");
    EXPECT_EQ(probe->freeMemoryBytes(), 0u);
    EXPECT_EQ(label(window, "MemoryMeterLabel"), "0%");

    // The share is taken in single precision: 7 of 10 MB is 69%.
    set_memory("10240", "7168");
    EXPECT_EQ(label(window, "MemoryMeterLabel"), "69%");
    set_memory("1023", "0");
    EXPECT_EQ(label(window, "MemoryFreeText"), "0 of 0 MB free");
    EXPECT_EQ(label(window, "MemoryMeterLabel"), "0%");
    // A device reporting far more free than total memory gets no garbage figure.
    set_memory("1024", "9000000000000000000");
    EXPECT_EQ(label(window, "MemoryMeterLabel"), "2147483647%");
}

TEST_F(StatusTest, UnusableMemoryFiguresChangeNothing) {
    set_memory("4194304", "1048576");
    const char* const bad[][2] = {
        {"-1024", "1024"}, {"4096", "-1"}, {"lots", "1024"}, {"4096", ""}, {"4096", "1k"}};
    for (const auto& figures : bad) {
        set_memory(figures[0], figures[1]);
        EXPECT_FALSE(probe->memoryInfoValid()) << figures[0] << " " << figures[1];
        EXPECT_EQ(label(window, "MemoryFreeText"), "1024 of 4096 MB free");
        EXPECT_EQ(probe->freeMemoryBytes(), 1073741824u);
    }
    // An answer of another command counts as none.
    answer_file("/tmp/mem_info_size", sim::MESSAGE, "4096");
    set_memory("4096", "1024");
    EXPECT_FALSE(probe->memoryInfoValid());
}

TEST_F(StatusTest, OutdatedMemoryIsResetAndAskedForAgain) {
    set_memory("4194304", "1048576");
    device.clear_frames();
    probe->outdateMemoryControls();
    EXPECT_FALSE(probe->memoryInfoValid());
    EXPECT_EQ(label(window, "MemoryFreeText"), "0% of 0% MB free");
    EXPECT_EQ(label(window, "MemoryMeterLabel"), "0%");
    EXPECT_EQ(probe->freeMemoryBytes(), 0u);
    for (const char* name :
         {"MemoryFreeText", "MemoryMeterLabel", "RecordTimeLeft", "RecordTimeLabel"})
        EXPECT_FALSE(named<wxStaticText>(window, name)->IsEnabled()) << name;
    const auto frames = device.frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(is_script(frames[0], "set_mem_info"));
}

class RecordTimeTest : public StatusTest {
  protected:
    // Free memory in bytes, format, and the active preset's stored rate, bit rate and stereo.
    std::string record_time(uint64_t freeBytes, const char* format, const char* rate,
                            const char* bitrate, const char* stereo) {
        const int preset = probe->activePreset();
        set_value(SETTING_REC_SAMPLE_RATE, preset, rate);
        set_value(SETTING_REC_BITRATE, preset, bitrate);
        set_value(SETTING_REC_FILE_STEREO, preset, stereo);
        probe->formatChoice()->SetStringSelection(format);
        probe->freeMemoryBytes() = freeBytes;
        probe->updateRecordTime();
        return label(window, "RecordTimeLeft");
    }
    const uint64_t GiB = 1ull << 30;
};

TEST_F(RecordTimeTest, TimeLeftFromFreeMemoryAndFormat) {
    EXPECT_EQ(record_time(GiB, "WAV", "48000", "192", "0"), "03h06m");
    EXPECT_EQ(record_time(GiB, "WAV", "48000", "192", "1"), "01h33m");
    EXPECT_EQ(record_time(GiB, "BWF", "48000\n", "---", "1 "), "01h33m");
    EXPECT_EQ(record_time(GiB, "MP2", "48000", "192", "1"), "06h04m");
    EXPECT_EQ(record_time(64 * GiB, "WAV", "32000", "192", "0"), "298h15m");
    EXPECT_EQ(probe->sampleRate(), 32000);
    EXPECT_EQ(record_time(0, "WAV", "44100", "128", "0"), "00h00m");
}

TEST_F(RecordTimeTest, UnreadableValuesLeaveTheLabel) {
    const std::string shown = record_time(GiB, "WAV", "48000", "192", "0");
    EXPECT_EQ(record_time(GiB, "MP2", "48000", "---", "0"), shown);
    EXPECT_EQ(record_time(GiB, "WAV", "fast", "192", "0"), shown);
    EXPECT_EQ(record_time(GiB, "WAV", "44100", "192", ""), shown);
    EXPECT_EQ(probe->sampleRate(), 44100); // taken before the stereo value failed
    // Values the store never admits must not divide by zero.
    EXPECT_EQ(record_time(GiB, "WAV", "0", "192", "0"), shown);
    EXPECT_EQ(record_time(GiB, "MP2", "48000", "0", "1"), shown);
    EXPECT_EQ(record_time(GiB, "WAV", "48000", "192", "-1"), shown);
    // No format selected counts as not MP2.
    probe->formatChoice()->SetSelection(wxNOT_FOUND);
    set_value(SETTING_REC_BITRATE, probe->activePreset(), "---");
    set_value(SETTING_REC_FILE_STEREO, probe->activePreset(), "0");
    probe->updateRecordTime();
    EXPECT_EQ(label(window, "RecordTimeLeft"), "03h06m");
}

TEST_F(StatusTest, InputSourceDecidesLevelMonitoring) {
    const auto source = [&](const char* text, bool headValid) {
        device.set_file("/proc/dsp_source", text);
        probe->micHeadValid() = headValid;
        probe->updateInputDetection();
    };
    source("0", true);
    EXPECT_TRUE(probe->levelMonitoring());
    EXPECT_EQ(label(window, "MicLineLabel"), "  Mic\nLevel");
    source("1", false);
    EXPECT_TRUE(probe->levelMonitoring());
    EXPECT_EQ(label(window, "MicLineLabel"), "Line\nLevel");
    source("0", false);
    EXPECT_FALSE(probe->levelMonitoring());
    EXPECT_EQ(label(window, "MicLineLabel"), "  Mic\nLevel");
    for (const char* other : {"2", "x", "", "-1"}) {
        source("1", true);
        source(other, false);
        EXPECT_TRUE(probe->levelMonitoring()) << other;
        EXPECT_EQ(label(window, "MicLineLabel"), "Line\nLevel") << other;
    }
}

TEST_F(StatusTest, CapsuleLettersPickPictureAndName) {
    const struct {
        const char* letter;
        const char* picture;
        const char* name;
    } heads[] = {{"l", "Niere", "PRO"},      {"q", "Niere", "PREMIUM"},
                 {"k", "Superniere", "PRO"}, {"o", "Superniere", "PREMIUM"},
                 {"m", "Kugel", "PRO"},      {"p\n", "Kugel", "PREMIUM"}};
    for (const auto& head : heads) {
        probe->micHeadValid() = false;
        mic(head.letter);
        EXPECT_EQ(probe->shownHead(), head.picture) << head.letter;
        EXPECT_EQ(label(window, "MicTypeLabel"), head.name) << head.letter;
        EXPECT_TRUE(probe->micHeadValid());
        EXPECT_FALSE(no_mic_text_shown());
    }
}

TEST_F(StatusTest, UnrecognisedHeadsDependOnTheHardwareType) {
    for (const char* letter : {"a", "", "u", "x"}) {
        probe->setHwType(HW_TYPE_WITHOUT_ACCU);
        mic("l");
        mic(letter);
        EXPECT_EQ(probe->shownHead(), "MuteHead") << letter;
        EXPECT_EQ(label(window, "MicTypeLabel"), "INVALID");
        EXPECT_FALSE(probe->micHeadValid());
        EXPECT_FALSE(no_mic_text_shown());

        probe->setHwType(HW_TYPE_WITH_ACCU);
        mic("l");
        mic(letter);
        EXPECT_EQ(probe->shownHead(), "") << letter;
        EXPECT_EQ(label(window, "MicTypeLabel"), "none");
        EXPECT_FALSE(probe->micHeadValid());
        EXPECT_TRUE(no_mic_text_shown());
        EXPECT_EQ(label(window, "NoMicText"), "No Mic Head");
    }
}

TEST_F(StatusTest, UnknownOrUnansweredHeadHidesThePictureOnly) {
    mic("l");
    mic("z");
    EXPECT_EQ(probe->shownHead(), "");
    EXPECT_EQ(label(window, "MicTypeLabel"), "PRO");
    EXPECT_TRUE(probe->micHeadValid());
    mic("lq"); // not a substring of the letters
    EXPECT_EQ(probe->shownHead(), "");
    EXPECT_TRUE(probe->micHeadValid());
}

TEST_F(StatusTest, HeadReadWaitsForTheAnswerItself) {
    // A frame of the file's name but another command comes first; the answer follows.
    device.set_responder([](const sim::Frame& f) -> std::optional<sim::Replies> {
        if (!is_read(f, "/tarvik/mics/current_mic"))
            return std::nullopt;
        return sim::Replies{sim::encode(sim::Frame::with_text(sim::MESSAGE, f.name, "a")),
                            sim::encode(sim::Frame::with_text(sim::ANSWER, f.name, "q"))};
    });
    probe->updateCapsulePic();
    EXPECT_EQ(probe->shownHead(), "Niere");
    EXPECT_EQ(label(window, "MicTypeLabel"), "PREMIUM");
}

TEST_F(StatusTest, WithoutALinkTheHeadShowsNone) {
    mic("l");
    probe->connected() = false;
    device.clear_frames();
    probe->updateCapsulePic();
    EXPECT_EQ(probe->shownHead(), "");
    EXPECT_EQ(label(window, "MicTypeLabel"), "none");
    EXPECT_FALSE(no_mic_text_shown());
    EXPECT_TRUE(probe->micHeadValid()); // left as it was
    EXPECT_FALSE(device.wait_for_frames(1, 50));
}

// Through the program's own connect, poll cycle and disconnect.
class StatusAcrossConnectTest : public DeviceWindowTest {
  protected:
    // Pictures that show on the accu gauge's spot, its placeholder and overlay included.
    int accu_pictures_shown() {
        wxWindow* accu = wxWindow::FindWindowById(1126, window);
        int shown = 0;
        for (wxWindow* child : accu->GetParent()->GetChildren())
            if (dynamic_cast<wxStaticBitmap*>(child) && child->GetRect() == accu->GetRect())
                shown += child->IsShown() ? 1 : 0;
        return shown;
    }
};

TEST_F(StatusAcrossConnectTest, AccuFigureWithoutAccuGaugeAndEveryFigureKeptAfterDisconnect) {
    device.set_file("/tmp/hw_type", "1"); // a device without accu
    device.set_file("/tmp/power_accu", "55");
    device.set_file("/tmp/power_batt", "64");
    device.set_file("/tmp/mem_info_size", "4194304");
    device.set_file("/tmp/mem_info_free", "1048576");
    device.set_file("/proc/dsp_source", "1");
    connect();
    for (int i = 0; i < 8; ++i)
        probe->pollTick();

    // A device without accu still reports its figure; only the gauge stays away.
    EXPECT_EQ(label(window, "AccuPowerLabel"), "55%");
    EXPECT_FALSE(wxWindow::FindWindowById(1126, window)->IsShown());
    EXPECT_TRUE(probe->noBatteryPicture()->IsShown());
    EXPECT_EQ(accu_pictures_shown(), 1); // the overlay alone

    const std::vector<std::pair<const char*, std::string>> figures = {
        {"AccuPowerLabel", "55%"},
        {"BatteryPowerLabel", "64%"},
        {"MemoryMeterLabel", "25%"},
        {"MemoryFreeText", "1024 of 4096 MB free"},
        {"RecordTimeLeft", label(window, "RecordTimeLeft")},
        {"MicLineLabel", "Line\nLevel"}};
    EXPECT_NE(label(window, "RecordTimeLeft"), "00h00m");

    probe->clickConnect(false);
    for (const auto& [name, text] : figures) {
        EXPECT_EQ(label(window, name), text) << name;
        EXPECT_TRUE(named<wxStaticText>(window, name)->IsEnabled()) << name;
    }
    EXPECT_EQ(label(window, "MicTypeLabel"), "none");
    // Back to the look of a device with accu: its gauge shows the last figure again.
    EXPECT_FALSE(probe->noBatteryPicture()->IsShown());
    EXPECT_EQ(accu_pictures_shown(), 2); // the placeholder and one gauge picture
}

} // namespace
