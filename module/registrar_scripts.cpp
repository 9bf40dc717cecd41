// The registrar scripts, written from the class map so that the registry says what the map
// can create.
#include "module/registrar_scripts.h"

#include "contentelements/cnt_types.h"
#include "module/class_map.h"

namespace cnt::module {
namespace {

constexpr char16_t kAppIdText[] = uR"(HKCR
{
    NoRemove AppID
    {
        '%APPID%' = s 'ContentElements'
        'CntElements.DLL'
        {
            val AppID = s '%APPID%'
        }
    }
}
)";

// A class's script: both ProgIDs, and its key under CLSID, rewritten whole on registration.
std::u16string class_script(const class_entry& c)
{
    const std::u16string clsid = com::format_guid_u16(*c.clsid);
    const std::u16string libid = com::format_guid_u16(LIBID_ContentElementsLib);
    const std::u16string progid = std::u16string(u"Orvane.") + c.coclass;
    const std::u16string versioned = progid + u".1";
    const std::u16string description = std::u16string(c.coclass) + u" Class";
    std::u16string s = u"HKCR\n{\n";
    s += u"    " + versioned + u" = s '" + description + u"'\n    {\n";
    s += u"        CLSID = s '" + clsid + u"'\n    }\n";
    s += u"    " + progid + u" = s '" + description + u"'\n    {\n";
    s += u"        CLSID = s '" + clsid + u"'\n";
    s += u"        CurVer = s '" + versioned + u"'\n    }\n";
    s += u"    NoRemove CLSID\n    {\n";
    s += u"        ForceRemove " + clsid + u" = s '" + description + u"'\n        {\n";
    s += u"            val AppID = s '%APPID%'\n";
    s += u"            ProgID = s '" + versioned + u"'\n";
    s += u"            VersionIndependentProgID = s '" + progid + u"'\n";
    s += u"            ForceRemove Programmable\n";
    s += u"            InprocServer32 = s '%MODULE%'\n            {\n";
    s += u"                val ThreadingModel = s 'Apartment'\n            }\n";
    s += u"            TypeLib = s '" + libid + u"'\n        }\n    }\n}\n";
    return s;
}

}  // namespace

bool registrar_script(WORD id, std::u16string* text)
{
    if (id == kAppIdScript) {
        *text = kAppIdText;
        return true;
    }
    for (const class_entry& c : class_map()) {
        if (c.script != id) continue;
        *text = class_script(c);
        return true;
    }
    return false;
}

}  // namespace cnt::module
