#include "utils.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

char bsdDevicePaths[5][64];
int bsdNumPaths = 0;
int serial_device = -1;
bool serial_device_gone = false;
struct termios oldtio;
struct termios newtio;

namespace {

constexpr int MAX_PORTS = 5;
constexpr size_t PATH_SIZE = sizeof(bsdDevicePaths[0]);
const char PORT_PREFIX[] = "ttyACM";

std::string g_directory = "/dev";

// The digits after "ttyACM", or empty when the name is not a port's.
std::string port_number(const char* name) {
    const size_t prefix = sizeof(PORT_PREFIX) - 1;
    if (std::strncmp(name, PORT_PREFIX, prefix) != 0 || name[prefix] == '\0')
        return std::string();
    std::string digits(name + prefix);
    if (digits.find_first_not_of("0123456789") != std::string::npos)
        return std::string();
    return digits;
}

// Ascending by number, however many digits it has.
bool number_less(const std::string& a, const std::string& b) {
    const std::string na = a.substr(std::min(a.find_first_not_of('0'), a.size()));
    const std::string nb = b.substr(std::min(b.find_first_not_of('0'), b.size()));
    if (na.size() != nb.size())
        return na.size() < nb.size();
    if (na != nb)
        return na < nb;
    return a < b;
}

// Every failing step after the open prints one line and leaves nothing open.
int open_failed(const char* step, const char* path, int fd) {
    const int error = errno;
    std::printf("[utils] ERROR: open-port - %s %s - %s(%d).\n", step, path, std::strerror(error),
                error);
    close(fd);
    serial_device = -1;
    return -1;
}

} // namespace

void set_port_directory(const char* directory) {
    g_directory = directory;
}

uint32_t reverse_bytes(uint32_t value) {
    return ((value & 0x000000FFu) << 24) | ((value & 0x0000FF00u) << 8) |
           ((value & 0x00FF0000u) >> 8) | ((value & 0xFF000000u) >> 24);
}

bool FindDevices(DIR** iterator) {
    *iterator = opendir(g_directory.c_str());
    if (*iterator == nullptr) {
        std::printf("[utils] ERROR: FindDevices - opendir %s failed: %s(%d).\n",
                    g_directory.c_str(), std::strerror(errno), errno);
        return false;
    }
    return true;
}

int GetDevicePaths(DIR* iterator) {
    std::vector<std::string> numbers;
    while (const dirent* entry = readdir(iterator)) {
        std::string number = port_number(entry->d_name);
        if (!number.empty())
            numbers.push_back(number);
    }
    std::sort(numbers.begin(), numbers.end(), number_less);

    bsdNumPaths = 0;
    for (const std::string& number : numbers) {
        if (bsdNumPaths == MAX_PORTS)
            break;
        const std::string path = g_directory + "/" + PORT_PREFIX + number;
        if (path.size() + 1 > PATH_SIZE)
            continue;
        std::memset(bsdDevicePaths[bsdNumPaths], 0, PATH_SIZE);
        std::memcpy(bsdDevicePaths[bsdNumPaths], path.c_str(), path.size());
        ++bsdNumPaths;
    }
    return bsdNumPaths;
}

int get_num_ports() {
    DIR* iterator = nullptr;
    if (!FindDevices(&iterator))
        return -1;
    const int count = GetDevicePaths(iterator);
    closedir(iterator);
    return count;
}

int open_port(int index) {
    if (index < 0 || index >= bsdNumPaths) {
        std::printf("[utils] ERROR: open-port - invalid argument.\n");
        return -1;
    }
    const char* path = bsdDevicePaths[index];
    serial_device_gone = false;
    // O_NOCTTY: the port must never become the program's controlling terminal.
    serial_device = open(path, O_RDWR | O_NONBLOCK | O_NOCTTY);
    if (serial_device == -1) {
        const int error = errno;
        std::printf("[utils] ERROR: open-port - open FAILED %s - %s(%d).\n", path,
                    std::strerror(error), error);
        return -1;
    }
    const int fd = serial_device;
    if (fcntl(fd, F_SETFL, 0) == -1)
        return open_failed("clearing O_NONBLOCK", path, fd);
    if (tcgetattr(fd, &oldtio) == -1)
        return open_failed("getting tty attributes", path, fd);
    newtio = oldtio;
    cfmakeraw(&newtio);
    newtio.c_cc[VMIN] = 0;
    newtio.c_cc[VTIME] = 2;
    if (tcsetattr(fd, TCSANOW, &newtio) == -1)
        return open_failed("setting tty attributes", path, fd);
    if (tcflush(fd, TCIOFLUSH) == -1)
        return open_failed("tcflush FAILED", path, fd);
    return fd;
}

void close_port() {
    tcsetattr(serial_device, TCSANOW, &oldtio);
    close(serial_device);
    serial_device = -1;
    serial_device_gone = false;
}
