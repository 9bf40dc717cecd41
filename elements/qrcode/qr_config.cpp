// Finding and reading a QR configuration through the shell services.
#include "elements/qrcode/qr_config.h"

#include <new>

#include "platform/shell/file_info.h"
#include "platform/shell/find_file.h"
#include "platform/shell/folders.h"
#include "platform/shell/locale_info.h"
#include "platform/shell/profile.h"

namespace cnt::qrcode {
namespace {

constexpr const char* kSection = "qrcode";
// Buffer sizes of the record's fields, terminator included.
constexpr std::size_t kTitle = 256;
constexpr std::size_t kDisplayName = 512;
constexpr std::size_t kPath = MAX_PATH;

// Text cut to what a fixed buffer of `size` characters with its NUL holds.
std::string fit(std::string text, std::size_t size)
{
    if (text.size() >= size) text.resize(size - 1);
    return text;
}

// Where the file name of a path begins.
std::size_t name_start(std::string_view path) noexcept
{
    const std::size_t sep = path.find_last_of("\\/");
    return sep == std::string_view::npos ? 0 : sep + 1;
}

// The position of the extension's dot in the file name part, or npos.
std::size_t extension_dot(std::string_view path) noexcept
{
    const std::size_t start = name_start(path);
    const std::size_t dot = path.rfind('.');
    return dot == std::string_view::npos || dot < start ? std::string_view::npos : dot;
}

std::string user_language()
{
    const LANGID user = GetUserDefaultLangID();
    const LCID lcid = MAKELCID(MAKELANGID(PRIMARYLANGID(user), SUBLANG_DEFAULT), SORT_DEFAULT);
    char abbreviation[4] = {};
    if (GetLocaleInfoA(lcid, LOCALE_SABBREVLANGNAME, abbreviation, 4) == 0) return {};
    return abbreviation;
}

// The folder of the configurations: base itself for a name with a "\", else the language's
// folder, else the first three-letter folder below base. Empty when there is none.
std::string configuration_folder(const std::string& base, std::string_view name,
                                 std::string_view language)
{
    if (name.find('\\') != std::string_view::npos) return base;
    std::string wanted(language);
    if (wanted.empty()) wanted = user_language();
    if (!wanted.empty()) {
        const std::string folder = base + wanted;
        if (PathIsDirectoryA(folder.c_str())) return folder + "\\";
    }
    WIN32_FIND_DATAA found{};
    const std::string pattern = base + "???";
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string folder;
    do {
        const std::string_view entry(found.cFileName);
        if (entry.size() == 3 && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            folder = base + std::string(entry) + "\\";
            break;
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return folder;
}

void read_keys(configuration& c)
{
    const char* ini = c.ini_path.c_str();
    c.left = static_cast<LONG>(GetPrivateProfileIntA(kSection, "left", 0, ini));
    c.top = static_cast<LONG>(GetPrivateProfileIntA(kSection, "top", 0, ini));
    c.size = static_cast<LONG>(GetPrivateProfileIntA(kSection, "size", 0, ini));
    char display[kDisplayName] = {};
    GetPrivateProfileStringA(kSection, "name", "", display, kDisplayName, ini);
    c.display_name = display;
    c.colour = static_cast<OLE_COLOR>(GetPrivateProfileIntA(kSection, "color", 0, ini));
}

HRESULT find(std::string_view name, std::string_view language, configuration* out)
{
    char program_files[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT,
                                program_files)))
        return S_FALSE;
    const std::string base = std::string(program_files) + "\\Orvane\\QRCode\\";
    const std::string folder = configuration_folder(base, name, language);
    if (folder.empty()) return S_FALSE;

    std::string pattern = folder + std::string(name);
    if (extension_dot(name) == std::string_view::npos) pattern += ".ini";
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return S_FALSE;
    FindClose(search);

    // Only the first file found is the configuration, so the enumeration ends here.
    configuration c;
    const std::string file(found.cFileName);
    const std::size_t dot = extension_dot(file);
    c.title = fit(dot == std::string::npos ? file : file.substr(0, dot), kTitle);
    c.ini_path = fit(pattern.substr(0, name_start(pattern)) + file, kPath);
    const std::size_t ini_dot = extension_dot(c.ini_path);
    c.template_path =
        fit((ini_dot == std::string::npos ? c.ini_path : c.ini_path.substr(0, ini_dot)) + ".pjd",
            kPath);
    read_keys(c);
    *out = std::move(c);
    return S_OK;
}

}  // namespace

HRESULT find_configuration(std::string_view name, std::string_view language,
                           configuration* out) noexcept
{
    try {
        return find(name, language, out);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace cnt::qrcode
