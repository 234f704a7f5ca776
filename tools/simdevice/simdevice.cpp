#include "simdevice.h"

#include "utils.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr size_t NAME_OFFSET = 4;
constexpr size_t KIND_OFFSET = NAME_OFFSET + NAME_SIZE;
constexpr size_t PAYLOAD_OFFSET = KIND_OFFSET + 4;
static_assert(PAYLOAD_OFFSET + PAYLOAD_SIZE == FRAME_SIZE, "frame layout");

const char LOOPBACK_NAME[] = "LOOPBACKTEST";
const char DATE_COMMAND[] = "date +%Y/%m/%d-%H:%M:%S > /tmp/datestring";
const char SET_PRESET[] = "/tarvik/scripts/set_preset ";
const char CURRENT_PRESET[] = "/tarvik/settings/current_preset";

void put_be32(std::string& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

uint32_t get_be32(const std::string& bytes, size_t offset) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    return value;
}

// Text of a fixed field, up to its first NUL or the end of the field.
std::string field_text(const std::string& bytes, size_t offset, size_t size) {
    const char* start = bytes.data() + offset;
    return std::string(start, strnlen(start, size));
}

void put_field(std::string& bytes, size_t offset, size_t size, const std::string& text) {
    bytes.replace(offset, std::min(text.size(), size), text, 0, size);
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string local_date_time() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof(text), "%Y/%m/%d-%H:%M:%S\n", &local);
    return text;
}

void make_raw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0)
        throw std::runtime_error(std::string("simdevice: tcgetattr: ") + std::strerror(errno));
    cfmakeraw(&settings);
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &settings) != 0)
        throw std::runtime_error(std::string("simdevice: tcsetattr: ") + std::strerror(errno));
}

std::string answer_to(const Frame& frame, const std::string& text = std::string()) {
    return encode(Frame::with_text(ANSWER, frame.name, text));
}

// Another number than the offered one, without overflow.
int32_t other_number(int32_t number) {
    return ~number;
}

} // namespace

Frame Frame::with_text(uint32_t command, const std::string& name, const std::string& text) {
    Frame frame;
    frame.command = command;
    frame.name = name;
    frame.kind = 1;
    frame.text = text;
    return frame;
}

Frame Frame::with_number(uint32_t command, const std::string& name, int32_t number) {
    Frame frame;
    frame.command = command;
    frame.name = name;
    frame.kind = 0;
    frame.number = number;
    return frame;
}

std::string encode(const Frame& frame) {
    std::string bytes(FRAME_SIZE, '\0');
    put_be32(bytes, 0, frame.command);
    put_field(bytes, NAME_OFFSET, NAME_SIZE, frame.name);
    put_be32(bytes, KIND_OFFSET, frame.kind);
    if (frame.kind == 0)
        put_be32(bytes, PAYLOAD_OFFSET, static_cast<uint32_t>(frame.number));
    else
        put_field(bytes, PAYLOAD_OFFSET, PAYLOAD_SIZE, frame.text);
    return bytes;
}

Frame decode(const std::string& bytes) {
    if (bytes.size() != FRAME_SIZE)
        throw std::invalid_argument("simdevice: a frame is 444 bytes");
    Frame frame;
    frame.command = get_be32(bytes, 0);
    frame.name = field_text(bytes, NAME_OFFSET, NAME_SIZE);
    frame.kind = get_be32(bytes, KIND_OFFSET);
    if (frame.kind == 0)
        frame.number = static_cast<int32_t>(get_be32(bytes, PAYLOAD_OFFSET));
    else
        frame.text = field_text(bytes, PAYLOAD_OFFSET, PAYLOAD_SIZE);
    frame.raw = bytes;
    return frame;
}

SimDevice::SimDevice() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0)
        throw std::runtime_error(std::string("simdevice: no pseudo-terminal: ") +
                                 std::strerror(errno));
    char name[128];
    if (ptsname_r(master_, name, sizeof(name)) != 0)
        throw std::runtime_error("simdevice: ptsname failed");
    path_ = name;

    // The settings belong to the terminal: the device's end must be raw as well, or bytes
    // such as carriage returns are changed on the way.
    make_raw(master_);
    const int terminal = open(path_.c_str(), O_RDWR | O_NOCTTY);
    if (terminal < 0)
        throw std::runtime_error("simdevice: cannot open " + path_);
    make_raw(terminal);
    close(terminal);

    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    thread_ = std::thread(&SimDevice::serve, this);
}

