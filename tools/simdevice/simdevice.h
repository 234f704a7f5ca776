// A simulated recording device served on a pseudo-terminal, for tests and manual runs.
//
// The device side speaks the 444-byte frame format on its own (it does not use the link's
// code), so that byte-order faults on the host side show up. It runs in a background
// thread from construction to destruction.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace sim {

constexpr size_t FRAME_SIZE = 444;
constexpr size_t NAME_SIZE = 256;
constexpr size_t PAYLOAD_SIZE = 180;

// Command codes as they travel on the wire.
enum : uint32_t {
    WRITE_FILE = 0,
    READ_FILE = 1,
    ANSWER = 2,
    LOOPBACK = 4,
    LOOPBACK_WAIT = 5,
    MESSAGE = 6,
    EXECUTE = 17,
};

// One frame, decoded. `number` is meaningful when kind is 0, `text` otherwise.
struct Frame {
    uint32_t command = 0;
    std::string name; // up to its NUL; 256 bytes when the field holds none
    uint32_t kind = 1;
    int32_t number = 0;
    std::string text; // up to its NUL or the end of the payload
    std::string raw;  // the 444 bytes as received (empty for frames built here)

    bool name_terminated() const { return name.size() < NAME_SIZE; }

    static Frame with_text(uint32_t command, const std::string& name, const std::string& text);
    static Frame with_number(uint32_t command, const std::string& name, int32_t number);
};

// The wire form: command and kind big-endian, the number big-endian when kind is 0.
// A name of 256 bytes or more fills the field without a NUL; texts are cut to fit.
std::string encode(const Frame& frame);
Frame decode(const std::string& bytes); // exactly FRAME_SIZE bytes

// Replies to one received frame, each a run of raw bytes (usually encode(frame)).
// std::nullopt leaves the frame to the default answers; an empty list answers nothing.
// Raw bytes allow anything: encode(frame).substr(0, 200) is a partial frame, for instance.
using Replies = std::vector<std::string>;
using Responder = std::function<std::optional<Replies>(const Frame&)>;

class SimDevice {
  public:
    SimDevice();
    ~SimDevice();
    SimDevice(const SimDevice&) = delete;
    SimDevice& operator=(const SimDevice&) = delete;

    // The terminal end that the program opens.
    const std::string& path() const { return path_; }

    // Makes the program's port listing find this device as ttyACM0 (undone on destruction).
    void list_as_port();

    // The device's files.
    void set_file(const std::string& device_path, const std::string& text);
    std::string file(const std::string& device_path) const;
    bool has_file(const std::string& device_path) const;
    void remove_file(const std::string& device_path);

    // Every whole frame received so far, in order.
    std::vector<Frame> frames() const;
    void clear_frames();
    // True once at least n frames have been received, false after the timeout.
    bool wait_for_frames(size_t n, int timeout_ms) const;
    // The command lines of the EXECUTE frames received so far.
    std::vector<std::string> command_lines() const;

    // --- Misbehaviour on purpose ---

    // Answers only the next n frames (all of them when n is negative), then nothing.
    void set_answer_limit(int n);
    void set_silent() { set_answer_limit(0); }
    // Replies to the next k loopback frames with LOOPBACK_WAIT (carrying another number).
    void set_loopback_waits(int k);
    // Echoes a wrong number to the next n loopback frames (after any waits).
    void set_wrong_echoes(int n);
    // Whether a read of a missing file gets an empty answer (default: no answer).
    void set_answer_missing_files(bool answer);
    // Writes replies in pieces of this many bytes with tiny pauses, as USB packets arrive;
    // every other reply is split so that both whole and split frames occur. 0: never split.
    void set_piece_size(size_t bytes);
    // Hangs up once it has handled n more frames (0: now), closing its end as an unplugged
    // device does: the program's port then reports an error.
    void set_hang_up_after(int n);
    // Stops reading what the program sends: its writes block once the terminal is full.
    void stop_reading();
    // Overrides the default answers (see Responder); an empty function restores them.
    void set_responder(Responder responder);

    // What the device answers by default, for responders that build on it.
    Replies default_replies(const Frame& frame);
    // Writes raw bytes to the program now, unasked.
    void send(const std::string& bytes);

  private:
    void serve();
    bool hanging_up() const;
    void handle(const Frame& frame);
    Replies loopback_replies(const Frame& frame);
    Replies execute(const Frame& frame);
    void write_reply(const std::string& bytes);
    bool write_all(const char* data, size_t size);

    std::atomic<int> master_{-1};
    std::string path_;
    std::string port_dir_;
    std::thread thread_;
    std::atomic<bool> stop_{false};

    mutable std::mutex mutex_;
    mutable std::condition_variable received_;
    std::map<std::string, std::string> files_;
    std::vector<Frame> frames_;
    int answer_limit_ = -1;
    int loopback_waits_ = 0;
    int wrong_echoes_ = 0;
    bool answer_missing_ = false;
    size_t piece_size_ = 64;
    size_t replies_written_ = 0;
    int hang_up_after_ = -1;
    bool reading_ = true;
    Responder responder_;

    std::mutex write_mutex_; // keeps replies and send() from interleaving
};

// A device whose answers come late: the replies due to one request are sent in reply to
// the next one (the first request gets none).
Responder late_answers(SimDevice& device);

// A device that takes its time: its default replies to a frame start `delay_ms(frame)`
// milliseconds after the frame came (0: at once).
Responder slow_answers(SimDevice& device, std::function<int(const Frame&)> delay_ms);

} // namespace sim
