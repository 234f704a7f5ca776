// The simulated device itself: its answers, its effects and how it copes with its peer.
#include "protocol.h"
#include "sim_testing.h"

#include <chrono>
#include <regex>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

using sim::Frame;

class Device : public sim::LinkTest {
  protected:
    // One exchange as the program makes it; true when an answer of that name came.
    bool exchange(uint32_t command, const std::string& name, const std::string& text = "",
                  int attempts = 10) {
        link_frame frame;
        frame_init(&frame, command, name.c_str());
        frame_set_text(&frame, text.c_str());
        send_command(&frame);
        return recv_command_safer(&answer, CMD_ANSWER, name.c_str(), attempts) == 1;
    }

    link_frame answer;
};

TEST_F(Device, CommandLinesAreRecordedAndTakeEffect) {
    ASSERT_TRUE(exchange(CMD_EXECUTE, "SETPRESET", "/tarvik/scripts/set_preset 7"));
    EXPECT_EQ(device.file("/tarvik/settings/current_preset"), "7");
    ASSERT_TRUE(exchange(CMD_EXECUTE, "TIMETOTEMP", "date +%Y/%m/%d-%H:%M:%S > /tmp/datestring"));
    ASSERT_TRUE(exchange(CMD_READ_FILE, "/tmp/datestring"));
    EXPECT_TRUE(
        std::regex_match(frame_text(&answer), std::regex(R"(\d{4}/\d\d/\d\d-\d\d:\d\d:\d\d\n)")))
        << frame_text(&answer);
    ASSERT_TRUE(exchange(CMD_EXECUTE, "RUNSCRIPT", "/tarvik/scripts/buffer_on"));
    EXPECT_EQ(device.command_lines(),
              (std::vector<std::string>{"/tarvik/scripts/set_preset 7",
                                        "date +%Y/%m/%d-%H:%M:%S > /tmp/datestring",
                                        "/tarvik/scripts/buffer_on"}));
}

TEST_F(Device, MessagesAreAnsweredUnderTheirName) {
    const std::string path = "/tarvik/settings/0/preset_name";
    EXPECT_TRUE(
        exchange(CMD_MESSAGE, path, "permission denied writing setting preset_name 4, 5\n"));
    EXPECT_FALSE(device.has_file(path));
}

TEST_F(Device, MissingFileIsUnansweredUnlessConfigured) {
    EXPECT_FALSE(exchange(CMD_READ_FILE, "/tmp/hw_type", "", 1));
    device.set_answer_missing_files(true);
    ASSERT_TRUE(exchange(CMD_READ_FILE, "/tmp/hw_type", "", 1));
    EXPECT_EQ(frame_text(&answer), "");
    device.set_file("/tmp/hw_type", "1");
    device.remove_file("/tmp/hw_type");
    device.set_answer_missing_files(false);
    EXPECT_FALSE(exchange(CMD_READ_FILE, "/tmp/hw_type", "", 1));
}

TEST_F(Device, FallsSilentAfterItsAnswerLimitButKeepsRecording) {
    device.set_file("/tmp/power_accu", "50");
    device.set_answer_limit(1);
    EXPECT_TRUE(exchange(CMD_READ_FILE, "/tmp/power_accu", "", 1));
    EXPECT_FALSE(exchange(CMD_WRITE_FILE, "/tmp/power_accu", "99", 1));
    EXPECT_EQ(device.file("/tmp/power_accu"), "50") << "a silent device stores nothing";
    EXPECT_EQ(device.frames().size(), 2u);
    device.set_answer_limit(-1);
    EXPECT_TRUE(exchange(CMD_READ_FILE, "/tmp/power_accu", "", 1));
}

// The program may write a frame in pieces; the device assembles them.
TEST_F(Device, AssemblesAFrameFromPieces) {
    const std::string bytes = sim::encode(Frame::with_text(sim::WRITE_FILE, "/tmp/x", "pieces"));
    for (size_t offset = 0; offset < bytes.size(); offset += 150) {
        const std::string piece = bytes.substr(offset, 150);
        ASSERT_EQ(write(serial_device, piece.data(), piece.size()),
                  static_cast<ssize_t>(piece.size()));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(device.wait_for_frames(1, 2000));
    EXPECT_EQ(device.file("/tmp/x"), "pieces");
}

double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Without a peer the terminal reads as hung up: the device idles rather than spins, drops a
// frame cut off by the hang-up, and serves the next peer.
TEST_F(Device, WaitsQuietlyForTheNextPeer) {
    ASSERT_EQ(write(serial_device, std::string(200, 'x').data(), 200), 200);
    close_port();
    const double before = cpu_seconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_LT(cpu_seconds() - before, 0.1);

    ASSERT_GT(open_port(0), 0);
    device.set_file("/tmp/power_batt", "64");
    ASSERT_TRUE(exchange(CMD_READ_FILE, "/tmp/power_batt"));
    EXPECT_EQ(frame_text(&answer), "64");
    ASSERT_EQ(device.frames().size(), 1u);
    EXPECT_EQ(device.frames()[0].name, "/tmp/power_batt");
}

TEST(FrameCoding, FieldsAreCutToFitAndDecodeBack) {
    Frame frame = Frame::with_text(sim::ANSWER, std::string(300, 'n'), std::string(200, 't'));
    const std::string bytes = sim::encode(frame);
    ASSERT_EQ(bytes.size(), sim::FRAME_SIZE);
    const Frame back = sim::decode(bytes);
    EXPECT_EQ(back.name, std::string(256, 'n'));
    EXPECT_FALSE(back.name_terminated());
    EXPECT_EQ(back.text, std::string(180, 't'));

    const Frame number = sim::decode(sim::encode(Frame::with_number(sim::LOOPBACK, "L", -2)));
    EXPECT_EQ(number.number, -2);
    EXPECT_EQ(number.raw.substr(264, 4), "\xff\xff\xff\xfe");
    EXPECT_TRUE(number.name_terminated());
}

} // namespace
