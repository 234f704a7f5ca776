// A device that vanishes, stops taking bytes, or never echoes the handshake right: every
// such wait ends within its bound, against the simulated device.
#include "protocol.h"
#include "sim_testing.h"

#include <chrono>
#include <climits>
#include <memory>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;
using sim::capture_stdout;

const std::string SILENCE_LINE =
    "serial_link::protocol::recv_command 444 bytes expected, 0 bytes read\n";

class LinkFaults : public sim::LinkTest {
  protected:
    std::unique_ptr<sim::Watchdog> watchdog;
    void SetUp() override {
        sim::LinkTest::SetUp();
        watchdog = std::make_unique<sim::Watchdog>(30);
    }
    void TearDown() override {
        watchdog.reset();
        sim::LinkTest::TearDown();
    }
    static link_frame read_request(const char* path) {
        link_frame frame;
        frame_init(&frame, CMD_READ_FILE, path);
        return frame;
    }
    static long elapsed_ms(Clock::time_point start) {
        return static_cast<long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    }
};

// Unplugged while the program waits, or before it reads: one line, then nothing touches the
// port until it is opened again.
TEST_F(LinkFaults, VanishedDeviceEndsTheLinkWithOneLine) {
    device.set_silent();
    device.set_hang_up_after(1);
    const link_frame request = read_request("/tmp/hw_type");
    link_frame answer;
    const std::string waited = capture_stdout([&] {
        ASSERT_EQ(send_command(&request), 1);
        EXPECT_EQ(recv_command_safe(&answer, "/tmp/hw_type", 10), 0);
        EXPECT_TRUE(link_gone());
        EXPECT_EQ(send_command(&request), 0);
        EXPECT_EQ(establish_link(), 0);
    });
    EXPECT_EQ(waited, SILENCE_LINE);
    EXPECT_EQ(device.frames().size(), 1u);

    // A second device, gone before the program reads: the hang-up tells it from silence.
    sim::SimDevice other;
    other.list_as_port();
    ASSERT_EQ(get_num_ports(), 1);
    ASSERT_GT(open_port(0), 0);
    EXPECT_FALSE(link_gone());
    other.set_hang_up_after(0);
    sim::wait_for_hang_up();
    const std::string read = capture_stdout([&] {
        EXPECT_EQ(recv_command_safe(&answer, "/tmp/hw_type", 10), 0);
        EXPECT_TRUE(link_gone());
        EXPECT_EQ(send_command(&request), 0);
    });
    EXPECT_EQ(read, SILENCE_LINE);
    close_port();
    EXPECT_FALSE(link_gone());
}

// After a lost link the program may still try an exchange: on a closed port it fails at once,
// prints nothing, and does not mark the next link as gone. A link given up sends nothing more.
TEST_F(LinkFaults, ClosedOrGivenUpPortIsNeverTouched) {
    device.set_file("/tmp/hw_type", "1");
    const link_frame request = read_request("/tmp/hw_type");
    link_frame answer;
    close_port();
    give_up_link();
    const Clock::time_point start = Clock::now();
    const std::string out = capture_stdout([&] {
        EXPECT_EQ(send_command(&request), 0);
        EXPECT_EQ(recv_command_safer(&answer, CMD_ANSWER, "/tmp/hw_type", 10), 0);
        EXPECT_EQ(establish_link(), 0);
    });
    EXPECT_LT(elapsed_ms(start), 100);
    EXPECT_EQ(out, "");
    EXPECT_FALSE(link_gone());

    ASSERT_GT(open_port(0), 0);
    EXPECT_FALSE(link_gone());
    ASSERT_EQ(send_command(&request), 1);
    EXPECT_EQ(recv_command_safer(&answer, CMD_ANSWER, "/tmp/hw_type", 10), 1);
    give_up_link();
    EXPECT_TRUE(link_gone());
    EXPECT_EQ(capture_stdout([&] { EXPECT_EQ(send_command(&request), 0); }), "");
    EXPECT_EQ(device.frames().size(), 1u);
}

// Writes block once the device stops reading: the frame that does not fit fails after the
// bound like a short write, and the link is not taken for gone.
TEST_F(LinkFaults, WriteToADeviceThatStopsReadingFailsAfterItsBound) {
    device.stop_reading();
    const link_frame request = read_request("/tmp/hw_type");
    int sent = 0;
    long failedAfter = 0;
    const std::string out = capture_stdout([&] {
        for (; sent < 10000; ++sent) {
            const Clock::time_point start = Clock::now();
            if (!send_command(&request)) {
                failedAfter = elapsed_ms(start);
                break;
            }
        }
    });
    std::printf("%d frames written before the port was full; the next failed after %ld ms\n", sent,
                failedAfter);
    ASSERT_LT(sent, 10000);
    EXPECT_GE(failedAfter, SEND_TIMEOUT_MS);
    EXPECT_EQ(out.rfind("serial_link::protocol::send_command 444 bytes expected, ", 0), 0u) << out;
    EXPECT_EQ(out.find('\n'), out.size() - 1) << out;
    EXPECT_FALSE(link_gone());
}

// A device that keeps asking to wait, or keeps echoing another number, does not hold the
// handshake beyond its bound.
TEST_F(LinkFaults, HandshakeEndsWhileTheDeviceNeverEchoesRight) {
    for (const bool wrongEchoes : {false, true}) {
        if (wrongEchoes)
            device.set_wrong_echoes(INT_MAX);
        else
            device.set_loopback_waits(INT_MAX);
        device.clear_frames();
        const Clock::time_point start = Clock::now();
        int result = -1;
        const std::string out = capture_stdout([&] { result = establish_link(); });
        const long took = elapsed_ms(start);
        std::printf("%s: handshake failed after %ld ms and %zu frames\n",
                    wrongEchoes ? "wrong echoes" : "wait requests", took, device.frames().size());
        EXPECT_EQ(result, 0);
        EXPECT_GE(took, HANDSHAKE_TIMEOUT_MS);
        EXPECT_GT(device.frames().size(), 2u);
        for (const sim::Frame& frame : device.frames())
            EXPECT_EQ(frame.command, sim::LOOPBACK); // never the closing message
        const std::string last = "within " + std::to_string(HANDSHAKE_TIMEOUT_MS) + " ms\n";
        EXPECT_EQ(out.substr(out.size() - std::min(out.size(), last.size())), last);
        EXPECT_FALSE(link_gone());
        device.set_loopback_waits(0);
        device.set_wrong_echoes(0);
        // The device is not stopped: drain its last answer before the next round.
        link_frame left;
        capture_stdout([&] { recv_command_safe(&left, "no such name", 2); });
    }
}

} // namespace
