// The user locale from the environment or the override, and the locale items read from it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "platform/shell/locale_info.h"
#include "tests/shell/temp_tree.h"

namespace {

using shell_test::ScopedEnv;

TEST(Locale, AbbreviatedLanguageOfTheUserLocale)
{
    // Windows' default sublanguage of Chinese is Taiwan, of Spanish the traditional sort.
    const std::pair<const char*, const char*> cases[] = {
        {"de_DE.UTF-8", "DEU"}, {"de_AT", "DEU"}, {"en_US", "ENU"}, {"en_GB.UTF-8@euro", "ENU"},
        {"fr_CA", "FRA"},       {"C", "ENU"},     {"POSIX", "ENU"}, {"", "ENU"},
        {"xx_YY", "ENU"},       {"zh_CN", "CHT"}, {"es_ES", "ESP"},
    };
    for (const auto& [posix, want] : cases) {
        // What the configuration lookup asks for: the primary language, default sublanguage.
        shell::set_locale_override(std::string(posix));
        const LANGID user = GetUserDefaultLangID();
        char name[4] = "???";
        EXPECT_EQ(GetLocaleInfoA(MAKELCID(MAKELANGID(PRIMARYLANGID(user), SUBLANG_DEFAULT), SORT_DEFAULT),
                                 LOCALE_SABBREVLANGNAME, name, sizeof name),
                  4)
            << posix;
        EXPECT_STREQ(name, want) << posix;
    }
    shell::set_locale_override(std::nullopt);
}

TEST(Locale, LanguageIdsOfPosixNames)
{
    const std::pair<const char*, LANGID> cases[] = {
        {"de_DE.UTF-8", 0x0407}, {"de_CH", 0x0807}, {"de_XX", 0x0407}, {"DE_de", 0x0407},
        {"de", 0x0407},          {"es_ES", 0x0C0A}, {"pt_PT", 0x0816}, {"no_NO", 0x0414},
        {"klingon", 0x0409},
    };
    for (const auto& [posix, want] : cases) EXPECT_EQ(shell::langid_from_posix_locale(posix), want) << posix;
}

TEST(Locale, EnvironmentOrderIsLcAllThenLcMessagesThenLang)
{
    shell::set_locale_override(std::nullopt);
    ScopedEnv all("LC_ALL", "fr_FR.UTF-8");
    ScopedEnv messages("LC_MESSAGES", "it_IT.UTF-8");
    ScopedEnv lang("LANG", "de_DE.UTF-8");
    EXPECT_EQ(GetUserDefaultLangID(), 0x040C);
    {
        ScopedEnv empty_all("LC_ALL", "");
        EXPECT_EQ(GetUserDefaultLangID(), 0x0410);
        ScopedEnv no_messages("LC_MESSAGES", nullptr);
        EXPECT_EQ(GetUserDefaultLangID(), 0x0407);
        EXPECT_EQ(GetUserDefaultLCID(), 0x0407u);
        EXPECT_EQ(GetSystemDefaultLangID(), 0x0407);
        ScopedEnv no_lang("LANG", nullptr);
        EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
    }
    shell::set_locale_override(std::string("sv_SE"));
    EXPECT_EQ(GetUserDefaultLangID(), 0x041D);
    shell::set_locale_override(std::nullopt);
    EXPECT_EQ(GetUserDefaultLangID(), 0x040C);
}

TEST(Locale, ThreadLocaleFollowsTheUserUntilSetAndStaysWithItsThread)
{
    shell::set_locale_override(std::string("de_AT"));
    EXPECT_EQ(GetThreadLocale(), 0x0C07u) << "the user's locale while none is set";
    EXPECT_TRUE(SetThreadLocale(0x040C));
    EXPECT_EQ(GetThreadLocale(), 0x040Cu);
    LCID other = 0;
    std::thread([&] { other = GetThreadLocale(); }).join();
    EXPECT_EQ(other, 0x0C07u) << "another thread keeps its own";
    SetLastError(0);
    EXPECT_FALSE(SetThreadLocale(0x7777));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetThreadLocale(), 0x040Cu) << "a refused locale changes nothing";
    EXPECT_TRUE(SetThreadLocale(LOCALE_SYSTEM_DEFAULT));
    EXPECT_EQ(GetThreadLocale(), 0x0C07u) << "the system default stands for its id";
    shell::set_locale_override(std::nullopt);
}

TEST(Locale, GetLocaleInfoItemsAndBufferRules)
{
    shell::set_locale_override(std::string("de_AT.UTF-8"));
    const struct {
        LCID locale;
        LCTYPE item;
        const char* want;
    } items[] = {
        {LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, "DEA"},
        {LOCALE_SYSTEM_DEFAULT, LOCALE_ILANGUAGE, "0c07"},
        {0x0407, LOCALE_SISO639LANGNAME | LOCALE_NOUSEROVERRIDE, "de"},
        {0x0007, LOCALE_SISO3166CTRYNAME, "DE"}, {LOCALE_INVARIANT, LOCALE_SABBREVLANGNAME, "IVL"},
    };
    char text[8];
    for (const auto& c : items) {
        EXPECT_EQ(GetLocaleInfoA(c.locale, c.item, text, 8), static_cast<int>(std::strlen(c.want) + 1))
            << c.want;
        EXPECT_STREQ(text, c.want);
    }
    char16_t wide[4] = {};
    EXPECT_EQ(GetLocaleInfoW(0x0409, LOCALE_SABBREVLANGNAME, wide, 4), 4);
    EXPECT_EQ(std::u16string(wide), u"ENU");

    EXPECT_EQ(GetLocaleInfoA(0x0409, LOCALE_SABBREVLANGNAME, nullptr, 0), 4);
    char small[3] = "##";
    SetLastError(0);
    EXPECT_EQ(GetLocaleInfoA(0x0409, LOCALE_SABBREVLANGNAME, small, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_STREQ(small, "##");
    const struct {
        LCID locale;
        LCTYPE item;
        char* buffer;
        DWORD error;
    } failures[] = {{0x0409, 0x1001, text, ERROR_INVALID_FLAGS},
                    {0x0499, LOCALE_SABBREVLANGNAME, text, ERROR_INVALID_PARAMETER},
                    {0x0409, LOCALE_SABBREVLANGNAME, nullptr, ERROR_INVALID_PARAMETER}};
    for (const auto& c : failures) {
        EXPECT_EQ(GetLocaleInfoA(c.locale, c.item, c.buffer, 8), 0);
        EXPECT_EQ(GetLastError(), c.error);
    }
    shell::set_locale_override(std::nullopt);
}

}  // namespace
