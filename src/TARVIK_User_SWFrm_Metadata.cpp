// The main window's BWF metadata button.
#include "TARVIK_User_SWFrm.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <tuple>

#include "MetaDataDlg.h"
#include "protocol.h"
#include "string_conversion.h"

namespace {

// What values read from the device lose at their end.
const char* const TRAILING_SPACE = " \t\r\n";

constexpr T_SETTING_ELEMENTS DESCRIPTION_PIECES[] = {
    SETTING_REC_META_DESCRIPTION0, SETTING_REC_META_DESCRIPTION1, SETTING_REC_META_DESCRIPTION2,
    SETTING_REC_META_DESCRIPTION3, SETTING_REC_META_DESCRIPTION4,
};

std::string stored_value(int setting, int preset) {
    const char* value = current_settings[setting][preset].value;
    return std::string(value, strnlen(value, SETTING_VALUE_SIZE));
}

// Appends as much of the text as the field still holds, keeping its NUL.
template <size_t N> void append_text(char (&field)[N], const std::string& text) {
    const size_t used = strnlen(field, N - 1);
    const size_t count = std::min(text.size(), N - 1 - used);
    std::memcpy(field + used, text.data(), count);
    field[used + count] = '\0';
}

template <size_t N> std::string field_text(const char (&field)[N]) {
    return std::string(field, strnlen(field, N));
}

// One receive attempt only: a device without a serial number must not hold up the dialog.
template <size_t N> void read_serial_number(char (&serial)[N]) {
    char name[sizeof(link_frame::name)];
    std::snprintf(name, sizeof(name), "%sserialnumber", DEVICE_ROOT);
    link_frame answer;
    if (!device_exchange(&answer, CMD_READ_FILE, name, "", WAIT_FOR_ANSWER, 1)) {
        append_text(serial, "noserial");
        return;
    }
    std::string text = frame_text(&answer);
    text.erase(text.find_last_not_of(TRAILING_SPACE) + 1);
    append_text(serial, text);
}

void fill_record(BWF_META_DATA& meta, int preset) {
    // Nothing of the default preset may be written, so there the dialog only shows.
    meta.editable =
        preset != 0 && stored_value(SETTING_ALLOW_EDIT_META_DATA, preset) == "1" ? 1 : 0;
    for (T_SETTING_ELEMENTS piece : DESCRIPTION_PIECES)
        append_text(meta.description, stored_value(piece, preset));
    append_text(meta.originator, stored_value(SETTING_REC_META_ORIGINATOR, preset));
    append_text(meta.countryCode, stored_value(SETTING_REC_META_CC, preset));
    append_text(meta.organisationCode, stored_value(SETTING_REC_META_OOO, preset));
}

constexpr size_t PIECE_MAX = SETTING_VALUE_SIZE - 1;
constexpr size_t PIECE_COUNT = sizeof(DESCRIPTION_PIECES) / sizeof(DESCRIPTION_PIECES[0]);

// The next run of the description for piece i. Values read back from the device lose their
// trailing white space, so a run that would end in white space ends before it and the white
// space opens the next piece, as long as the pieces after it still hold the rest.
std::string next_run(const std::string& description, size_t taken, size_t i) {
    std::string run = description.substr(taken, PIECE_MAX);
    const size_t rest = description.size() - taken;
    const size_t kept = run.find_last_not_of(TRAILING_SPACE) + 1; // 0 when all of it is white space
    if (run.size() < rest && kept > 0 && rest - kept <= (PIECE_COUNT - 1 - i) * PIECE_MAX)
        run.resize(kept);
    return run;
}

// The description goes back in runs as long as a stored value: each piece takes what the
// previous ones left, and pieces past its end are emptied.
void store_description(const BWF_META_DATA& meta, int preset) {
    const std::string description = field_text(meta.description);
    size_t taken = 0;
    for (size_t i = 0; i < PIECE_COUNT; ++i) {
        const T_SETTING_ELEMENTS piece = DESCRIPTION_PIECES[i];
        if (i == 0 || description.size() > taken) {
            set_value(piece, preset, next_run(description, taken, i).c_str());
            taken += stored_value(piece, preset).size();
        } else {
            set_value(piece, preset, "");
        }
    }
}

} // namespace

// What Ok stores and writes. A field that still shows the default put in place of a value the
// device did not give at this connect is not the device's text: it is stored and written over
// that text only once the user has changed it. The description is one field over five
// settings: while one of them holds such a default and the user left it, none is repacked.
void TARVIK_User_SWFrm::StoreMetaData(const BWF_META_DATA& meta, const BWF_META_DATA& shown) {
    const int preset = m_activePreset;
    const auto left_alone = [&](const std::string& now, const std::string& before, int first,
                                int last) {
        bool missing = false;
        for (int s = first; s <= last; ++s) {
            if (now != before)
                MarkMissing(s, preset, false);
            missing = missing || IsMissing(s);
        }
        return missing;
    };
    if (!left_alone(field_text(meta.description), field_text(shown.description),
                    SETTING_REC_META_DESCRIPTION0, SETTING_REC_META_DESCRIPTION4))
        store_description(meta, preset);
    const std::tuple<T_SETTING_ELEMENTS, std::string, std::string> fields[] = {
        {SETTING_REC_META_ORIGINATOR, field_text(meta.originator), field_text(shown.originator)},
        {SETTING_REC_META_CC, field_text(meta.countryCode), field_text(shown.countryCode)},
        {SETTING_REC_META_OOO, field_text(meta.organisationCode),
         field_text(shown.organisationCode)},
    };
    for (const auto& [setting, now, before] : fields)
        if (!left_alone(now, before, setting, setting))
            set_value(setting, preset, now.c_str());
    if (!m_connected)
        return;
    for (int s = SETTING_REC_META_DESCRIPTION0; s <= SETTING_REC_META_OOO; ++s)
        if (!IsMissing(s))
            SettingToDevice(static_cast<T_SETTING_ELEMENTS>(s));
}

void TARVIK_User_SWFrm::MetaDataBtnClick(wxCommandEvent& WXUNUSED(event)) {
    const int preset = m_activePreset;
    BWF_META_DATA meta;
    std::memset(&meta, 0, sizeof(meta));
    read_serial_number(meta.serialNumber);
    fill_record(meta, preset);

    const BWF_META_DATA shown = meta;
    auto* dialog = new MetaDataDlg(this, &meta, 1, wxT("BWF Metadata"), wxDefaultPosition,
                                   wxDefaultSize, wxCAPTION);
    dialog->ShowModal();
    // Ok in an editable dialog is the only way out that leaves the record editable.
    if (meta.editable)
        StoreMetaData(meta, shown);
    dialog->Destroy();
}
