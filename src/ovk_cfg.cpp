#include "ovk_cfg.h"

#include <climits>
#include <cstdlib>

#include <wx/config.h>
#include <wx/convauto.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/utils.h>

namespace {

const char* const PORT_KEY = "/Global/LastCOMPort";

void launch_default_browser(const wxString& path) {
    wxLaunchDefaultBrowser(path, 0);
}

// GTK's per-user data folder is ~/.<app>, whose parent is the home folder itself; the XDG
// data folder plays the part of the per-user application data root instead.
wxString user_data_root() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return wxString::FromUTF8(xdg);
    return wxGetHomeDir() + "/.local/share";
}

} // namespace

void (*open_in_browser)(const wxString& path) = launch_default_browser;

wxString ovk_cfg_path(void) {
    wxFileName name = wxFileName::DirName(user_data_root());
    name.AppendDir("HarrowDyn");
    name.SetFullName("oVk.cfg");
    return name.GetFullPath();
}

int ovk_cfg_init(void) {
    const wxFileName name(ovk_cfg_path());
    // A folder or file that cannot be made, read or written only loses the remembered port:
    // no messages.
    wxLogNull quiet;
    // A new account may lack ~/.local/share too: without the whole path nothing is ever kept.
    if (name.IsOk() && !wxFileName::DirExists(name.GetPath()))
        wxFileName::Mkdir(name.GetPath(), 0777, wxPATH_MKDIR_FULL);
    wxConfigBase::Set(new wxFileConfig(wxEmptyString, wxEmptyString, name.GetFullPath(),
                                       wxEmptyString, wxCONFIG_USE_LOCAL_FILE, wxConvAuto()));
    return 0;
}

void ovk_cfg_done(void) {
    wxConfigBase* config = wxConfigBase::Get();
    if (!config)
        return;
    wxConfigBase::Set(nullptr);
    wxLogNull quiet;
    delete config; // writes the file
}

int get_default_port(void) {
    wxConfigBase* config = wxConfigBase::Get();
    long port = 0;
    // A value beyond an int does not read as a port index either.
    if (!config || !config->Read(PORT_KEY, &port) || port < INT_MIN || port > INT_MAX)
        return 0;
    return static_cast<int>(port);
}

void set_default_port(int port) {
    wxConfigBase* config = wxConfigBase::Get();
    if (config)
        config->Write(PORT_KEY, static_cast<long>(port));
}

wxString help_document_path(const wxString& executable) {
    wxFileName name(executable);
    name.SetFullName("index.htm");
    for (int i = 0; i < 3; ++i)
        name.AppendDir("..");
    name.AppendDir("Doc");
    return name.GetFullPath();
}
