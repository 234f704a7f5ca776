#include "protocol.h"

#include "utils.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

int auth_level = 6;

namespace {

constexpr long FRAME_SIZE = sizeof(link_frame);

bool is_big_endian_host() {
    const uint32_t probe = 1;
    unsigned char first;
    std::memcpy(&first, &probe, 1);
    return first == 0;
}

uint32_t to_from_wire(uint32_t value) {
    return is_big_endian_host() ? value : reverse_bytes(value);
}

// A received name matches only as NUL-terminated text inside its 256 bytes.
bool name_equals(const link_frame* frame, const char* expected) {
    const void* end = std::memchr(frame->name, '\0', sizeof(frame->name));
    return end != nullptr && std::strcmp(frame->name, expected) == 0;
}

void copy_bounded(char* field, size_t size, const char* text) {
    const size_t length = strnlen(text, size - 1);
    std::memcpy(field, text, length);
    std::memset(field + length, 0, size - length);
}

std::string read_bounded(const char* field, size_t size) {
    return std::string(field, strnlen(field, size));
}

using Clock = std::chrono::steady_clock;

int milliseconds_left(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// A mere timeout or interruption leaves the port usable; any other error means it is gone.
void note_port_error(ssize_t result) {
    if (result < 0 && errno != EAGAIN && errno != EINTR)
        serial_device_gone = true;
}

// A read that returned nothing before its timeout: silence, unless the port was hung up.
void note_hang_up() {
    pollfd port{serial_device, POLLIN, 0};
    if (poll(&port, 1, 0) > 0 && (port.revents & (POLLHUP | POLLERR | POLLNVAL)))
        serial_device_gone = true;
}

// Writes all of the bytes, as a blocking write does, but gives up after SEND_TIMEOUT_MS.
// The count written, or -1 on an error.
ssize_t write_bounded(const char* bytes, size_t size) {
    const int flags = fcntl(serial_device, F_GETFL);
    if (flags == -1 || fcntl(serial_device, F_SETFL, flags | O_NONBLOCK) == -1)
        return -1;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(SEND_TIMEOUT_MS);
    size_t done = 0;
    while (done < size) {
        const ssize_t written = write(serial_device, bytes + done, size - done);
        if (written > 0) {
            done += static_cast<size_t>(written);
            continue;
        }
        note_port_error(written);
        const int left = milliseconds_left(deadline);
        if (serial_device_gone || left == 0)
            break;
        pollfd port{serial_device, POLLOUT, 0};
        poll(&port, 1, left);
    }
    const int error = errno;
    fcntl(serial_device, F_SETFL, flags);
    errno = error;
    return serial_device_gone ? -1 : static_cast<ssize_t>(done);
}

} // namespace

void frame_init(link_frame* frame, uint32_t command, const char* name) {
    std::memset(frame, 0, sizeof(*frame));
    frame->command = command;
    frame->payload_kind = PAYLOAD_TEXT;
    copy_bounded(frame->name, sizeof(frame->name), name);
}

void frame_set_text(link_frame* frame, const char* text) {
    frame->payload_kind = PAYLOAD_TEXT;
    copy_bounded(frame->payload.text, sizeof(frame->payload.text), text);
}

std::string frame_name(const link_frame* frame) {
    return read_bounded(frame->name, sizeof(frame->name));
}

std::string frame_text(const link_frame* frame) {
    return read_bounded(frame->payload.text, sizeof(frame->payload.text));
}

bool link_gone() {
    return serial_device_gone;
}

void give_up_link() {
    if (serial_device >= 0)
        serial_device_gone = true;
}

namespace {

// Only an open port that has not failed is written to or read from.
bool port_usable() {
    return serial_device >= 0 && !serial_device_gone;
}

} // namespace

int send_command(const link_frame* frame) {
    link_frame wire;
    std::memcpy(&wire, frame, sizeof(wire));
    wire.payload_kind = to_from_wire(frame->payload_kind);
    wire.command = to_from_wire(frame->command);
    if (frame->payload_kind == PAYLOAD_NUMBER)
        wire.payload.number =
            static_cast<int32_t>(to_from_wire(static_cast<uint32_t>(frame->payload.number)));
    if (!port_usable())
        return 0;
    const ssize_t written = write_bounded(reinterpret_cast<const char*>(&wire), sizeof(wire));
    note_port_error(written);
    if (written == FRAME_SIZE)
        return 1;
    std::printf("serial_link::protocol::send_command %ld bytes expected, %d bytes written\n",
                FRAME_SIZE, static_cast<int>(written));
    return 0;
}

int recv_command(link_frame* frame) {
    if (!port_usable())
        return 0;
    char* bytes = reinterpret_cast<char*>(frame);
    long count = 0;
    ssize_t got;
    do {
        got = read(serial_device, bytes + count, FRAME_SIZE - count);
        if (got > 0)
            count += got;
    } while (got > 0 && count < FRAME_SIZE);
    if (got == 0)
        note_hang_up();
    else
        note_port_error(got);
    if (count != FRAME_SIZE) {
        std::printf("serial_link::protocol::recv_command %ld bytes expected, %d bytes read\n",
                    FRAME_SIZE, static_cast<int>(count));
        return 0;
    }
    frame->payload_kind = to_from_wire(frame->payload_kind);
    frame->command = to_from_wire(frame->command);
    if (frame->payload_kind == PAYLOAD_NUMBER)
        frame->payload.number =
            static_cast<int32_t>(to_from_wire(static_cast<uint32_t>(frame->payload.number)));
    return 1;
}

int recv_command_safe(link_frame* frame, const char* name, int attempts) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (recv_command(frame) && name_equals(frame, name))
            return 1;
    }
    return 0;
}

