#include <gtest/gtest.h>

#include <string>

#include "TARVIK_User_SWFrm.h"
#include "sim_testing.h"
#include "tarvik_settings.h"

namespace {

const char PRESET_FILE[] = "/tarvik/settings/current_preset";
const char HW_TYPE_FILE[] = "/tmp/hw_type";

class DeviceQueries : public sim::LinkTest {
  protected:
    // Every query must hand the port lock back, whatever the answer.
    void TearDown() override {
        EXPECT_EQ(COMPORT.TryWait(), wxSEMA_NO_ERROR);
        COMPORT.Post();
        sim::LinkTest::TearDown();
    }

    int preset_for(const std::string& answer) {
        device.set_file(PRESET_FILE, answer);
        return get_active_preset();
    }

    int type_for(const std::string& answer) {
        device.set_file(HW_TYPE_FILE, answer);
        return get_hw_type();
    }
};

} // namespace

TEST_F(DeviceQueries, ActivePresetMustBeOneWholeNumberFrom0To9) {
    EXPECT_EQ(preset_for("3"), 3);
    EXPECT_EQ(preset_for("3\n"), 3);
    EXPECT_EQ(preset_for("03"), 3);
    EXPECT_EQ(preset_for(" 0 \r\n"), 0);
    EXPECT_EQ(preset_for("9"), 9);
    EXPECT_EQ(preset_for("3x"), 1);
    EXPECT_EQ(preset_for(""), 1);
    EXPECT_EQ(preset_for("12"), 1);
    EXPECT_EQ(preset_for("-1"), 1);
    EXPECT_EQ(preset_for("4294967296"), 1);
    EXPECT_EQ(preset_for("99999999999999999999999"), 1);

    const std::vector<sim::Frame> frames = device.frames();
    ASSERT_FALSE(frames.empty());
    EXPECT_EQ(frames.back().command, static_cast<uint32_t>(sim::READ_FILE));
    EXPECT_EQ(frames.back().name, PRESET_FILE);
    EXPECT_EQ(frames.back().kind, 1u);
    EXPECT_EQ(frames.back().text, "");
}

TEST_F(DeviceQueries, ActivePresetWithoutAnswerIsOne) {
    device.remove_file(PRESET_FILE);
    EXPECT_EQ(get_active_preset(), 1);
}

TEST_F(DeviceQueries, ActivePresetIgnoresFramesOfAnotherCommandOrName) {
    device.set_responder([](const sim::Frame& frame) -> std::optional<sim::Replies> {
        if (frame.command != sim::READ_FILE)
            return std::nullopt;
        return sim::Replies{
            sim::encode(sim::Frame::with_text(sim::MESSAGE, frame.name, "3")),
            sim::encode(sim::Frame::with_text(sim::ANSWER, "/tmp/hw_type", "4")),
        };
    });
    EXPECT_EQ(get_active_preset(), 1);
}

TEST_F(DeviceQueries, HardwareTypeNeedsOnlyALeadingOne) {
    EXPECT_EQ(type_for("1"), HW_TYPE_WITHOUT_ACCU);
    EXPECT_EQ(type_for("1\n"), HW_TYPE_WITHOUT_ACCU);
    EXPECT_EQ(type_for("1x"), HW_TYPE_WITHOUT_ACCU);
    EXPECT_EQ(type_for(" +1"), HW_TYPE_WITHOUT_ACCU);
    EXPECT_EQ(type_for("0"), HW_TYPE_WITH_ACCU);
    EXPECT_EQ(type_for("2"), HW_TYPE_WITH_ACCU);
    EXPECT_EQ(type_for("x"), HW_TYPE_WITH_ACCU);
    EXPECT_EQ(type_for(""), HW_TYPE_WITH_ACCU);
    EXPECT_EQ(type_for("18446744073709551617"), HW_TYPE_WITH_ACCU);
}

TEST_F(DeviceQueries, HardwareTypeWithoutAnswerHasAnAccu) {
    device.remove_file(HW_TYPE_FILE);
    EXPECT_EQ(get_hw_type(), HW_TYPE_WITH_ACCU);
}

TEST_F(DeviceQueries, PresetSwitchRunsTheDeviceScript) {
    set_active_preset(7);
    const std::vector<sim::Frame> frames = device.frames();
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].command, static_cast<uint32_t>(sim::EXECUTE));
    EXPECT_EQ(frames[0].name, "SETPRESET");
    EXPECT_EQ(frames[0].kind, 1u);
    EXPECT_EQ(frames[0].text, "/tarvik/scripts/set_preset 7");
    EXPECT_EQ(get_active_preset(), 7);
}
