// The user locale from the environment or the override, and the locale items read from it.
#include <gtest/gtest.h>

#include <string>

#include "platform/shell/locale_info.h"
#include "tests/shell/temp_tree.h"

namespace {

using shell_test::ScopedEnv;

// What the configuration lookup asks for: the primary language with the default sublanguage.
std::string abbreviation_for(const char* posix)
{
    shell::set_locale_override(std::string(posix));
    const LANGID user = GetUserDefaultLangID();
    char name[4] = "???";
    const int n = GetLocaleInfoA(MAKELCID(MAKELANGID(PRIMARYLANGID(user), SUBLANG_DEFAULT), SORT_DEFAULT),
                                 LOCALE_SABBREVLANGNAME, name, sizeof name);
    shell::set_locale_override(std::nullopt);
    return n == 4 ? std::string(name) : "error " + std::to_string(GetLastError());
}

TEST(Locale, AbbreviatedLanguageOfTheUserLocale)
{
    EXPECT_EQ(abbreviation_for("de_DE.UTF-8"), "DEU");
    EXPECT_EQ(abbreviation_for("de_AT"), "DEU");
    EXPECT_EQ(abbreviation_for("en_US"), "ENU");
    EXPECT_EQ(abbreviation_for("en_GB.UTF-8@euro"), "ENU");
    EXPECT_EQ(abbreviation_for("fr_CA"), "FRA");
    EXPECT_EQ(abbreviation_for("C"), "ENU");
    EXPECT_EQ(abbreviation_for("POSIX"), "ENU");
    EXPECT_EQ(abbreviation_for(""), "ENU");
    EXPECT_EQ(abbreviation_for("xx_YY"), "ENU");
    // Windows' default sublanguage of Chinese is Taiwan, of Spanish the traditional sort.
    EXPECT_EQ(abbreviation_for("zh_CN"), "CHT");
    EXPECT_EQ(abbreviation_for("es_ES"), "ESP");
}

TEST(Locale, LanguageIdsOfPosixNames)
{
    EXPECT_EQ(shell::langid_from_posix_locale("de_DE.UTF-8"), 0x0407);
    EXPECT_EQ(shell::langid_from_posix_locale("de_CH"), 0x0807);
    EXPECT_EQ(shell::langid_from_posix_locale("de_XX"), 0x0407);
    EXPECT_EQ(shell::langid_from_posix_locale("DE_de"), 0x0407);
    EXPECT_EQ(shell::langid_from_posix_locale("de"), 0x0407);
    EXPECT_EQ(shell::langid_from_posix_locale("es_ES"), 0x0C0A);
    EXPECT_EQ(shell::langid_from_posix_locale("pt_PT"), 0x0816);
    EXPECT_EQ(shell::langid_from_posix_locale("no_NO"), 0x0414);
    EXPECT_EQ(shell::langid_from_posix_locale("klingon"), 0x0409);
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

TEST(Locale, GetLocaleInfoItemsAndBufferRules)
{
    shell::set_locale_override(std::string("de_AT.UTF-8"));
    char text[8] = "#######";
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME, text, 8), 4);
    EXPECT_STREQ(text, "DEA");
    EXPECT_EQ(GetLocaleInfoA(LOCALE_SYSTEM_DEFAULT, LOCALE_ILANGUAGE, text, 8), 5);
    EXPECT_STREQ(text, "0c07");
    EXPECT_EQ(GetLocaleInfoA(0x0407, LOCALE_SISO639LANGNAME | LOCALE_NOUSEROVERRIDE, text, 8), 3);
    EXPECT_STREQ(text, "de");
    EXPECT_EQ(GetLocaleInfoA(0x0007, LOCALE_SISO3166CTRYNAME, text, 8), 3);
    EXPECT_STREQ(text, "DE");
    char16_t wide[4] = {};
    EXPECT_EQ(GetLocaleInfoW(0x0409, LOCALE_SABBREVLANGNAME, wide, 4), 4);
    EXPECT_EQ(std::u16string(wide), u"ENU");
    EXPECT_EQ(GetLocaleInfoA(LOCALE_INVARIANT, LOCALE_SABBREVLANGNAME, text, 8), 4);
    EXPECT_STREQ(text, "IVL");

    EXPECT_EQ(GetLocaleInfoA(0x0409, LOCALE_SABBREVLANGNAME, nullptr, 0), 4);
    char small[3] = "##";
    SetLastError(0);
    EXPECT_EQ(GetLocaleInfoA(0x0409, LOCALE_SABBREVLANGNAME, small, 3), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_STREQ(small, "##");
    EXPECT_EQ(GetLocaleInfoA(0x0409, 0x1001, text, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
    EXPECT_EQ(GetLocaleInfoA(0x0499, LOCALE_SABBREVLANGNAME, text, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetLocaleInfoA(0x0409, LOCALE_SABBREVLANGNAME, nullptr, 8), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    shell::set_locale_override(std::nullopt);
}

}  // namespace
