// The level timer's traffic with the simulated device and its level arithmetic.
#include "gui_app_probe.h"

#include <cmath>

#include <wx/utils.h>

#include "LevelMeterPanel.h"
#include "simdevice.h"
#include "utils.h"

namespace {

const char* const LEVEL_FILE = "/proc/dsp_level";

class LevelTimerTest : public testing::Test {
  protected:
    void SetUp() override {
        device.list_as_port();
        window = start_program();
        probe = std::make_unique<MainWindowProbe>(window);
        probe->levelTimer()->Stop(); // the test gives the ticks
        ASSERT_GT(open_port(0), 0);
    }
    void TearDown() override {
        probe->connected() = false;
        close_port();
        close_program(window);
    }

    void go_live() {
        probe->connected() = true;
        probe->levelMonitoring() = true;
        probe->levelPhase() = 0;
    }
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            probe->levelTick();
    }
    // One reading: the tick that follows a reset has phase 1.
    void read_level(const std::string& text) {
        device.set_file(LEVEL_FILE, text);
        probe->levelPhase() = 0;
        probe->levelTick();
    }
    size_t level_reads() {
        size_t reads = 0;
        for (const auto& frame : device.frames())
            reads += frame.command == sim::READ_FILE && frame.name == LEVEL_FILE;
        return reads;
    }

    sim::SimDevice device;
    TARVIK_User_SWFrm* window = nullptr;
    std::unique_ptr<MainWindowProbe> probe;
};

TEST_F(LevelTimerTest, NoRequestWithoutLinkOrWithoutMonitoring) {
    device.set_file(LEVEL_FILE, "32767");
    ticks(10);
    probe->connected() = true;
    ticks(10);
    probe->connected() = false;
    probe->levelMonitoring() = true;
    ticks(10);
    EXPECT_FALSE(device.wait_for_frames(1, 50));
    EXPECT_EQ(probe->levelCurrent(), -120.0f);
}

TEST_F(LevelTimerTest, ReadsTheLevelFileOnceEveryFifthTick) {
    device.set_file(LEVEL_FILE, "32767");
    go_live();
    ticks(5);
    EXPECT_EQ(level_reads(), 1u);
    EXPECT_EQ(device.frames().size(), 1u);
    ticks(10);
    EXPECT_EQ(level_reads(), 3u);
    EXPECT_EQ(device.frames().size(), 3u);
    // The port lock is free again.
    ASSERT_EQ(COMPORT.TryWait(), wxSEMA_NO_ERROR);
    COMPORT.Post();
}

TEST_F(LevelTimerTest, ReadingsBecomeDecibelsFullScale) {
    go_live();
    read_level("32767\n");
    EXPECT_FLOAT_EQ(probe->levelCurrent(), 0.0f);
    EXPECT_FLOAT_EQ(probe->levelShown(), 0.0f); // instant rise
    EXPECT_EQ(probe->levelMeter()->barHeight(), 330);

    read_level("16384");
    EXPECT_NEAR(probe->levelCurrent(), -6.02f, 0.005f);
    read_level("65535");
    EXPECT_NEAR(probe->levelCurrent(), 6.02f, 0.005f);
    read_level("1");
    EXPECT_NEAR(probe->levelCurrent(), -90.3f, 0.05f);
    // Text after the number is ignored.
    read_level("  16384 peak");
    EXPECT_NEAR(probe->levelCurrent(), -6.02f, 0.005f);
}

TEST_F(LevelTimerTest, UnusableReadingsKeepTheLastLevel) {
    go_live();
    read_level("16384");
    const float last = probe->levelCurrent();
    for (const char* text : {"0", "", "loud", "99999999999999999999999"}) {
        read_level(text);
        EXPECT_EQ(probe->levelCurrent(), last) << text;
    }
    // An answer of another kind under the file's name counts as none.
    device.set_responder([](const sim::Frame& f) -> std::optional<sim::Replies> {
        return sim::Replies{sim::encode(sim::Frame::with_text(sim::MESSAGE, f.name, "32767"))};
    });
    read_level("32767");
    EXPECT_EQ(probe->levelCurrent(), last);
}

TEST_F(LevelTimerTest, NegativeReadingHoldsTheShownLevel) {
    go_live();
    read_level("16384");
    const float shown = probe->levelShown();
    read_level("-5");
    EXPECT_TRUE(std::isnan(probe->levelCurrent()));
    wxMilliSleep(120);
    ticks(1);
    EXPECT_EQ(probe->levelShown(), shown);
    // A later good reading replaces it.
    read_level("32767");
    EXPECT_FLOAT_EQ(probe->levelCurrent(), 0.0f);
}

TEST_F(LevelTimerTest, ShownLevelFallsOneDecibelPer60msButNotBelowTheReading) {
    go_live();
    read_level("32767");
    ASSERT_FLOAT_EQ(probe->levelShown(), 0.0f);
    device.set_file(LEVEL_FILE, "16384");
    ticks(4); // phases 2..0: no reading
    wxMilliSleep(600);
    ticks(1); // phase 1: reads -6.02 dB; 10 dB of fall stop there
    EXPECT_NEAR(probe->levelShown(), -6.02f, 0.005f);
    EXPECT_EQ(probe->levelMeter()->barHeight(), 285);

    // Without a link the level drops toward -120 dB at the same pace.
    probe->connected() = false;
    ticks(1);
    const float start = probe->levelShown();
    wxMilliSleep(300);
    ticks(1);
    const float fallen = start - probe->levelShown();
    EXPECT_GT(fallen, 4.5f);
    EXPECT_LT(fallen, 7.0f);
}

} // namespace
