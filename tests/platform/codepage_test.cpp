// Windows-1252 and UTF-8 conversions: round trips, best fit, default characters, buffer rules.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/com/codepage.h"

namespace {

std::string encode(UINT cp, std::u16string_view text, DWORD flags = 0, BOOL* used = nullptr,
                   LPCSTR default_char = nullptr)
{
    char buffer[256] = {};
    int n = WideCharToMultiByte(cp, flags, text.data(), static_cast<int>(text.size()), buffer,
                                sizeof buffer, default_char, used);
    EXPECT_GT(n, 0);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

std::u16string decode(UINT cp, std::string_view bytes, DWORD flags = 0)
{
    OLECHAR buffer[256] = {};
    int n = MultiByteToWideChar(cp, flags, bytes.data(), static_cast<int>(bytes.size()), buffer,
                                256);
    EXPECT_GT(n, 0);
    return std::u16string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

TEST(Codepage1252, EveryByteRoundTrips)
{
    for (UINT cp : {CP_ACP, CP_THREAD_ACP, com::code_page_1252}) {
        std::string all;
        for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
        std::u16string wide = decode(cp, all);
        ASSERT_EQ(wide.size(), 256u);
        BOOL used = TRUE;
        EXPECT_EQ(encode(cp, wide, 0, &used), all);
        EXPECT_FALSE(used);
        EXPECT_EQ(encode(cp, wide, WC_NO_BEST_FIT_CHARS), all);
    }
}

TEST(Codepage1252, HighBlockDecodesAsWindowsDefinesIt)
{
    const struct {
        unsigned char byte;
        char16_t code;
    } cases[] = {{0x80, 0x20AC}, {0x82, 0x201A}, {0x83, 0x0192}, {0x8A, 0x0160}, {0x8C, 0x0152},
                 {0x91, 0x2018}, {0x93, 0x201C}, {0x96, 0x2013}, {0x99, 0x2122}, {0x9F, 0x0178},
                 {0x81, 0x0081}, {0x8D, 0x008D}, {0x8F, 0x008F}, {0x90, 0x0090}, {0x9D, 0x009D},
                 {0xA0, 0x00A0}, {0xFF, 0x00FF}, {0x41, u'A'}};
    for (const auto& c : cases) {
        std::string byte(1, static_cast<char>(c.byte));
        EXPECT_EQ(decode(CP_ACP, byte), std::u16string(1, c.code)) << int(c.byte);
        EXPECT_EQ(encode(CP_ACP, std::u16string(1, c.code)), byte) << int(c.byte);
    }
}

TEST(Codepage1252, BestFitIsOnByDefaultAndTheRestUseTheDefaultCharacter)
{
    const struct {
        char16_t code;
        unsigned char byte;
    } cases[] = {
        {0x0100, 'A'}, {0x0101, 'a'}, {0x0106, 'C'}, {0x010D, 'c'}, {0x0110, 0xD0}, {0x0141, 'L'},
        {0x0142, 'l'}, {0x0147, 'N'}, {0x0150, 'O'}, {0x0158, 'R'}, {0x015E, 'S'}, {0x0164, 'T'},
        {0x0170, 'U'}, {0x017B, 'Z'}, {0x0130, 'I'}, {0x0131, 'i'}, {0x0191, 0x83}, {0x2002, ' '},
        {0x2011, '-'}, {0x2044, '/'}, {0x2082, '2'}, {0x03B1, 'a'}, {0x03B2, 0xDF}, {0x03BC, 0xB5},
        {0x03C0, 'p'}, {0x03A3, 'S'}, {0xFF21, 'A'}, {0x2264, '='}, {0x25A0, 0xA6},
        // No best fit: the default character.
        {0x0132, '?'}, {0x0416, '?'}, {0x0080, '?'}, {0x009F, '?'}, {0x4E2D, '?'}, {0xD83D, '?'},
    };
    for (const auto& c : cases) {
        BOOL used = c.byte != '?';
        EXPECT_EQ(encode(CP_ACP, std::u16string(1, c.code), 0, &used),
                  std::string(1, static_cast<char>(c.byte)))
            << std::hex << int(c.code);
        EXPECT_EQ(used, c.byte == '?') << "a best fit is not the default character";
    }
    BOOL used = FALSE;
    EXPECT_EQ(encode(CP_ACP, u"a\u0416b", 0, &used, "*"), "a*b");
    EXPECT_TRUE(used);
    used = FALSE;
    EXPECT_EQ(encode(CP_ACP, u"\u0100\u00E9\u20AC", WC_NO_BEST_FIT_CHARS, &used), "?\xE9\x80");
    EXPECT_TRUE(used) << "the flag turns best fits into defaults";
}

TEST(CodepageBuffers, ZeroSizeAsksForTheLengthAndASmallBufferFails)
{
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4) << "with the terminator";
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, nullptr, 0), 3);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", -1, nullptr, 0, nullptr, nullptr), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u20AC", -1, nullptr, 0, nullptr, nullptr), 4);
    OLECHAR wide[8];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 8), 4);
    EXPECT_EQ(std::u16string(wide), u"abc");

    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 2), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    char narrow[3];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u20AC", 1, narrow, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(CodepageBuffers, BadArgumentsAreInvalidParameterOrFlags)
{
    OLECHAR wide[4];
    char narrow[4];
    const struct {
        std::function<int()> call;
        DWORD error;
    } cases[] = {
        {[&] { return MultiByteToWideChar(CP_ACP, 0, nullptr, 1, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {[&] { return MultiByteToWideChar(CP_ACP, 0, "a", 0, wide, 4); }, ERROR_INVALID_PARAMETER},
        {[&] { return MultiByteToWideChar(CP_ACP, 0, "a", 1, nullptr, 4); },
         ERROR_INVALID_PARAMETER},
        {[&] { return MultiByteToWideChar(CP_ACP, 0, "a", 1, wide, -1); }, ERROR_INVALID_PARAMETER},
        {[&] { return MultiByteToWideChar(437, 0, "a", 1, wide, 4); }, ERROR_INVALID_PARAMETER},
        {[&] { return MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, wide, 4); },
         ERROR_INVALID_FLAGS},
        {[&] { return WideCharToMultiByte(CP_ACP, 0, nullptr, 1, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {[&] { return WideCharToMultiByte(CP_ACP, 0, u"a", 0, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
        {[&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 4, "?", nullptr); },
         ERROR_INVALID_PARAMETER},
        {[&] {
             return WideCharToMultiByte(CP_ACP, WC_ERR_INVALID_CHARS, u"a", 1, narrow, 4, nullptr,
                                        nullptr);
         },
         ERROR_INVALID_FLAGS},
        {[&] { return WideCharToMultiByte(850, 0, u"a", 1, narrow, 4, nullptr, nullptr); },
         ERROR_INVALID_PARAMETER},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SetLastError(0);
        EXPECT_EQ(cases[i].call(), 0) << "row " << i;
        EXPECT_EQ(GetLastError(), cases[i].error) << "row " << i;
    }
}

TEST(CodepageUtf8, SurrogatePairsRoundTripAndLoneSurrogatesEncodeAsReplacement)
{
    const std::string bytes = "A\xE2\x82\xAC\xF0\x9F\x98\x80";
    const std::u16string wide = u"A\u20AC\U0001F600";
    EXPECT_EQ(decode(CP_UTF8, bytes), wide);
    EXPECT_EQ(encode(CP_UTF8, wide), bytes);

    EXPECT_EQ(encode(CP_UTF8, u"a\xD800z"), "a\xEF\xBF\xBDz");
    EXPECT_EQ(encode(CP_UTF8, u"\xDC00"), "\xEF\xBF\xBD");
    char buffer[8];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"\xD800", 1, buffer, 8, nullptr,
                                  nullptr),
              0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(CodepageUtf8, InvalidSequencesBecomeReplacementCharacters)
{
    const struct {
        std::string bytes;
        std::u16string wide;
    } cases[] = {
        {"\xC0\x80", u"\uFFFD\uFFFD"},        // overlong NUL
        {"\xE2\x82", u"\uFFFD"},              // truncated
        {"\xE2\x82x", u"\uFFFDx"},            // broken in the middle
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
        {"\xFF", u"\uFFFD"}, {"\x80z", u"\uFFFDz"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decode(CP_UTF8, c.bytes), c.wide);
        OLECHAR buffer[8];
        SetLastError(0);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes.data(),
                                      static_cast<int>(c.bytes.size()), buffer, 8),
                  0);
        EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    }
}

TEST(Codepage, AnsiCodePageIs1252AndTheLibraryHelpersConvertAndReportLoss)
{
    EXPECT_EQ(GetACP(), 1252u);
    bool lossy = true;
    EXPECT_EQ(com::to_ansi(u"caf\u00E9 \u20AC", &lossy), "caf\xE9 \x80");
    EXPECT_FALSE(lossy);
    EXPECT_EQ(com::to_ansi(u"\u0141\u0416", &lossy), "L?");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(com::to_ansi(u"x"), "x");
    EXPECT_EQ(com::from_ansi("caf\xE9 \x80"), u"caf\u00E9 \u20AC");
    EXPECT_EQ(com::from_ansi(std::string_view("\0a", 2)), std::u16string(u"\0a", 2));
}

TEST(LastError, IsKeptPerThread)
{
    SetLastError(1234);
    DWORD seen_in_other = 99;
    std::thread other([&] {
        seen_in_other = GetLastError();
        SetLastError(5);
    });
    other.join();
    EXPECT_EQ(seen_in_other, 0u);
    EXPECT_EQ(GetLastError(), 1234u);
}

}  // namespace