int recv_command_safer(link_frame* frame, uint32_t command, const char* name, int attempts) {
    for (int attempt = 0; attempt < attempts; ++attempt) {
        frame->command = CMD_NONE;
        if (recv_command(frame) && frame->command == command && name_equals(frame, name))
            return 1;
    }
    return 0;
}

int request_frame(link_frame* answer, uint32_t command, const char* name, const char* text,
                  T_ANSWER_WAIT wait, int attempts) {
    link_frame request;
    frame_init(&request, command, name);
    frame_set_text(&request, text);
    send_command(&request);
    frame_init(answer, CMD_NONE, "");
    switch (wait) {
    case WAIT_BY_NAME:
        return recv_command_safe(answer, name, attempts);
    case WAIT_BY_NAME_ANSWER:
        return recv_command_safe(answer, name, attempts) && answer->command == CMD_ANSWER;
    default:
        return recv_command_safer(answer, CMD_ANSWER, name, attempts);
    }
}

int establish_link() {
    const int32_t r = std::rand();
    auth_level = 5;

    link_frame transmit;
    frame_init(&transmit, CMD_LOOPBACK, "LOOPBACKTEST");
    transmit.payload_kind = PAYLOAD_NUMBER;
    transmit.payload.number = r;
    send_command(&transmit);

    link_frame receive;
    std::memset(&receive, 0, sizeof(receive));
    receive.payload.number = 0;

    if (r != 0) {
        const Clock::time_point deadline =
            Clock::now() + std::chrono::milliseconds(HANDSHAKE_TIMEOUT_MS);
        do {
            if (!recv_command_safe(&receive, "LOOPBACKTEST", 10))
                return 0;
            if (receive.payload.number != r && milliseconds_left(deadline) == 0) {
                std::printf("\nLoopback test: no echo of %d within %d ms\n", r,
                            HANDSHAKE_TIMEOUT_MS);
                return 0;
            }
            if (receive.command == CMD_LOOPBACK_WAIT) {
                send_command(&transmit);
            } else if (receive.command == CMD_LOOPBACK) {
                if (receive.payload.number != r) {
                    std::printf("\nLoopback test: Got %d, expected %d\n", receive.payload.number,
                                r);
                    send_command(&transmit);
                }
            } else {
                std::printf("something's totally wrong here!\n");
                std::printf("recieved command: %d\n", static_cast<int>(receive.command));
                std::printf("device filename: %s\n", frame_name(&receive).c_str());
            }
        } while (receive.payload.number != r);
    }

    frame_init(&transmit, CMD_MESSAGE, "LOOPBACK_FINISHED");
    frame_set_text(&transmit, "Loopback test passed, master and slave synced. Link established.\n");
    send_command(&transmit);
    recv_command_safe(&receive, "LOOPBACK_FINISHED", 20);

    std::fflush(stdout);
    return 1;
}
