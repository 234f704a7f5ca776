#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "string_conversion.h"

namespace {

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

TEST(CharacterSet, TablesAreParallelDistinctAndStrictPartEndsAtUnderscore) {
    std::set<unsigned char> seen;
    for (int i = 0; i < DEV_CHAR_COUNT; ++i) {
        EXPECT_EQ(HOST_valid_chars[i], DEV_valid_chars[i]) << "index " << i;
        EXPECT_TRUE(seen.insert(DEV_valid_chars[i]).second) << "duplicate at " << i;
    }
    EXPECT_EQ(DEV_valid_chars[STRICT_CHAR_COUNT - 1], '_');
    EXPECT_EQ(DEV_valid_chars[STRICT_CHAR_COUNT], 0xDF); // sharp s is outside the strict set
    EXPECT_EQ(DEV_valid_chars[DEV_CHAR_COUNT - 1], '\n');
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

TEST(CharacterSet, RoundTripOverEveryByteValue) {
    const std::set<unsigned char> members(DEV_valid_chars, DEV_valid_chars + DEV_CHAR_COUNT);
    for (int value = 1; value < 256; ++value) {
        const char source[2] = {static_cast<char>(value), '\0'};
        wxString host;
        convert_device_to_host_string(source, host);
        ASSERT_EQ(host.length(), 1u);
        char back[4];
        convert_host_to_device_string(host, back, sizeof(back), true);
        const unsigned char expected = members.count(value) ? value : '_';
        EXPECT_EQ(static_cast<unsigned char>(back[0]), expected) << "byte " << value;
        EXPECT_EQ(back[1], '\0');
    }
}
