#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "string_conversion.h"

namespace {

// The device character set in table order: the bytes the device stores and, typed apart,
// the characters the host shows for them. The first 69 form the strict set.
const char device_chars[] = "abcdefghijklmnopqrstuvwxyz"
                            "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                            "\xE4\xF6\xFC\xC4\xD6\xDC"
                            "0123456789_"
                            "\xDF\xA7\xB0\xB4"
                            " /\\()|{}[].,:;#!?%$<>'\"*+`^-&@~=\n";
const char32_t host_chars[] = U"abcdefghijklmnopqrstuvwxyz"
                              U"ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                              U"äöüÄÖÜ"
                              U"0123456789_"
                              U"ß§°´"
                              U" /\\()|{}[].,:;#!?%$<>'\"*+`^-&@~=\n";
constexpr size_t char_count = 106;
constexpr size_t strict_count = 69;
static_assert(sizeof(device_chars) == char_count + 1, "one byte per character");
static_assert(sizeof(host_chars) / sizeof(char32_t) == char_count + 1, "one per character");

bool in_set(uint32_t character) {
    return std::find(host_chars, host_chars + char_count, character) != host_chars + char_count;
}

wxString host_set() {
    wxString text;
    for (size_t i = 0; i < char_count; ++i)
        text += wxUniChar(static_cast<uint32_t>(host_chars[i]));
    return text;
}

std::string cleaned(std::string text, bool strict) {
    clean_device_string(&text[0], strict);
    return text;
}

std::string trimmed(std::string text) {
    trim_device_string(&text[0]);
    return text.c_str();
}

wxString to_host(const std::string& device) {
    wxString host;
    convert_device_to_host_string(device.c_str(), host);
    return host;
}

std::string to_device(const wxString& host, bool replace, size_t capacity = 64) {
    char buffer[64];
    std::memset(buffer, 'Z', sizeof(buffer));
    convert_host_to_device_string(host, buffer, capacity, replace);
    return buffer;
}

} // namespace

TEST(CharacterSet, TablesHoldTheDeviceCharactersInOrder) {
    ASSERT_EQ(DEV_CHAR_COUNT, static_cast<int>(char_count));
    for (size_t i = 0; i < char_count; ++i) {
        EXPECT_EQ(DEV_valid_chars[i], static_cast<unsigned char>(device_chars[i])) << "index " << i;
        EXPECT_EQ(HOST_valid_chars[i], static_cast<uint32_t>(host_chars[i])) << "index " << i;
        EXPECT_EQ(host_chars[i], static_cast<unsigned char>(device_chars[i])) << "index " << i;
    }
}

TEST(CharacterSet, TheWholeSetPassesEveryOperationAndStrictKeepsItsFirst69) {
    const std::string device(device_chars);
    std::string strict = device;
    std::fill(strict.begin() + strict_count, strict.end(), '_');
    EXPECT_EQ(cleaned(device, false), device);
    EXPECT_EQ(cleaned(device, true), strict);

    const wxString host = host_set();
    wxString host_cleaned = host;
    clean_host_string(host_cleaned, false);
    EXPECT_EQ(host_cleaned, host);
    clean_host_string(host_cleaned, true);
    EXPECT_EQ(host_cleaned, wxString(strict.c_str(), wxConvISO8859_1));

    EXPECT_EQ(to_host(device), host);
    char back[char_count + 1];
    convert_host_to_device_string(host, back, sizeof(back), false);
    EXPECT_EQ(std::string(back), device);
}

TEST(CharacterSet, CleaningKeepsTheSetAndReplacesTheRest) {
    const std::string text = "M\xFC"
                             "ller 42\xB0";
    EXPECT_EQ(cleaned(text, false), text);
    EXPECT_EQ(cleaned(text, true), "M\xFC"
                                   "ller_42_");
    EXPECT_EQ(cleaned("Stra\xDF"
                      "e",
                      true),
              "Stra_e");
    EXPECT_EQ(cleaned("a\tb\rc", false), "a_b_c");
    EXPECT_EQ(cleaned("caf\xE9", false), "caf_");
    EXPECT_EQ(cleaned("two\nlines", false), "two\nlines");
    EXPECT_EQ(cleaned("two\nlines", true), "two_lines");
    EXPECT_EQ(cleaned("", true), "");
}

