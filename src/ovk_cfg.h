// The preferences file (the port that last connected) and the help document.
#pragma once

#include <wx/string.h>

int ovk_cfg_init(void);
void ovk_cfg_done(void);
int get_default_port(void);
void set_default_port(int port);

// Where the preferences live: <XDG data folder>/HarrowDyn/oVk.cfg.
wxString ovk_cfg_path(void);

// The help document of an executable: <its folder>/../../../Doc/index.htm, not normalised.
wxString help_document_path(const wxString& executable);

// Opens a document in the default browser. Tests point it elsewhere to see what would open.
extern void (*open_in_browser)(const wxString& path);
