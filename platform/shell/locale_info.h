// The user's locale: GetUserDefaultLangID / LCID, GetSystemDefaultLangID / LCID and
// GetLocaleInfoA/W for the few items the library reads.
//
// The user locale is the first non-empty of LC_ALL, LC_MESSAGES and LANG (or
// shell::set_locale_override), as "language_TERRITORY[.codeset][@modifier]". "C", "POSIX", an
// empty setting and an unknown language are en_US; a known language in an unknown territory is
// that language's primary locale (de_LU → de_DE). The system locale is the same.
//
// GetLocaleInfo knows LOCALE_ILANGUAGE ("0407"), LOCALE_SABBREVLANGNAME ("DEU"),
// LOCALE_SISO639LANGNAME ("de") and LOCALE_SISO3166CTRYNAME ("DE"); other items fail with
// ERROR_INVALID_FLAGS. It returns the characters written with the NUL, or with size 0 the
// characters needed; 0 with ERROR_INSUFFICIENT_BUFFER when the buffer is too small (nothing is
// written), ERROR_INVALID_PARAMETER for an unknown locale id or a null buffer with a size.
// LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT, LOCALE_NEUTRAL and a language with the neutral
// sublanguage all resolve as Windows resolves them.
#pragma once

#include "platform/com/codepage.h"
#include "platform/com/variant.h"
#include "platform/shell/overrides.h"
#include "platform/shell/shell_types.h"

constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD LANG_INVARIANT = 0x7F;
constexpr WORD LANG_ENGLISH = 0x09;
constexpr WORD LANG_GERMAN = 0x07;
constexpr WORD SUBLANG_NEUTRAL = 0x00;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr WORD SUBLANG_SYS_DEFAULT = 0x02;
constexpr WORD SORT_DEFAULT = 0x0;

constexpr LANGID MAKELANGID(WORD primary, WORD sub) noexcept
{
    return static_cast<LANGID>((sub << 10) | primary);
}
constexpr WORD PRIMARYLANGID(LANGID id) noexcept { return static_cast<WORD>(id & 0x3FF); }
constexpr WORD SUBLANGID(LANGID id) noexcept { return static_cast<WORD>(id >> 10); }
constexpr LCID MAKELCID(LANGID id, WORD sort) noexcept
{
    return (static_cast<LCID>(sort) << 16) | id;
}
constexpr LANGID LANGIDFROMLCID(LCID id) noexcept { return static_cast<LANGID>(id & 0xFFFF); }

// LOCALE_NEUTRAL, LOCALE_INVARIANT, LOCALE_USER_DEFAULT and LOCALE_SYSTEM_DEFAULT come with the
// variant conversions, which take them too.

constexpr LCTYPE LOCALE_ILANGUAGE = 0x0001;
constexpr LCTYPE LOCALE_SABBREVLANGNAME = 0x0003;
constexpr LCTYPE LOCALE_SISO639LANGNAME = 0x0059;
constexpr LCTYPE LOCALE_SISO3166CTRYNAME = 0x005A;
constexpr LCTYPE LOCALE_NOUSEROVERRIDE = 0x80000000;
constexpr LCTYPE LOCALE_USE_CP_ACP = 0x40000000;

LANGID GetUserDefaultLangID() noexcept;
LCID GetUserDefaultLCID() noexcept;
LANGID GetSystemDefaultLangID() noexcept;
LCID GetSystemDefaultLCID() noexcept;

// The calling thread's locale: the user's until the thread sets another. SetThreadLocale takes
// LOCALE_USER_DEFAULT and LOCALE_SYSTEM_DEFAULT as the ids they stand for; FALSE with
// ERROR_INVALID_PARAMETER for a locale GetLocaleInfo does not know.
LCID GetThreadLocale() noexcept;
BOOL SetThreadLocale(LCID locale) noexcept;

int GetLocaleInfoA(LCID locale, LCTYPE type, LPSTR buffer, int size) noexcept;
int GetLocaleInfoW(LCID locale, LCTYPE type, LPWSTR buffer, int size) noexcept;

namespace shell {

// The language id a POSIX locale name stands for, by the rules above.
LANGID langid_from_posix_locale(std::string_view name) noexcept;

}  // namespace shell
