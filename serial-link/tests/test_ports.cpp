// Port listing, opening and closing, on a temporary device folder.
#include "protocol.h"
#include "sim_testing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using sim::capture_stdout;
using sim::open_descriptors;

const char INVALID_LINE[] = "[utils] ERROR: open-port - invalid argument.\n";

std::vector<std::string> listed() {
    return std::vector<std::string>(bsdDevicePaths, bsdDevicePaths + bsdNumPaths);
}

class Ports : public testing::Test {
  protected:
    void SetUp() override {
        char base[] = "/tmp/ports-XXXXXX";
        ASSERT_NE(mkdtemp(base), nullptr);
        folder = base;
        set_port_directory(folder.c_str());
    }

    void TearDown() override {
        for (auto it = created.rbegin(); it != created.rend(); ++it)
            remove(it->c_str());
        remove(folder.c_str());
        set_port_directory("/dev");
    }

    std::string entry(const std::string& name) const { return folder + "/" + name; }

    void add_file(const std::string& name) {
        const int fd = open(entry(name).c_str(), O_CREAT | O_WRONLY, 0644);
        ASSERT_GE(fd, 0);
        close(fd);
        created.push_back(entry(name));
    }

    void add_link(const std::string& name, const std::string& target) {
        ASSERT_EQ(symlink(target.c_str(), entry(name).c_str()), 0);
        created.push_back(entry(name));
    }

    // A sub-folder, so that the paths listed in it get a chosen length.
    void descend(const std::string& name) {
        folder = entry(name);
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
        created.push_back(folder);
        set_port_directory(folder.c_str());
    }

    std::string folder;
    std::vector<std::string> created;
};

TEST_F(Ports, EmptyFolderListsNoPort) {
    add_file("ttyUSB0");
    EXPECT_EQ(get_num_ports(), 0);
    EXPECT_EQ(bsdNumPaths, 0);
}

TEST_F(Ports, OnlyTtyAcmWithDigitsCountsInNumericOrder) {
    for (const char* name :
         {"ttyACM10", "ttyACM2", "ttyACM", "ttyACMx", "ttyACM1a", "ttyUSB0", "xttyACM3", "ttyACM0"})
        add_file(name);
    add_link("ttyACM7", "/nowhere"); // links count, whatever they point to
    EXPECT_EQ(get_num_ports(), 4);
    EXPECT_EQ(listed(), (std::vector<std::string>{entry("ttyACM0"), entry("ttyACM2"),
                                                  entry("ttyACM7"), entry("ttyACM10")}));
}

TEST_F(Ports, AtMostFivePortsAreListed) {
    for (int n = 6; n >= 0; --n)
        add_file("ttyACM" + std::to_string(n));
    EXPECT_EQ(get_num_ports(), 5);
    EXPECT_EQ(listed(),
              (std::vector<std::string>{entry("ttyACM0"), entry("ttyACM1"), entry("ttyACM2"),
                                        entry("ttyACM3"), entry("ttyACM4")}));
}

// A path with its NUL must fit into 64 bytes; a longer one is skipped without taking a slot.
TEST_F(Ports, PathsOfSixtyFourBytesOrMoreAreSkipped) {
    // folder/<padding>/ttyACM1 is 63 characters long.
    descend(std::string(63 - folder.size() - 2 - std::strlen("ttyACM1"), 'd'));
    for (const char* name : {"ttyACM1", "ttyACM10", "ttyACM11", "ttyACM12", "ttyACM13", "ttyACM14",
                             "ttyACM15", "ttyACM2"})
        add_file(name);
    ASSERT_EQ(entry("ttyACM1").size(), 63u);
    EXPECT_EQ(get_num_ports(), 2);
    EXPECT_EQ(listed(), (std::vector<std::string>{entry("ttyACM1"), entry("ttyACM2")}));
}

