// The loopback handshake against the simulated device. This program replaces the C library's
// rand() so that each test chooses the number the link offers.
#include "protocol.h"
#include "sim_testing.h"

#include <chrono>

namespace {

int offered_number = 12345;

} // namespace

extern "C" int rand() noexcept {
    return offered_number;
}

namespace {

using sim::capture_stdout;
using sim::Frame;

const char FINISHED_TEXT[] = "Loopback test passed, master and slave synced. Link established.\n";

class Handshake : public sim::LinkTest {
  protected:
    void SetUp() override {
        sim::LinkTest::SetUp();
        auth_level = 6;
        offered_number = 12345;
    }

    // The handshake's result, with what it printed.
    int run(std::string* out = nullptr) {
        int result = -1;
        const std::string printed = capture_stdout([&] { result = establish_link(); });
        if (out)
            *out = printed;
        return result;
    }

    // The loopback frames the device received, each checked to carry the offered number.
    size_t loopback_frames_sent() {
        size_t count = 0;
        for (const Frame& frame : device.frames()) {
            if (frame.command != sim::LOOPBACK)
                continue;
            ++count;
            EXPECT_EQ(frame.name, "LOOPBACKTEST");
            EXPECT_EQ(frame.kind, 0u);
            EXPECT_EQ(frame.number, offered_number);
        }
        return count;
    }

    // The frames end with the closing message, answered by the device.
    void expect_finished(const std::vector<Frame>& frames) {
        ASSERT_FALSE(frames.empty());
        const Frame& last = frames.back();
        EXPECT_EQ(last.command, sim::MESSAGE);
        EXPECT_EQ(last.name, "LOOPBACK_FINISHED");
        EXPECT_EQ(last.kind, 1u);
        EXPECT_EQ(last.text, FINISHED_TEXT);
        EXPECT_EQ(last.raw[264 + sizeof(FINISHED_TEXT) - 1], '\0');
    }
};

TEST_F(Handshake, EchoedNumberEstablishesTheLink) {
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(auth_level, 5);
    const std::vector<Frame> frames = device.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].raw.substr(264, 4), std::string("\0\0\x30\x39", 4)); // 12345
    EXPECT_EQ(loopback_frames_sent(), 1u);
    expect_finished(frames);
}

// Drawn 0: nothing is awaited, so even a device that ignores the loopback frame passes.
TEST_F(Handshake, NumberZeroGoesStraightToTheClosingMessage) {
    offered_number = 0;
    device.set_responder([](const Frame& frame) -> std::optional<sim::Replies> {
        if (frame.command == sim::LOOPBACK)
            return sim::Replies{};
        return std::nullopt;
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(auth_level, 5);
    const std::vector<Frame> frames = device.frames();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(loopback_frames_sent(), 1u);
    expect_finished(frames);
}

TEST_F(Handshake, EachWaitRequestGetsTheLoopbackFrameAgain) {
    device.set_loopback_waits(3);
    EXPECT_EQ(run(), 1);
    EXPECT_EQ(loopback_frames_sent(), 4u);
    expect_finished(device.frames());
}

TEST_F(Handshake, WrongEchoIsReportedAndTheFrameSentAgain) {
    device.set_wrong_echoes(1);
    std::string out;
    EXPECT_EQ(run(&out), 1);
    EXPECT_EQ(out, "\nLoopback test: Got " + std::to_string(~offered_number) + ", expected " +
                       std::to_string(offered_number) + "\n");
    EXPECT_EQ(loopback_frames_sent(), 2u);
    expect_finished(device.frames());
}

// Another command under the loopback name only prints; the echo behind it still counts.
TEST_F(Handshake, UnexpectedCommandIsReportedAndNothingSent) {
    device.set_responder([this](const Frame& frame) -> std::optional<sim::Replies> {
        if (frame.command != sim::LOOPBACK)
            return std::nullopt;
        sim::Replies replies{sim::encode(Frame::with_text(sim::ANSWER, "LOOPBACKTEST", ""))};
        for (const std::string& echo : device.default_replies(frame))
            replies.push_back(echo);
        return replies;
    });
    std::string out;
    EXPECT_EQ(run(&out), 1);
    EXPECT_EQ(out, "something's totally wrong here!\nrecieved command: 2\n"
                   "device filename: LOOPBACKTEST\n");
    EXPECT_EQ(loopback_frames_sent(), 1u);
    expect_finished(device.frames());
}

TEST_F(Handshake, SilentDeviceFailsAfterTenAttempts) {
    device.set_silent();
    std::string out;
    EXPECT_EQ(run(&out), 0);
    EXPECT_EQ(auth_level, 5);
    std::string ten_silences;
    for (int i = 0; i < 10; ++i)
        ten_silences += "serial_link::protocol::recv_command 444 bytes expected, 0 bytes read\n";
    EXPECT_EQ(out, ten_silences);
    const std::vector<Frame> frames = device.frames();
    ASSERT_EQ(frames.size(), 1u) << "nothing more is sent after a failed wait";
    EXPECT_EQ(loopback_frames_sent(), 1u);
}

// The closing message is awaited for 20 attempts and its outcome ignored: a device that
// answers it only with frames of other names still passes, and the 21st frame stays unread.
TEST_F(Handshake, ClosingMessageWaitsTwentyAttemptsAndIgnoresTheOutcome) {
    device.set_responder([](const Frame& frame) -> std::optional<sim::Replies> {
        if (frame.command != sim::MESSAGE)
            return std::nullopt;
        sim::Replies replies(20, sim::encode(Frame::with_text(sim::ANSWER, "OTHER", "")));
        replies.push_back(sim::encode(Frame::with_text(sim::ANSWER, "REMAINS", "")));
        return replies;
    });
    EXPECT_EQ(run(), 1);
    link_frame left;
    ASSERT_EQ(recv_command(&left), 1);
    EXPECT_EQ(frame_name(&left), "REMAINS");
}

} // namespace