SimDevice::~SimDevice() {
    stop_ = true;
    thread_.join();
    close(master_);
    if (!port_dir_.empty()) {
        unlink((port_dir_ + "/ttyACM0").c_str());
        rmdir(port_dir_.c_str());
        set_port_directory("/dev");
    }
}

void SimDevice::list_as_port() {
    if (!port_dir_.empty())
        return;
    char folder[] = "/tmp/simdevice-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        throw std::runtime_error("simdevice: cannot create a port folder");
    port_dir_ = folder;
    if (symlink(path_.c_str(), (port_dir_ + "/ttyACM0").c_str()) != 0)
        throw std::runtime_error("simdevice: cannot link ttyACM0");
    set_port_directory(port_dir_.c_str());
}

void SimDevice::set_file(const std::string& device_path, const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_[device_path] = text;
}

std::string SimDevice::file(const std::string& device_path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = files_.find(device_path);
    return found == files_.end() ? std::string() : found->second;
}

bool SimDevice::has_file(const std::string& device_path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return files_.count(device_path) != 0;
}

void SimDevice::remove_file(const std::string& device_path) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_.erase(device_path);
}

std::vector<Frame> SimDevice::frames() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

void SimDevice::clear_frames() {
    std::lock_guard<std::mutex> lock(mutex_);
    frames_.clear();
}

bool SimDevice::wait_for_frames(size_t n, int timeout_ms) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return received_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                              [&] { return frames_.size() >= n; });
}

std::vector<std::string> SimDevice::command_lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> lines;
    for (const Frame& frame : frames_) {
        if (frame.command == EXECUTE)
            lines.push_back(frame.text);
    }
    return lines;
}

void SimDevice::set_answer_limit(int n) {
    std::lock_guard<std::mutex> lock(mutex_);
    answer_limit_ = n;
}

void SimDevice::set_loopback_waits(int k) {
    std::lock_guard<std::mutex> lock(mutex_);
    loopback_waits_ = k;
}

void SimDevice::set_wrong_echoes(int n) {
    std::lock_guard<std::mutex> lock(mutex_);
    wrong_echoes_ = n;
}

void SimDevice::set_answer_missing_files(bool answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    answer_missing_ = answer;
}

void SimDevice::set_piece_size(size_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    piece_size_ = bytes;
}

void SimDevice::set_hang_up_after(int n) {
    std::lock_guard<std::mutex> lock(mutex_);
    hang_up_after_ = n;
}

void SimDevice::stop_reading() {
    std::lock_guard<std::mutex> lock(mutex_);
    reading_ = false;
}

void SimDevice::set_responder(Responder responder) {
    std::lock_guard<std::mutex> lock(mutex_);
    responder_ = std::move(responder);
}

void SimDevice::send(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(write_mutex_);
    write_all(bytes.data(), bytes.size());
}

void SimDevice::serve() {
    std::string pending;
    char buffer[FRAME_SIZE];
    while (!stop_) {
        bool reading;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (hang_up_after_ == 0 && master_ >= 0) {
                std::lock_guard<std::mutex> writing(write_mutex_);
                close(master_);
                master_ = -1;
            }
            reading = reading_ && master_ >= 0;
        }
        if (!reading) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            continue;
        }
        pollfd ready{master_, POLLIN, 0};
        const int events = poll(&ready, 1, 20);
        if (events == 0 || (events < 0 && errno == EINTR))
            continue;
        if (ready.revents & POLLIN) {
            const ssize_t got = read(master_, buffer, sizeof(buffer));
            if (got > 0) {
                pending.append(buffer, static_cast<size_t>(got));
                while (pending.size() >= FRAME_SIZE && !hanging_up()) {
                    handle(decode(pending.substr(0, FRAME_SIZE)));
                    pending.erase(0, FRAME_SIZE);
                }
                continue;
            }
            if (got < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
        }
        // Nobody holds the terminal open (the master reads EIO and polls as hung up):
        // a frame in progress is lost with its sender; wait for the next peer.
        pending.clear();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool SimDevice::hanging_up() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return hang_up_after_ == 0;
}