TEST_F(Ports, UnreadableFolderFailsAndKeepsTheTable) {
    add_file("ttyACM3");
    add_file("ttyACM4");
    ASSERT_EQ(get_num_ports(), 2);
    const std::vector<std::string> before = listed();

    set_port_directory((folder + "/missing").c_str());
    int result = 0;
    const std::string out = capture_stdout([&] { result = get_num_ports(); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(out.rfind("[utils] ERROR: FindDevices - ", 0), 0u) << out;
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line: " << out;
    EXPECT_EQ(listed(), before);
}

TEST_F(Ports, InvalidIndexIsRefusedWithoutTouchingAnything) {
    for (int n = 0; n < 5; ++n)
        add_file("ttyACM" + std::to_string(n));
    ASSERT_EQ(get_num_ports(), 5);
    serial_device = 77; // an open attempt would overwrite it
    for (int index : {-1, 5}) {
        int result = 0;
        EXPECT_EQ(capture_stdout([&] { result = open_port(index); }), INVALID_LINE);
        EXPECT_EQ(result, -1);
    }
    EXPECT_EQ(serial_device, 77);

    // The count, not the table's size, is the limit.
    set_port_directory("/nonexistent-ports");
    capture_stdout([] { EXPECT_EQ(get_num_ports(), -1); }); // the count stays 5
    descend("one");
    add_file("ttyACM0");
    ASSERT_EQ(get_num_ports(), 1);
    EXPECT_EQ(capture_stdout([] { EXPECT_EQ(open_port(1), -1); }), INVALID_LINE);
    EXPECT_EQ(serial_device, 77);
    serial_device = -1;
}

TEST_F(Ports, PortGoneBeforeTheOpenReportsTheSystemError) {
    add_link("ttyACM0", folder + "/unplugged");
    ASSERT_EQ(get_num_ports(), 1);
    int result = 0;
    const std::string out = capture_stdout([&] { result = open_port(0); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(out, "[utils] ERROR: open-port - open FAILED " + entry("ttyACM0") +
                       " - No such file or directory(2).\n");
}

TEST_F(Ports, NonTerminalIsClosedAgainAfterItsAttributesFail) {
    add_file("ttyACM0");
    ASSERT_EQ(get_num_ports(), 1);
    const int descriptors = open_descriptors();
    int result = 0;
    const std::string out = capture_stdout([&] { result = open_port(0); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(out, "[utils] ERROR: open-port - getting tty attributes " + entry("ttyACM0") +
                       " - Inappropriate ioctl for device(25).\n");
    EXPECT_EQ(open_descriptors(), descriptors);
}

TEST(PortAttributes, OpenMakesTheTerminalRawAndCloseRestoresIt) {
    sim::SimDevice device;
    const int terminal = open(device.path().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    termios cooked{};
    ASSERT_EQ(tcgetattr(terminal, &cooked), 0);
    cooked.c_iflag |= ICRNL | IXON;
    cooked.c_oflag |= OPOST | ONLCR;
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_cc[VMIN] = 1;
    cooked.c_cc[VTIME] = 0;
    ASSERT_EQ(tcsetattr(terminal, TCSANOW, &cooked), 0);
    ASSERT_EQ(tcgetattr(terminal, &cooked), 0);

    device.list_as_port();
    ASSERT_EQ(get_num_ports(), 1);
    ASSERT_GT(open_port(0), 0);
    termios now{};
    ASSERT_EQ(tcgetattr(terminal, &now), 0);
    EXPECT_EQ(now.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(now.c_iflag & (ICRNL | IXON), 0u);
    EXPECT_EQ(now.c_oflag & OPOST, 0u);
    EXPECT_EQ(now.c_cc[VMIN], 0);
    EXPECT_EQ(now.c_cc[VTIME], 2);

    close_port();
    ASSERT_EQ(tcgetattr(terminal, &now), 0);
    EXPECT_EQ(now.c_iflag, cooked.c_iflag);
    EXPECT_EQ(now.c_oflag, cooked.c_oflag);
    EXPECT_EQ(now.c_cflag, cooked.c_cflag);
    EXPECT_EQ(now.c_lflag, cooked.c_lflag);
    EXPECT_EQ(std::memcmp(now.c_cc, cooked.c_cc, sizeof(now.c_cc)), 0);
    close(terminal);
}

// Bytes the device sent while nobody had the port open are discarded by the open.
TEST(PortAttributes, OpenDiscardsWhatArrivedBefore) {
    sim::SimDevice device;
    device.list_as_port();
    device.send(sim::encode(sim::Frame::with_text(sim::ANSWER, "/stale", "old")));
    ASSERT_EQ(get_num_ports(), 1);
    ASSERT_GT(open_port(0), 0);
    link_frame got;
    const std::string out = capture_stdout([&] { EXPECT_EQ(recv_command(&got), 0); });
    EXPECT_EQ(out, "serial_link::protocol::recv_command 444 bytes expected, 0 bytes read\n");
    close_port();
}

} // namespace
