// ANSI and UTF-8 text conversion: MultiByteToWideChar and WideCharToMultiByte.
//
// The ANSI code page of this system is Windows-1252 everywhere: CP_ACP, CP_THREAD_ACP and 1252
// all name it, and GetACP() says so. CP_UTF8 is the only other code page; any other number
// fails with ERROR_INVALID_PARAMETER. Errors are reported through SetLastError.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/last_error.h"
#include "platform/com/types.h"

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

// MultiByteToWideChar flags. MB_PRECOMPOSED is the (ignored) default; MB_COMPOSITE and
// MB_USEGLYPHCHARS are not supported and fail with ERROR_INVALID_FLAGS.
constexpr DWORD MB_PRECOMPOSED = 0x1;
constexpr DWORD MB_COMPOSITE = 0x2;
constexpr DWORD MB_USEGLYPHCHARS = 0x4;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;

// WideCharToMultiByte flags. Only WC_NO_BEST_FIT_CHARS changes what 1252 produces; WC_DEFAULTCHAR
// is accepted and ignored (it only matters with composite checking, which is not supported).
constexpr DWORD WC_COMPOSITECHECK = 0x200;
constexpr DWORD WC_DISCARDNS = 0x10;
constexpr DWORD WC_SEPCHARS = 0x20;
constexpr DWORD WC_DEFAULTCHAR = 0x40;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x80;
constexpr DWORD WC_NO_BEST_FIT_CHARS = 0x400;

constexpr DWORD ERROR_INVALID_FLAGS = 1004;

// Returns the number of characters written (or needed, when `wide_size` is 0), counting the
// terminator when `length` is -1 (a NUL-terminated source). 0 on failure: null or empty source,
// negative sizes (ERROR_INVALID_PARAMETER), a buffer too small (ERROR_INSUFFICIENT_BUFFER),
// bad flags (ERROR_INVALID_FLAGS), invalid UTF-8 with MB_ERR_INVALID_CHARS
// (ERROR_NO_UNICODE_TRANSLATION). Invalid UTF-8 otherwise decodes to U+FFFD.
int MultiByteToWideChar(UINT code_page, DWORD flags, LPCSTR multi_byte, int length,
                        OLECHAR* wide, int wide_size) noexcept;

// The reverse. For 1252, characters outside the code page get a best-fit byte (unless
// WC_NO_BEST_FIT_CHARS) or the default character ('?', or the first byte of `default_char`);
// `*used_default` tells whether the default character was used. For CP_UTF8 both of those
// must be null (ERROR_INVALID_PARAMETER otherwise); unpaired surrogates become U+FFFD, or fail
// with WC_ERR_INVALID_CHARS.
int WideCharToMultiByte(UINT code_page, DWORD flags, const OLECHAR* wide, int length,
                        LPSTR multi_byte, int multi_byte_size, LPCSTR default_char,
                        BOOL* used_default) noexcept;

UINT GetACP() noexcept;

namespace com {

// The ANSI code page's number (Windows has no constant for it).
constexpr UINT code_page_1252 = 1252;

// The library's own conversions to and from the ANSI code page, with flags 0 (best fit on).
// `*lossy` is set when a character had no exact 1252 byte. Both return an empty string when
// memory runs out.
std::string to_ansi(std::u16string_view text, bool* lossy = nullptr) noexcept;
std::u16string from_ansi(std::string_view text) noexcept;

// UTF-8 and UTF-16 as CP_UTF8 converts them, without a length limit: an unpaired surrogate
// becomes U+FFFD, and so does each ill-formed UTF-8 sequence (its longest valid prefix). Both
// return an empty string when memory runs out.
std::string to_utf8(std::u16string_view text) noexcept;
// The code point at text[*i] (which must be in range), advancing *i past it: a surrogate pair
// joined, an unpaired surrogate as itself.
char32_t next_code_point(std::u16string_view text, std::size_t* i) noexcept;
std::u16string from_utf8(std::string_view text) noexcept;

}  // namespace com
