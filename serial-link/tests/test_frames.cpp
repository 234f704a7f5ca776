// Sending, receiving and waiting for frames over a pseudo-terminal, against the simulated
// device (which encodes and decodes the wire format on its own).
#include "protocol.h"
#include "sim_testing.h"

#include <cstring>
#include <fcntl.h>

namespace {

using sim::capture_stdout;
using sim::encode;
using sim::Frame;

const std::string SILENCE_LINE =
    "serial_link::protocol::recv_command 444 bytes expected, 0 bytes read\n";

link_frame request(uint32_t command, const std::string& name, const std::string& text = "") {
    link_frame frame;
    frame_init(&frame, command, name.c_str());
    frame_set_text(&frame, text.c_str());
    return frame;
}

// Reads of `name` get these frames instead of the file.
sim::Responder answer_reads_of(const std::string& name, const std::vector<Frame>& replies) {
    return [name, replies](const Frame& frame) -> std::optional<sim::Replies> {
        if (frame.command != sim::READ_FILE || frame.name != name)
            return std::nullopt;
        sim::Replies bytes;
        for (const Frame& reply : replies)
            bytes.push_back(encode(reply));
        return bytes;
    };
}

class Frames : public sim::LinkTest {
  protected:
    void send_request(uint32_t command, const std::string& name, const std::string& text = "") {
        const link_frame frame = request(command, name, text);
        ASSERT_EQ(send_command(&frame), 1);
    }

