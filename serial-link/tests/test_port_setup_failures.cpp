// A port that opens but then refuses its terminal settings or its flush. No terminal fails
// there on its own, so this program replaces the C library's tcsetattr and tcflush with
// versions that fail while a test asks them to.
#include "sim_testing.h"

#include <dlfcn.h>
#include <termios.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace {

bool g_refuse_setattr = false;
bool g_refuse_flush = false;

template <class F> F next_definition(const char* name) {
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" int tcsetattr(int fd, int action, const struct termios* attributes) {
    if (g_refuse_setattr) {
        errno = EIO;
        return -1;
    }
    using Real = int (*)(int, int, const struct termios*);
    static const Real real = next_definition<Real>("tcsetattr");
    return real(fd, action, attributes);
}

extern "C" int tcflush(int fd, int queue) {
    if (g_refuse_flush) {
        errno = EIO;
        return -1;
    }
    using Real = int (*)(int, int);
    static const Real real = next_definition<Real>("tcflush");
    return real(fd, queue);
}

namespace {

class SetupFailure : public testing::Test {
  protected:
    void SetUp() override {
        device.list_as_port();
        ASSERT_EQ(get_num_ports(), 1);
    }
    void TearDown() override {
        g_refuse_setattr = false;
        g_refuse_flush = false;
    }

    // Opens the port while the given step refuses; expects one line naming it and nothing
    // left open.
    void expect_one_line(const std::string& step) {
        const int before = sim::open_descriptors();
        int result = 0;
        const std::string out = sim::capture_stdout([&] { result = open_port(0); });
        EXPECT_EQ(result, -1);
        EXPECT_EQ(out, "[utils] ERROR: open-port - " + step + " " + bsdDevicePaths[0] + " - " +
                           std::strerror(EIO) + "(" + std::to_string(EIO) + ").\n");
        EXPECT_EQ(sim::open_descriptors(), before);
    }

    sim::SimDevice device;
};

TEST_F(SetupFailure, RefusedSettingsCloseThePortWithOneLine) {
    g_refuse_setattr = true;
    expect_one_line("setting tty attributes");
}

TEST_F(SetupFailure, RefusedFlushClosesThePortWithOneLine) {
    g_refuse_flush = true;
    expect_one_line("tcflush FAILED");
}

} // namespace