void SimDevice::handle(const Frame& frame) {
    Responder responder;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool answer = answer_limit_ != 0;
        if (answer_limit_ > 0)
            --answer_limit_;
        if (hang_up_after_ > 0)
            --hang_up_after_;
        if (!answer) {
            frames_.push_back(frame);
            received_.notify_all();
            return;
        }
        responder = responder_;
    }
    std::optional<Replies> replies;
    if (responder)
        replies = responder(frame);
    if (!replies)
        replies = default_replies(frame);
    // Recorded after its effects and before its replies: a test that waited for the frame
    // sees what it changed, and a program that has the answer finds the frame recorded.
    {
        std::lock_guard<std::mutex> lock(mutex_);
        frames_.push_back(frame);
        received_.notify_all();
    }
    for (const std::string& reply : *replies)
        write_reply(reply);
}

Replies SimDevice::default_replies(const Frame& frame) {
    switch (frame.command) {
    case LOOPBACK:
        if (frame.name == LOOPBACK_NAME)
            return loopback_replies(frame);
        return {};
    case MESSAGE:
        return {answer_to(frame)};
    case READ_FILE: {
        std::lock_guard<std::mutex> lock(mutex_);
        const auto found = files_.find(frame.name);
        if (found != files_.end())
            return {answer_to(frame, found->second)};
        if (answer_missing_)
            return {answer_to(frame)};
        return {};
    }
    case WRITE_FILE:
        set_file(frame.name, frame.text);
        return {answer_to(frame)};
    case EXECUTE:
        return execute(frame);
    default:
        return {};
    }
}

Replies SimDevice::loopback_replies(const Frame& frame) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (loopback_waits_ > 0) {
        --loopback_waits_;
        return {
            encode(Frame::with_number(LOOPBACK_WAIT, LOOPBACK_NAME, other_number(frame.number)))};
    }
    int32_t echo = frame.number;
    if (wrong_echoes_ > 0) {
        --wrong_echoes_;
        echo = other_number(frame.number);
    }
    return {encode(Frame::with_number(LOOPBACK, LOOPBACK_NAME, echo))};
}

Replies SimDevice::execute(const Frame& frame) {
    const std::string& line = frame.text;
    if (line == DATE_COMMAND)
        set_file("/tmp/datestring", local_date_time());
    else if (line.compare(0, sizeof(SET_PRESET) - 1, SET_PRESET) == 0)
        set_file(CURRENT_PRESET, trimmed(line.substr(sizeof(SET_PRESET) - 1)));
    return {answer_to(frame)};
}

void SimDevice::write_reply(const std::string& bytes) {
    size_t piece;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        piece = piece_size_;
    }
    std::lock_guard<std::mutex> lock(write_mutex_);
    const bool split = piece > 0 && replies_written_++ % 2 == 1;
    if (!split) {
        write_all(bytes.data(), bytes.size());
        return;
    }
    for (size_t offset = 0; offset < bytes.size(); offset += piece) {
        if (offset > 0)
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        if (!write_all(bytes.data() + offset, std::min(piece, bytes.size() - offset)))
            return;
    }
}

// Writes everything unless nobody listens: a full terminal gets a second to drain, an
// error (no peer) drops the bytes.
bool SimDevice::write_all(const char* data, size_t size) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (size > 0) {
        const ssize_t written = write(master_, data, size);
        if (written > 0) {
            data += written;
            size -= static_cast<size_t>(written);
            continue;
        }
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        pollfd ready{master_, POLLOUT, 0};
        poll(&ready, 1, 10);
    }
    return true;
}

Responder late_answers(SimDevice& device) {
    auto held = std::make_shared<Replies>();
    return [&device, held](const Frame& frame) -> std::optional<Replies> {
        Replies due = std::move(*held);
        *held = device.default_replies(frame);
        return due;
    };
}

Responder slow_answers(SimDevice& device, std::function<int(const Frame&)> delay_ms) {
    return [&device, delay_ms](const Frame& frame) -> std::optional<Replies> {
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms(frame)));
        return device.default_replies(frame);
    };
}

} // namespace sim
