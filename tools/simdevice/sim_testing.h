// Helpers for test programs that talk to the simulated device through the link.
#pragma once

#include "simdevice.h"

#include "utils.h"

#include <dirent.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <functional>
#include <string>

#include <gtest/gtest.h>

namespace sim {

// What the action printed on standard output.
inline std::string capture_stdout(const std::function<void()>& action) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    action();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// How many descriptors the process has open, to see that nothing is left open.
inline int open_descriptors() {
    int count = 0;
    DIR* folder = opendir("/proc/self/fd");
    while (readdir(folder) != nullptr)
        ++count;
    closedir(folder);
    return count;
}

// Waits until a device's hang-up shows on the program's end of the terminal.
inline void wait_for_hang_up() {
    pollfd port{serial_device, POLLIN, 0};
    for (int i = 0; i < 200 && !(port.revents & POLLHUP); ++i)
        poll(&port, 1, 10);
}

// Ends the test program with a message when it is still alive after the given seconds: a
// wait that never ends fails the run instead of hanging it.
class Watchdog {
  public:
    explicit Watchdog(unsigned seconds) {
        std::signal(SIGALRM, bark);
        alarm(seconds);
    }
    ~Watchdog() { alarm(0); }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

  private:
    static void bark(int) {
        const char message[] = "\nwatchdog: a wait did not end within its bound\n";
        (void)!write(STDERR_FILENO, message, sizeof(message) - 1);
        _exit(1);
    }
};

// A simulated device that the link has listed as its only port and opened, as the program
// does when it connects; closed again at the end of the test.
class LinkTest : public testing::Test {
  protected:
    void SetUp() override {
        device.list_as_port();
        ASSERT_EQ(get_num_ports(), 1);
        ASSERT_GT(open_port(0), 0);
    }
    void TearDown() override {
        if (serial_device >= 0)
            close_port();
    }

    SimDevice device;
};

} // namespace sim
