// Serves a simulated device until SIGINT or SIGTERM. As root it appears as /dev/ttyACM<N>,
// so the unchanged program lists and opens it like a real device.
#include "default_state.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The first /dev/ttyACM<N> that does not exist yet, linked to the terminal; empty on failure.
std::string expose_as_port(const std::string& terminal) {
    for (int n = 0; n < 1000; ++n) {
        const std::string link = "/dev/ttyACM" + std::to_string(n);
        if (symlink(terminal.c_str(), link.c_str()) == 0)
            return link;
        if (errno != EEXIST) {
            std::fprintf(stderr, "ovk-simdevice: cannot create %s: %s\n", link.c_str(),
                         std::strerror(errno));
            return std::string();
        }
    }
    return std::string();
}

// Removes the link only while it is still ours.
void remove_port(const std::string& link, const std::string& terminal) {
    char target[256];
    const ssize_t length = readlink(link.c_str(), target, sizeof(target) - 1);
    if (length < 0)
        return;
    target[length] = '\0';
    if (terminal == target)
        unlink(link.c_str());
}

void log_frame(const sim::Frame& frame) {
    if (frame.kind == 0)
        std::printf("<- command %u \"%s\" number %d\n", frame.command, frame.name.c_str(),
                    frame.number);
    else
        std::printf("<- command %u \"%s\" \"%s\"\n", frame.command, frame.name.c_str(),
                    frame.text.c_str());
    std::fflush(stdout);
}

} // namespace

int main() {
    // The signals are taken by sigwait in this thread only (the device's thread inherits the
    // mask), so the clean-up runs here and not inside a handler.
    sigset_t stop_signals;
    sigemptyset(&stop_signals);
    sigaddset(&stop_signals, SIGINT);
    sigaddset(&stop_signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);

    sim::SimDevice device;
    sim::load_default_state(device);
    device.set_responder([](const sim::Frame& frame) -> std::optional<sim::Replies> {
        log_frame(frame);
        return std::nullopt;
    });

    std::string port;
    if (geteuid() == 0) {
        port = expose_as_port(device.path());
        if (port.empty())
            return 1;
        std::printf("Simulated device on %s (-> %s)\n", port.c_str(), device.path().c_str());
    } else {
        std::printf("Simulated device on %s\n", device.path().c_str());
        std::printf("Not run as root: the program will not list it (only /dev/ttyACM<N> "
                    "ports are listed).\n");
    }
    std::printf("Stop with Ctrl-C.\n");
    std::fflush(stdout);

    int signal_number = 0;
    sigwait(&stop_signals, &signal_number);
    if (!port.empty())
        remove_port(port, device.path());
    std::printf("Stopped.\n");
    return 0;
}