TEST(CharacterSet, HostCleaningKeepsLengthAndHandlesCharactersBeyondLatin1) {
    wxString text = wxString::FromUTF8("\xC3\xA4 \xE2\x82\xAC\xF0\x9F\x98\x80.");
    const size_t length = text.length();
    clean_host_string(text, false);
    EXPECT_EQ(text.length(), length);
    EXPECT_EQ(text, wxString::FromUTF8("\xC3\xA4 __."));
    clean_host_string(text, true);
    EXPECT_EQ(text, wxString::FromUTF8("\xC3\xA4____"));
}

TEST(CharacterSet, TrimmingRemovesTrailingWhiteSpaceOnly) {
    EXPECT_EQ(trimmed("  a\tb \t\r\n "), "  a\tb");
    EXPECT_EQ(trimmed(" \t\n\r "), "");
    EXPECT_EQ(trimmed(""), "");
    EXPECT_EQ(trimmed("x\v"), "x\v"); // only the four characters count
}

TEST(CharacterSet, DeviceToHostGivesOneCharacterPerByte) {
    EXPECT_EQ(to_host("caf\xE9"), wxT("caf_"));
    EXPECT_EQ(to_host("\xC4\xD6\xDC\xDF\xA7\xB0\xB4\n"),
              wxString::FromUTF8("\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F\xC2\xA7\xC2\xB0\xC2\xB4\n"));
    wxString out = wxT("old");
    convert_device_to_host_string("", out);
    EXPECT_TRUE(out.empty());
}

TEST(CharacterSet, HostToDeviceReplacesOrDropsAndRespectsCapacity) {
    const wxString euro = wxString::FromUTF8("5 \xE2\x82\xAC\n");
    EXPECT_EQ(to_device(euro, true), "5 _\n");
    EXPECT_EQ(to_device(euro, false), "5 \n");
    EXPECT_EQ(to_device(wxString::FromUTF8("\xC3\xBC"), true), "\xFC");

    EXPECT_EQ(to_device(wxT("abcdefghij"), true, 3), "ab");
    EXPECT_EQ(to_device(wxT("abc"), true, 1), "");
    EXPECT_EQ(to_device(wxT(""), true), "");

    char untouched[4] = {'Z', 'Z', 'Z', '\0'};
    convert_host_to_device_string(wxT("abc"), untouched, 0, true);
    EXPECT_STREQ(untouched, "ZZZ");

    // Dropped characters do not use up the capacity.
    EXPECT_EQ(to_device(wxString::FromUTF8("\xE2\x82\xAC\xE2\x82\xAC"
                                           "ab"),
                        false, 3),
              "ab");
}

TEST(CharacterSet, EveryCharacterOutsideTheSetBecomesUnderscore) {
    for (int value = 1; value < 256; ++value) {
        const char source[2] = {static_cast<char>(value), '\0'};
        const bool member = in_set(value);
        const std::string expected = member ? source : "_";
        EXPECT_EQ(cleaned(source, false), expected) << "byte " << value;
        const wxString host = to_host(source);
        ASSERT_EQ(host.length(), 1u);
        EXPECT_EQ(static_cast<uint32_t>(host[0].GetValue()), member ? value : '_');
        char back[4];
        convert_host_to_device_string(host, back, sizeof(back), true);
        EXPECT_EQ(std::string(back), expected) << "byte " << value;
    }
    // Host characters, also beyond one byte, are judged by the same set.
    for (uint32_t code = 1; code < 0x400; ++code) {
        wxString text(wxUniChar(code), 1);
        const bool member = in_set(code);
        clean_host_string(text, false);
        EXPECT_EQ(static_cast<uint32_t>(text[0].GetValue()), member ? code : '_') << code;
        EXPECT_EQ(to_device(wxString(wxUniChar(code), 1), false).size(), member ? 1u : 0u) << code;
    }
}
