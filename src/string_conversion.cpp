#include "string_conversion.h"

#include <cstring>

const unsigned char DEV_valid_chars[DEV_CHAR_COUNT] = {
    'a', 'b', 'c', 'd', 'e',  'f',  'g',  'h',  'i',  'j',  'k', 'l',  'm', 'n', 'o',  'p',
    'q', 'r', 's', 't', 'u',  'v',  'w',  'x',  'y',  'z',  'A', 'B',  'C', 'D', 'E',  'F',
    'G', 'H', 'I', 'J', 'K',  'L',  'M',  'N',  'O',  'P',  'Q', 'R',  'S', 'T', 'U',  'V',
    'W', 'X', 'Y', 'Z', 0xE4, 0xF6, 0xFC, 0xC4, 0xD6, 0xDC, '0', '1',  '2', '3', '4',  '5',
    '6', '7', '8', '9', '_',  0xDF, 0xA7, 0xB0, 0xB4, ' ',  '/', '\\', '(', ')', '|',  '{',
    '}', '[', ']', '.', ',',  ':',  ';',  '#',  '!',  '?',  '%', '$',  '<', '>', '\'', '"',
    '*', '+', '`', '^', '-',  '&',  '@',  '~',  '=',  '\n',
};

const uint32_t HOST_valid_chars[DEV_CHAR_COUNT] = {
    'a', 'b', 'c', 'd', 'e',  'f',  'g',  'h',  'i',  'j',  'k', 'l',  'm', 'n', 'o',  'p',
    'q', 'r', 's', 't', 'u',  'v',  'w',  'x',  'y',  'z',  'A', 'B',  'C', 'D', 'E',  'F',
    'G', 'H', 'I', 'J', 'K',  'L',  'M',  'N',  'O',  'P',  'Q', 'R',  'S', 'T', 'U',  'V',
    'W', 'X', 'Y', 'Z', 0xE4, 0xF6, 0xFC, 0xC4, 0xD6, 0xDC, '0', '1',  '2', '3', '4',  '5',
    '6', '7', '8', '9', '_',  0xDF, 0xA7, 0xB0, 0xB4, ' ',  '/', '\\', '(', ')', '|',  '{',
    '}', '[', ']', '.', ',',  ':',  ';',  '#',  '!',  '?',  '%', '$',  '<', '>', '\'', '"',
    '*', '+', '`', '^', '-',  '&',  '@',  '~',  '=',  '\n',
};

namespace {

int device_index(unsigned char byte) {
    for (int i = 0; i < DEV_CHAR_COUNT; ++i)
        if (DEV_valid_chars[i] == byte)
            return i;
    return -1;
}

int host_index(uint32_t character) {
    for (int i = 0; i < DEV_CHAR_COUNT; ++i)
        if (HOST_valid_chars[i] == character)
            return i;
    return -1;
}

bool allowed(int index, bool strict) {
    return index >= 0 && (!strict || index < STRICT_CHAR_COUNT);
}

bool is_trailing_space(char c) {
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

} // namespace

void clean_device_string(char* text, bool strict) {
    for (char* p = text; *p != '\0'; ++p)
        if (!allowed(device_index(static_cast<unsigned char>(*p)), strict))
            *p = DEV_REPLACEMENT_CHAR;
}

void clean_host_string(wxString& text, bool strict) {
    for (wxString::iterator it = text.begin(); it != text.end(); ++it)
        if (!allowed(host_index(static_cast<uint32_t>((*it).GetValue())), strict))
            *it = DEV_REPLACEMENT_CHAR;
}

void trim_device_string(char* text) {
    size_t length = strlen(text);
    while (length > 0 && is_trailing_space(text[length - 1]))
        text[--length] = '\0';
}

void convert_device_to_host_string(const char* src, wxString& out) {
    out.clear();
    out.reserve(strlen(src));
    for (const char* p = src; *p != '\0'; ++p) {
        const int index = device_index(static_cast<unsigned char>(*p));
        out += index >= 0 ? wxUniChar(HOST_valid_chars[index]) : wxUniChar(DEV_REPLACEMENT_CHAR);
    }
}

void convert_host_to_device_string(const wxString& src, char* dst, size_t capacity, bool replace) {
    if (capacity == 0)
        return;
    size_t written = 0;
    for (wxString::const_iterator it = src.begin(); it != src.end() && written < capacity - 1;
         ++it) {
        const int index = host_index(static_cast<uint32_t>((*it).GetValue()));
        if (index >= 0)
            dst[written++] = static_cast<char>(DEV_valid_chars[index]);
        else if (replace)
            dst[written++] = DEV_REPLACEMENT_CHAR;
    }
    dst[written] = '\0';
}
