// The device character set: 106 characters, stored on the device as ISO-8859-1 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include <wx/string.h>

constexpr int DEV_CHAR_COUNT = 106;
// Letters, umlauts, digits and the underscore: the set allowed in names that become file names.
constexpr int STRICT_CHAR_COUNT = 69;
constexpr char DEV_REPLACEMENT_CHAR = '_';

// Parallel tables: entry i of both is the same character; its byte equals its code point.
extern const unsigned char DEV_valid_chars[DEV_CHAR_COUNT];
extern const uint32_t HOST_valid_chars[DEV_CHAR_COUNT];

// Overwrites every byte outside the set (or outside the strict set) with "_".
void clean_device_string(char* text, bool strict);
void clean_host_string(wxString& text, bool strict);

// Removes trailing tabs, line feeds, carriage returns and spaces.
void trim_device_string(char* text);

// One host character per device byte; bytes outside the set become "_".
void convert_device_to_host_string(const char* src, wxString& out);

// Writes at most capacity - 1 bytes and always a NUL (nothing at all for capacity 0).
// Characters outside the set become "_" when replace is set and are dropped otherwise.
void convert_host_to_device_string(const wxString& src, char* dst, size_t capacity, bool replace);
