// POSIX locale names to Windows language ids and the locale items read from them.
#include "platform/shell/locale_info.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/com/codepage.h"

namespace {

struct locale_entry {
    LANGID id;
    const char* language;   // ISO 639
    const char* territory;  // ISO 3166
    const char* abbreviation;
};

// The first entry of each language is its primary locale (sublanguage 1), except Spanish and
// Chinese, whose sublanguage 1 is listed where Windows puts it.
constexpr locale_entry locales[] = {
    {0x0409, "en", "US", "ENU"}, {0x0809, "en", "GB", "ENG"}, {0x0C09, "en", "AU", "ENA"},
    {0x1009, "en", "CA", "ENC"}, {0x1809, "en", "IE", "ENI"}, {0x1409, "en", "NZ", "ENZ"},
    {0x0407, "de", "DE", "DEU"}, {0x0C07, "de", "AT", "DEA"}, {0x0807, "de", "CH", "DES"},
    {0x1007, "de", "LU", "DEL"}, {0x1407, "de", "LI", "DEC"},
    {0x040C, "fr", "FR", "FRA"}, {0x080C, "fr", "BE", "FRB"}, {0x0C0C, "fr", "CA", "FRC"},
    {0x100C, "fr", "CH", "FRS"}, {0x140C, "fr", "LU", "FRL"},
    {0x0410, "it", "IT", "ITA"}, {0x0810, "it", "CH", "ITS"},
    {0x0413, "nl", "NL", "NLD"}, {0x0813, "nl", "BE", "NLB"},
    {0x0416, "pt", "BR", "PTB"}, {0x0816, "pt", "PT", "PTG"},
    {0x0C0A, "es", "ES", "ESN"}, {0x040A, "es", "ES", "ESP"}, {0x080A, "es", "MX", "ESM"},
    {0x0804, "zh", "CN", "CHS"}, {0x0404, "zh", "TW", "CHT"},
    {0x041D, "sv", "SE", "SVE"}, {0x0411, "ja", "JP", "JPN"}, {0x0406, "da", "DK", "DAN"},
    {0x040B, "fi", "FI", "FIN"}, {0x040E, "hu", "HU", "HUN"}, {0x0405, "cs", "CZ", "CSY"},
    {0x0408, "el", "GR", "ELL"}, {0x0414, "nb", "NO", "NOR"}, {0x0415, "pl", "PL", "PLK"},
    {0x0419, "ru", "RU", "RUS"}, {0x041F, "tr", "TR", "TRK"}, {0x0412, "ko", "KR", "KOR"},
    {0x041B, "sk", "SK", "SKY"}, {0x0424, "sl", "SI", "SLV"}, {0x041A, "hr", "HR", "HRV"},
    {0x0418, "ro", "RO", "ROM"}, {0x0402, "bg", "BG", "BGR"}, {0x0422, "uk", "UA", "UKR"},
    {0x040D, "he", "IL", "HEB"}, {0x0401, "ar", "SA", "ARA"}, {0x0403, "ca", "ES", "CAT"},
    {0x040F, "is", "IS", "ISL"}, {0x0425, "et", "EE", "ETI"}, {0x0426, "lv", "LV", "LVI"},
    {0x0427, "lt", "LT", "LTH"}, {0x041E, "th", "TH", "THA"}, {0x0421, "id", "ID", "IND"},
    {0x042A, "vi", "VN", "VIT"},
    {0x007F, "iv", "IV", "IVL"},
};

constexpr LANGID kEnglishUs = 0x0409;

const locale_entry* find_id(LANGID id) noexcept
{
    for (const locale_entry& entry : locales)
        if (entry.id == id) return &entry;
    return nullptr;
}

std::mutex override_lock;
std::optional<std::string> locale_override;

std::string current_locale_name()
{
    {
        std::lock_guard<std::mutex> hold(override_lock);
        if (locale_override) return *locale_override;
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return {};
}

LANGID resolve(LCID locale) noexcept
{
    LANGID id = LANGIDFROMLCID(locale);
    if (id == LOCALE_NEUTRAL || id == LOCALE_USER_DEFAULT || id == LOCALE_SYSTEM_DEFAULT ||
        id == MAKELANGID(LANG_NEUTRAL, SUBLANG_SYS_DEFAULT))
        return GetUserDefaultLangID();
    if (SUBLANGID(id) == SUBLANG_NEUTRAL && PRIMARYLANGID(id) != LANG_INVARIANT)
        id = MAKELANGID(PRIMARYLANGID(id), SUBLANG_DEFAULT);
    return id;
}

template <typename Char>
int hand_out(LCID locale, LCTYPE type, Char* buffer, int size) noexcept
{
    if (size < 0 || (size > 0 && !buffer)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const locale_entry* entry = find_id(resolve(locale));
    if (!entry) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    char text[8];
    switch (type & ~(LOCALE_NOUSEROVERRIDE | LOCALE_USE_CP_ACP)) {
    case LOCALE_ILANGUAGE: std::snprintf(text, sizeof text, "%04x", entry->id); break;
    case LOCALE_SABBREVLANGNAME: std::snprintf(text, sizeof text, "%s", entry->abbreviation); break;
    case LOCALE_SISO639LANGNAME: std::snprintf(text, sizeof text, "%s", entry->language); break;
    case LOCALE_SISO3166CTRYNAME: std::snprintf(text, sizeof text, "%s", entry->territory); break;
    default: SetLastError(ERROR_INVALID_FLAGS); return 0;
    }
    const int needed = static_cast<int>(std::strlen(text)) + 1;
    if (size == 0) return needed;
    if (size < needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (int i = 0; i < needed; ++i) buffer[i] = static_cast<Char>(text[i]);
    return needed;
}

}  // namespace

namespace shell {

void set_locale_override(std::optional<std::string> posix_locale)
{
    std::lock_guard<std::mutex> hold(override_lock);
    locale_override = std::move(posix_locale);
}

LANGID langid_from_posix_locale(std::string_view name) noexcept
{
    name = name.substr(0, name.find_first_of(".@"));
    const std::size_t underscore = name.find('_');
    std::string language(name.substr(0, underscore));
    std::string territory(underscore == std::string_view::npos ? std::string_view()
                                                               : name.substr(underscore + 1));
    for (char& c : language) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 0x20 : c);
    for (char& c : territory) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 0x20 : c);
    if (language == "no" || language == "nn") language = "nb";
    const locale_entry* primary = nullptr;
    for (const locale_entry& entry : locales) {
        if (language != entry.language || entry.id == LOCALE_INVARIANT) continue;
        if (territory == entry.territory) return entry.id;
        if (!primary) primary = &entry;
    }
    return primary ? primary->id : kEnglishUs;
}

}  // namespace shell

LANGID GetUserDefaultLangID() noexcept
{
    try {
        return shell::langid_from_posix_locale(current_locale_name());
    } catch (...) {
        return kEnglishUs;
    }
}

LCID GetUserDefaultLCID() noexcept { return MAKELCID(GetUserDefaultLangID(), SORT_DEFAULT); }
LANGID GetSystemDefaultLangID() noexcept { return GetUserDefaultLangID(); }
LCID GetSystemDefaultLCID() noexcept { return GetUserDefaultLCID(); }

namespace {
thread_local LCID thread_locale = 0;  // 0: not set, the user's
}  // namespace

LCID GetThreadLocale() noexcept { return thread_locale ? thread_locale : GetUserDefaultLCID(); }

BOOL SetThreadLocale(LCID locale) noexcept
{
    const locale_entry* entry = find_id(resolve(locale));
    if (!entry) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    thread_locale = MAKELCID(entry->id, SORT_DEFAULT);
    return TRUE;
}

int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size) noexcept
{
    return hand_out(locale, type, buffer, size);
}

int GetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR buffer, int size) noexcept
{
    return hand_out(locale, type, buffer, size);
}
