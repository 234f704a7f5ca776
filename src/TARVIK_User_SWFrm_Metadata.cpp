// The main window's BWF metadata button.
#include "TARVIK_User_SWFrm.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "MetaDataDlg.h"
#include "protocol.h"
#include "string_conversion.h"

namespace {

const char* const DEVICE_ROOT = "/tarvik/";

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
    link_frame request;
    frame_init(&request, CMD_READ_FILE, name);
    frame_set_text(&request, "");
    link_frame answer;
    std::memset(&answer, 0, sizeof(answer));

    COMPORT.Wait();
    send_command(&request);
    const int answered = recv_command_safer(&answer, CMD_ANSWER, name, 1);
    COMPORT.Post();

    if (!answered) {
        append_text(serial, "noserial");
        return;
    }
    std::string text = frame_text(&answer);
    text.erase(text.find_last_not_of(" \t\r\n") + 1);
    append_text(serial, text);
}

void fill_record(BWF_META_DATA& meta, int preset) {
    meta.editable = stored_value(SETTING_ALLOW_EDIT_META_DATA, preset) == "1" ? 1 : 0;
    for (T_SETTING_ELEMENTS piece : DESCRIPTION_PIECES)
        append_text(meta.description, stored_value(piece, preset));
    append_text(meta.originator, stored_value(SETTING_REC_META_ORIGINATOR, preset));
    append_text(meta.countryCode, stored_value(SETTING_REC_META_CC, preset));
    append_text(meta.organisationCode, stored_value(SETTING_REC_META_OOO, preset));
}

// The description goes back in runs as long as a stored value: each piece takes what the
// previous ones left, and pieces past its end are emptied.
void store_record(const BWF_META_DATA& meta, int preset) {
    const std::string description = field_text(meta.description);
    size_t taken = 0;
    for (T_SETTING_ELEMENTS piece : DESCRIPTION_PIECES) {
        const bool first = piece == SETTING_REC_META_DESCRIPTION0;
        if (first || description.size() > taken) {
            set_value(piece, preset, description.substr(taken).c_str());
            taken += stored_value(piece, preset).size();
        } else {
            set_value(piece, preset, "");
        }
    }
    set_value(SETTING_REC_META_ORIGINATOR, preset, field_text(meta.originator).c_str());
    set_value(SETTING_REC_META_CC, preset, field_text(meta.countryCode).c_str());
    set_value(SETTING_REC_META_OOO, preset, field_text(meta.organisationCode).c_str());
}

} // namespace

void TARVIK_User_SWFrm::MetaDataBtnClick(wxCommandEvent& WXUNUSED(event)) {
    const int preset = m_activePreset;
    BWF_META_DATA meta;
    std::memset(&meta, 0, sizeof(meta));
    read_serial_number(meta.serialNumber);
    fill_record(meta, preset);

    auto* dialog = new MetaDataDlg(this, &meta, 1, wxT("BWF Metadata"), wxDefaultPosition,
                                   wxDefaultSize, wxCAPTION);
    dialog->ShowModal();
    // Ok in an editable dialog is the only way out that leaves the record editable.
    if (meta.editable) {
        store_record(meta, preset);
        if (m_connected) {
            for (int s = SETTING_REC_META_DESCRIPTION0; s <= SETTING_REC_META_OOO; ++s)
                SettingToDevice(static_cast<T_SETTING_ELEMENTS>(s));
        }
    }
    dialog->Destroy();
}