    link_frame got;
};

TEST_F(Frames, SentFieldsAreBigEndianAndOnlyANumberPayloadIsSwapped) {
    link_frame number = request(CMD_LOOPBACK, "LOOPBACKTEST");
    number.payload_kind = PAYLOAD_NUMBER;
    number.payload.number = 0x01020304;
    // Text payload bytes that would look like a number; any kind but 0 is text.
    link_frame text = request(CMD_WRITE_FILE, "/tarvik/settings/1/mic_label", "\x01\x02\x03\x04");
    text.payload_kind = 7;
    const link_frame before = text;

    ASSERT_EQ(send_command(&number), 1);
    ASSERT_EQ(send_command(&text), 1);
    EXPECT_EQ(std::memcmp(&before, &text, sizeof(text)), 0) << "the caller's frame changed";

    ASSERT_TRUE(device.wait_for_frames(2, 2000));
    const std::vector<Frame> frames = device.frames();
    EXPECT_EQ(frames[0].raw.substr(0, 4), std::string("\0\0\0\x04", 4));
    EXPECT_EQ(frames[0].raw.substr(260, 4), std::string("\0\0\0\0", 4));
    EXPECT_EQ(frames[0].raw.substr(264, 4), "\x01\x02\x03\x04");
    EXPECT_EQ(frames[0].name, "LOOPBACKTEST");
    EXPECT_EQ(frames[1].raw.substr(0, 4), std::string("\0\0\0\0", 4));
    EXPECT_EQ(frames[1].raw.substr(260, 4), std::string("\0\0\0\x07", 4));
    EXPECT_EQ(frames[1].raw.substr(264, 5), std::string("\x01\x02\x03\x04\0", 5));
    EXPECT_EQ(frames[1].name, "/tarvik/settings/1/mic_label");
}

TEST_F(Frames, ReceivedNumberIsSwappedToHostOrderButTextIsNot) {
    device.send(encode(Frame::with_number(CMD_LOOPBACK, "LOOPBACKTEST", 0x01020304)));
    Frame text = Frame::with_text(CMD_ANSWER, "/x", "\x01\x02\x03\x04");
    text.kind = 0x01000000; // text too, whatever its byte order would suggest
    device.send(encode(text));

    ASSERT_EQ(recv_command(&got), 1);
    EXPECT_EQ(got.command, CMD_LOOPBACK);
    EXPECT_EQ(got.payload_kind, PAYLOAD_NUMBER);
    EXPECT_EQ(got.payload.number, 0x01020304);
    ASSERT_EQ(recv_command(&got), 1);
    EXPECT_EQ(got.command, CMD_ANSWER);
    EXPECT_EQ(got.payload_kind, 0x01000000u);
    EXPECT_EQ(frame_text(&got), "\x01\x02\x03\x04");
}

// The device splits every other reply into 64-byte pieces, so both kinds of arrival occur.
TEST_F(Frames, TextsSurviveTheRoundTripWholeOrInPieces) {
    const std::string texts[] = {"a\r\nb\rc\n", std::string(179, 'x'), "\x03\x11\x13\x7f\xe4\xdf",
                                 ""};
    int n = 0;
    for (const std::string& text : texts) {
        SCOPED_TRACE(n);
        const std::string path = "/tmp/file" + std::to_string(n++);
        send_request(CMD_WRITE_FILE, path, text);
        ASSERT_EQ(recv_command_safer(&got, CMD_ANSWER, path.c_str(), 10), 1);
        EXPECT_EQ(device.file(path), text);
        send_request(CMD_READ_FILE, path);
        ASSERT_EQ(recv_command_safer(&got, CMD_ANSWER, path.c_str(), 10), 1);
        EXPECT_EQ(frame_text(&got), text);
    }
}

TEST_F(Frames, PartialFrameIsDroppedAndTheNextReceiveStartsAtOffsetZero) {
    device.send(encode(Frame::with_text(CMD_ANSWER, "/first", "lost")).substr(0, 200));
    const std::string out = capture_stdout([&] { EXPECT_EQ(recv_command(&got), 0); });
    EXPECT_EQ(out, "serial_link::protocol::recv_command 444 bytes expected, 200 bytes read\n");

    device.send(encode(Frame::with_text(CMD_ANSWER, "/second", "kept")));
    ASSERT_EQ(recv_command(&got), 1);
    EXPECT_EQ(got.command, CMD_ANSWER);
    EXPECT_EQ(frame_name(&got), "/second");
    EXPECT_EQ(frame_text(&got), "kept");
}

TEST_F(Frames, EveryAttemptIsOneReceiveAndSaferMarksTheFrameFirst) {
    got.command = CMD_ANSWER;
    std::strcpy(got.name, "/x");
    const std::string out =
        capture_stdout([&] { EXPECT_EQ(recv_command_safer(&got, CMD_ANSWER, "/x", 2), 0); });
    EXPECT_EQ(out, SILENCE_LINE + SILENCE_LINE);
    EXPECT_EQ(got.command, CMD_NONE);
}

TEST_F(Frames, NoAttemptsMeansNoRead) {
    device.send(encode(Frame::with_text(CMD_ANSWER, "/x", "waiting")));
    const std::string out = capture_stdout([&] {
        EXPECT_EQ(recv_command_safe(&got, "/x", 0), 0);
        EXPECT_EQ(recv_command_safe(&got, "/x", -1), 0);
        EXPECT_EQ(recv_command_safer(&got, CMD_ANSWER, "/x", 0), 0);
        EXPECT_EQ(recv_command_safer(&got, CMD_ANSWER, "/x", -5), 0);
    });
    EXPECT_EQ(out, "");
    ASSERT_EQ(recv_command(&got), 1) << "the waiting frame was consumed";
    EXPECT_EQ(frame_text(&got), "waiting");
}

TEST_F(Frames, NameWithoutNulMatchesNothing) {
    const std::string full(256, 'A');
    const std::string longest(255, 'A');
    Frame unterminated = Frame::with_text(CMD_ANSWER, full, std::string(180, 'T'));

    device.send(encode(unterminated));
    EXPECT_EQ(recv_command_safe(&got, full.c_str(), 1), 0);
    EXPECT_EQ(frame_name(&got), full);
    EXPECT_EQ(frame_text(&got), std::string(180, 'T'));
    device.send(encode(unterminated));
    EXPECT_EQ(recv_command_safe(&got, longest.c_str(), 1), 0);
    device.send(encode(unterminated));
    EXPECT_EQ(recv_command_safer(&got, CMD_ANSWER, longest.c_str(), 1), 0);

    device.send(encode(Frame::with_text(CMD_ANSWER, longest, "")));
    EXPECT_EQ(recv_command_safe(&got, longest.c_str(), 1), 1);
}

// A frame of the right name but another command: safe accepts it, safer lets it cost an
// attempt and takes the answer behind it.
TEST_F(Frames, SafeTakesAnyCommandOfTheNameSaferOnlyTheExpectedOne) {
    const std::string path = "/tarvik/settings/current_preset";
    device.set_responder(answer_reads_of(path, {Frame::with_number(CMD_LOOPBACK_WAIT, path, 1),
                                                Frame::with_text(CMD_ANSWER, path, "3")}));

    send_request(CMD_READ_FILE, path);
    ASSERT_EQ(recv_command_safe(&got, path.c_str(), 1), 1);
    EXPECT_EQ(got.command, CMD_LOOPBACK_WAIT);
    ASSERT_EQ(recv_command(&got), 1);

    send_request(CMD_READ_FILE, path);
    EXPECT_EQ(recv_command_safer(&got, CMD_ANSWER, path.c_str(), 1), 0);
    ASSERT_EQ(recv_command(&got), 1);

    send_request(CMD_READ_FILE, path);
    ASSERT_EQ(recv_command_safer(&got, CMD_ANSWER, path.c_str(), 2), 1);
    EXPECT_EQ(got.command, CMD_ANSWER);
    EXPECT_EQ(frame_text(&got), "3");
}

// The answer to an earlier request arrives first: it is dropped and costs one attempt.
TEST_F(Frames, LateAnswerOfAnotherNameCostsOneAttempt) {
    device.set_file("/tmp/power_accu", "87");
    device.set_file("/tmp/power_batt", "64");
    device.set_responder(sim::late_answers(device));

    send_request(CMD_READ_FILE, "/tmp/power_accu"); // its answer comes with the next request
    send_request(CMD_READ_FILE, "/tmp/power_batt");
    ASSERT_TRUE(device.wait_for_frames(2, 2000));
    device.set_responder(answer_reads_of("/tmp/power_batt",
                                         {Frame::with_text(CMD_ANSWER, "/tmp/power_batt", "64")}));
    send_request(CMD_READ_FILE, "/tmp/power_batt");
    ASSERT_TRUE(device.wait_for_frames(3, 2000));

    // Waiting now: the late "/tmp/power_accu" answer, then the one for "/tmp/power_batt".
    EXPECT_EQ(recv_command_safer(&got, CMD_ANSWER, "/tmp/power_batt", 1), 0);
    EXPECT_EQ(frame_name(&got), "/tmp/power_accu");
    ASSERT_EQ(recv_command_safe(&got, "/tmp/power_batt", 1), 1);
    EXPECT_EQ(frame_text(&got), "64");
}

TEST(SendCommand, FailedWriteIsReported) {
    // A port the write fails on: open, but for reading only.
    serial_device = open("/dev/null", O_RDONLY);
    ASSERT_GE(serial_device, 0);
    const link_frame frame = request(CMD_READ_FILE, "/tmp/hw_type");
    const std::string out = capture_stdout([&] { EXPECT_EQ(send_command(&frame), 0); });
    EXPECT_EQ(out, "serial_link::protocol::send_command 444 bytes expected, -1 bytes written\n");
    close_port();
}

} // namespace
