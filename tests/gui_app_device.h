// The program's main window beside a simulated device, and what the device received.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "default_state.h"
#include "gui_app_probe.h"
#include "protocol.h"
#include "simdevice.h"
#include "utils.h"

namespace devtest {

inline bool is_read(const sim::Frame& frame, const std::string& path) {
    return frame.command == sim::READ_FILE && frame.name == path;
}

inline bool is_script(const sim::Frame& frame, const std::string& script) {
    return frame.command == sim::EXECUTE && frame.name == "RUNSCRIPT" &&
           frame.text == "/tarvik/scripts/" + script;
}

// A read of one preset's setting file ("/tarvik/settings/<digit>/<name>").
inline bool is_setting_read(const sim::Frame& frame) {
    const std::string root = "/tarvik/settings/";
    return frame.command == sim::READ_FILE && frame.name.compare(0, root.size(), root) == 0 &&
           frame.name.size() > root.size() + 1 && std::isdigit(frame.name[root.size()]) &&
           frame.name[root.size() + 1] == '/';
}

inline std::string setting_file(int preset, int setting) {
    // Before the window builds the table every name is empty: the path would name no file.
    if (settings_mapping[setting].name[0] == '\0')
        ADD_FAILURE() << "setting_file before the settings table is built";
    return "/tarvik/settings/" + std::to_string(preset) + "/" + settings_mapping[setting].name;
}

template <class Pred> long first_index(const std::vector<sim::Frame>& frames, Pred pred) {
    for (size_t i = 0; i < frames.size(); ++i)
        if (pred(frames[i]))
            return static_cast<long>(i);
    return -1;
}

template <class Pred> long last_index(const std::vector<sim::Frame>& frames, Pred pred) {
    for (size_t i = frames.size(); i-- > 0;)
        if (pred(frames[i]))
            return static_cast<long>(i);
    return -1;
}

template <class Pred> size_t count(const std::vector<sim::Frame>& frames, Pred pred) {
    size_t n = 0;
    for (const auto& frame : frames)
        n += pred(frame) ? 1 : 0;
    return n;
}

// Names of the frames, for failure messages.
inline std::string describe(const std::vector<sim::Frame>& frames) {
    std::string text;
    for (const auto& frame : frames)
        text += std::to_string(frame.command) + " " + frame.name + " " + frame.text + "\n";
    return text;
}

inline std::string label(TARVIK_User_SWFrm* window, const char* name) {
    auto* text = named<wxStaticText>(window, name);
    EXPECT_NE(text, nullptr) << name;
    return text ? text->GetLabel().ToStdString() : std::string();
}

// The frames of a connect to a device in its default state that answers every one: the
// handshake, 860 setting reads and the rest of the sequence, the clock included.
constexpr size_t CONNECT_FRAMES = 879;

// The main window beside a simulated device in its default state, listed as the only port.
// The level and port-list timers are stopped: tests give the ticks they need.
class DeviceWindowTest : public testing::Test {
  protected:
    void SetUp() override {
        sim::load_default_state(device);
        device.list_as_port();
        window = start_program();
        probe = std::make_unique<MainWindowProbe>(window);
        probe->levelTimer()->Stop();
        probe->macDevTimer()->Stop();
    }
    void TearDown() override {
        if (window)
            close_program(window);
        if (serial_device >= 0)
            close_port();
    }

    // Opens the port as a connect does, without loading the presets.
    void open_link() {
        ASSERT_GE(open_port(0), 0);
        probe->connected() = true;
    }
    // The whole connect sequence, with its polling stopped again.
    void connect() {
        probe->clickConnect(true);
        ASSERT_TRUE(probe->connected());
        probe->pollTimer()->Stop();
    }
    // One poll tick and the frames it sent.
    std::vector<sim::Frame> tick() {
        device.clear_frames();
        probe->pollTick();
        return device.frames();
    }
    // Ticks until the keep-alive's tick (phase 1) has run; false if none came in a cycle.
    bool tick_to_keep_alive() {
        for (int i = 0; i < 8; ++i) {
            const auto frames = tick();
            if (!frames.empty() && frames.front().command == sim::LOOPBACK)
                return true;
        }
        return false;
    }
    void answer_file(const std::string& path, uint32_t command, const std::string& text) {
        device.set_responder([=](const sim::Frame& f) -> std::optional<sim::Replies> {
            if (f.command != sim::READ_FILE || f.name != path)
                return std::nullopt;
            return sim::Replies{sim::encode(sim::Frame::with_text(command, path, text))};
        });
    }

    sim::SimDevice device;
    TARVIK_User_SWFrm* window = nullptr;
    std::unique_ptr<MainWindowProbe> probe;
};

} // namespace devtest
