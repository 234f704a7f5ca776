// Feeds arbitrary byte streams from "the device" through the receive functions, the waits
// and the handshake. The stream comes through a pipe whose writing end is closed, so every
// read returns what is there and running dry is a hang-up: the rest of the input sees a
// gone link.
//
// Input: byte 0 chooses four operations (two bits each), byte 1 the name to wait for and the
// number of attempts; the rest is what the device sends.
#include "protocol.h"
#include "utils.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

const char* const NAMES[] = {"LOOPBACKTEST", "LOOPBACK_FINISHED", "/tarvik/settings/1/mic_label",
                             "/tmp/datestring"};

// Reads every byte the frame helpers expose, so the sanitizers see each access.
unsigned touch(const link_frame& frame) {
    unsigned sum = frame.command + frame.payload_kind;
    for (char c : frame_name(&frame))
        sum += static_cast<unsigned char>(c);
    for (char c : frame_text(&frame))
        sum += static_cast<unsigned char>(c);
    return sum;
}

void run(int operation, const char* name, int attempts) {
    link_frame frame;
    switch (operation) {
    case 0:
        if (recv_command(&frame))
            touch(frame);
        break;
    case 1:
        if (recv_command_safe(&frame, name, attempts))
            touch(frame);
        break;
    case 2:
        if (recv_command_safer(&frame, CMD_ANSWER, name, attempts))
            touch(frame);
        break;
    default:
        establish_link();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The link reports on standard output; keep the run fast and quiet.
    if (!std::freopen("/dev/null", "w", stdout))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2 || size > 60000) // stays within one pipe buffer
        return 0;
    int fds[2];
    if (pipe(fds) != 0)
        std::abort();
    const size_t stream = size - 2;
    if (stream > 0 && write(fds[1], data + 2, stream) != static_cast<ssize_t>(stream))
        std::abort();
    close(fds[1]);

    serial_device = fds[0];
    std::srand(1); // the same offered number for every input
    const char* name = NAMES[data[1] & 3];
    const int attempts = (data[1] >> 2) % 16 - 2; // includes 0 and negative counts
    for (int i = 0; i < 4; ++i)
        run((data[0] >> (2 * i)) & 3, name, attempts);

    close_port(); // also forgets the hang-up that the closed pipe reports
    return 0;
}
