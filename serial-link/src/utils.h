// Serial port discovery, opening and closing.
#pragma once

#include <cstdint>
#include <dirent.h>
#include <termios.h>

extern char bsdDevicePaths[5][64];
extern int bsdNumPaths;
extern int serial_device;
// Set when the open port reports an error: the device is gone (see link_gone). Cleared by
// open_port and close_port.
extern bool serial_device_gone;
extern struct termios oldtio;
extern struct termios newtio;

int get_num_ports();
int open_port(int index);
void close_port();

// The port listing walks a device directory: FindDevices opens it, GetDevicePaths fills
// the table from it.
bool FindDevices(DIR** iterator);
int GetDevicePaths(DIR* iterator);

uint32_t reverse_bytes(uint32_t value);

// Where the listing looks for ports ("/dev" unless a test points it elsewhere).
void set_port_directory(const char* directory);
