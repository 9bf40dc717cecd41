// QR configurations: INI files (section "qrcode") under "\Orvane\QRCode\" in the program files
// folder, one folder per three-letter language, each with an optional template page (a stored
// document of the same name with the extension ".pjd") beside it.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/types.h"

namespace cnt::qrcode {

// One INI file read; all text in the ANSI code page, positions in tenths of a millimetre on
// the template page. A source without a name uses the all-zero record: black, no template.
struct configuration {
    std::string title;          // the INI file's name without its extension
    std::string display_name;   // key "name"
    LONG left = 0, top = 0, size = 0;
    std::string ini_path;
    std::string template_path;  // ini_path with the extension ".pjd"
    OLE_COLOR colour = 0;       // of the dark modules
};

// The first configuration that `name` (which may hold wildcards, and "\" to skip the language
// folder) finds for `language` (empty: the user's default). S_OK when found, S_FALSE when
// none is, E_OUTOFMEMORY.
HRESULT find_configuration(std::string_view name, std::string_view language,
                           configuration* out) noexcept;

}  // namespace cnt::qrcode
