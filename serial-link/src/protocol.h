// Command frames exchanged with the device and the loopback handshake.
#pragma once

#include <cstdint>
#include <string>

// One frame on the wire: exactly 444 bytes, the two 32-bit fields (and a number payload)
// big-endian. In memory every frame is kept in host byte order.
struct link_frame {
    uint32_t command;
    char name[256];
    uint32_t payload_kind; // PAYLOAD_NUMBER, anything else is text
    union {
        int32_t number;
        char text[180];
    } payload;
};
static_assert(sizeof(link_frame) == 444, "a frame is 444 bytes on the wire");

enum : uint32_t {
    CMD_WRITE_FILE = 0,
    CMD_READ_FILE = 1,
    CMD_ANSWER = 2,
    CMD_LOOPBACK = 4,
    CMD_LOOPBACK_WAIT = 5,
    CMD_MESSAGE = 6,
    CMD_EXECUTE = 17,
    CMD_NONE = 18, // placeholder in a receive frame, never sent
};

enum : uint32_t {
    PAYLOAD_NUMBER = 0,
    PAYLOAD_TEXT = 1,
};

// The link's permission level: 6 without a proven link, 5 from a connect handshake on.
extern int auth_level;

// A frame that cannot be written within this time fails like a short write. A device that
// takes bytes drains a frame in well under a millisecond.
constexpr int SEND_TIMEOUT_MS = 1000;
// The handshake fails when the device has not echoed the offered number within this time,
// however often it asked to wait or echoed another number. A working device echoes at once.
constexpr int HANDSHAKE_TIMEOUT_MS = 5000;

// Whether the open port has reported an error (the device is gone, not merely silent). Set
// by sending and receiving; from then on nothing is written to or read from the port until
// open_port or close_port clears it. Without an open port, sending and receiving fail at once
// and leave it alone, so that a later link does not start out as gone.
bool link_gone();
// The device stopped answering, the handshake included: the open port counts as gone from now
// on, as after a port error. Does nothing while no port is open.
void give_up_link();

int send_command(const link_frame* frame);
int recv_command(link_frame* frame);
int recv_command_safe(link_frame* frame, const char* name, int attempts);
int recv_command_safer(link_frame* frame, uint32_t command, const char* name, int attempts);
int establish_link();

// How a request's answer is awaited.
enum T_ANSWER_WAIT {
    WAIT_BY_NAME,        // any frame of the request's name
    WAIT_BY_NAME_ANSWER, // a frame of the request's name, which must then be CMD_ANSWER
    WAIT_FOR_ANSWER,     // CMD_ANSWER of the request's name; other frames are passed over
};

// Sends a request with a text payload and waits for its answer; 1 when it came. The caller
// holds the port lock around it.
int request_frame(link_frame* answer, uint32_t command, const char* name, const char* text,
                  T_ANSWER_WAIT wait, int attempts);

// Frame helpers shared by every exchange. They never read or write outside the frame:
// texts are cut to fit with their NUL, and received texts are read only up to their
// first NUL or the end of their field.
void frame_init(link_frame* frame, uint32_t command, const char* name);
void frame_set_text(link_frame* frame, const char* text);
std::string frame_name(const link_frame* frame);
std::string frame_text(const link_frame* frame);
