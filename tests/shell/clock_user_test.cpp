// The injected clock and user, local time and wcsftime as the Windows runtime formats.
#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>
#include <vector>

#include "platform/com/codepage.h"
#include "platform/shell/clock.h"
#include "platform/shell/user.h"
#include "tests/shell/temp_tree.h"

namespace {

using shell_test::ScopedEnv;

// 2024-03-05 14:07:09 UTC, a Tuesday, day 65 of a leap year.
constexpr std::int64_t kInstant = 1709647629;

class Clock : public ::testing::Test {
protected:
    void SetUp() override { tzset(); }
    void TearDown() override
    {
        shell::set_clock_override(std::nullopt);
        tzset();
    }
    static std::tm local(std::int64_t when)
    {
        std::tm t;
        EXPECT_EQ(_localtime64_s(&t, &when), 0);
        return t;
    }
    // "<failed>" when wcsftime returns 0 with an emptied buffer, "<dirty>" when it leaves text.
    static std::u16string format(const char16_t* pattern, const std::tm& t, std::size_t size = 100)
    {
        char16_t buffer[256];
        for (char16_t& c : buffer) c = u'#';
        const std::size_t n = wcsftime(buffer, size, pattern, &t);
        if (n == 0) return buffer[0] == u'\0' ? u"<failed>" : u"<dirty>";
        EXPECT_EQ(buffer[n], u'\0');
        return std::u16string(buffer, n);
    }

    ScopedEnv utc{"TZ", "UTC"};
};

// The note road tests see the fixed time through _time64's out pointer.
TEST_F(Clock, OverrideFixesTheTimeUntilCleared)
{
    shell::set_clock_override(kInstant);
    EXPECT_EQ(_time64(nullptr), kInstant);
    shell::set_clock_override(std::nullopt);
    EXPECT_NEAR(static_cast<double>(_time64(nullptr)), static_cast<double>(std::time(nullptr)), 5.0);
}

TEST_F(Clock, LocalTimeFollowsTzAndRefusesOutOfRange)
{
    const std::tm t = local(kInstant);
    EXPECT_EQ((std::vector<int>{t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_wday, t.tm_yday}),
              (std::vector<int>{124, 2, 5, 14, 2, 64}));
    {
        ScopedEnv berlin("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
        tzset();
        EXPECT_EQ(local(kInstant).tm_hour, 15);
    }
    tzset();

    std::tm bad;
    const std::int64_t before = -1, last = 32535215999LL, after = last + 1;
    EXPECT_EQ(_localtime64_s(&bad, &before), EINVAL);
    EXPECT_EQ(bad.tm_year, -1);
    EXPECT_EQ(bad.tm_mday, -1);
    EXPECT_EQ(_localtime64_s(&bad, &after), EINVAL);
    EXPECT_EQ(_localtime64_s(&bad, &last), 0);
    EXPECT_EQ(bad.tm_year, 1100);
    EXPECT_EQ(_localtime64_s(&bad, nullptr), EINVAL);
    EXPECT_EQ(_localtime64_s(nullptr, &last), EINVAL);
}

TEST_F(Clock, FormatsAsTheWindowsRuntimeInTheCLocale)
{
    // 2021-01-01 is a Friday in ISO week 53 of 2020; 2024-12-30 a Monday in week 1 of 2025.
    const struct {
        std::int64_t when;
        const char16_t* pattern;
        std::size_t size;
        const char16_t* want;
    } cases[] = {
        {kInstant, u"%d.%m.%Y %H:%M:%S", 100, u"05.03.2024 14:07:09"},
        {kInstant, u"%#d.%#m.%y", 100, u"5.3.24"},
        {kInstant, u"%a %A %b %B %h", 100, u"Tue Tuesday Mar March Mar"},
        {kInstant, u"%c|%x|%X", 100, u"03/05/24 14:07:09|03/05/24|14:07:09"},
        {kInstant, u"%#c", 100, u"Tuesday, March 5, 2024 14:07:09"},
        {kInstant, u"%#x", 100, u"Tuesday, March 5, 2024"},
        {kInstant, u"%I %p %j %w %u %U %W", 100, u"02 PM 065 2 2 09 10"},
        {kInstant, u"%D %F %T %R %r %e %C", 100, u"03/05/24 2024-03-05 14:07:09 14:07 02:07:09 PM  5 20"},
        {kInstant, u"%G-W%V-%u %g", 100, u"2024-W10-2 24"},
        {kInstant, u"%z %Z %%", 100, u"+0000 UTC %"}, {kInstant, u"%Ey %Od", 100, u"24 05"},
        {kInstant, u"Page $p, \u00e4\u20ac", 100, u"Page $p, \u00e4\u20ac"},
        {1609459200, u"%G %V", 100, u"2020 53"}, {1735516800, u"%G %V", 100, u"2025 01"},
        {1609459200, u"%U %W", 100, u"00 00"},
        // Failures leave an empty buffer.
        {kInstant, u"", 100, u"<failed>"}, {kInstant, u"%Q", 100, u"<failed>"},
        {kInstant, u"abc%", 100, u"<failed>"}, {kInstant, u"%Y-%m-%d", 10, u"<failed>"},
        {kInstant, u"%Y-%m-%d", 11, u"2024-03-05"},
    };
    for (const auto& c : cases) EXPECT_EQ(format(c.pattern, local(c.when), c.size), c.want);

    std::tm broken = local(kInstant);
    broken.tm_mon = 12;
    EXPECT_EQ(format(u"%B", broken), u"<failed>");
    EXPECT_EQ(format(u"%Y", broken), u"2024");
    char16_t buffer[4] = u"xyz";
    EXPECT_EQ(wcsftime(buffer, 4, nullptr, &broken), 0u);
    EXPECT_EQ(buffer[0], u'\0');
    EXPECT_EQ(wcsftime(buffer, 4, u"%Y", nullptr), 0u);
    EXPECT_EQ(wcsftime(nullptr, 4, u"%Y", &broken), 0u);
}

class UserName : public ::testing::Test {
protected:
    void TearDown() override { shell::set_user_name_override(std::nullopt); }
};

TEST_F(UserName, RealNameComesFromThePasswordDatabase)
{
    const passwd* entry = getpwuid(geteuid());
    ASSERT_NE(entry, nullptr);
    char16_t name[512] = {};
    DWORD size = 512;
    ASSERT_TRUE(GetUserNameW(name, &size));
    EXPECT_EQ(std::u16string(name), com::from_ansi(entry->pw_name));
    EXPECT_EQ(size, std::u16string(name).size() + 1);
}

TEST_F(UserName, OverrideAndBufferRules)
{
    shell::set_user_name_override(u"J\u00fcrgen");
    char16_t name[16];
    DWORD size = 16;
    ASSERT_TRUE(GetUserNameW(name, &size));
    EXPECT_EQ(std::u16string(name), u"J\u00fcrgen");
    EXPECT_EQ(size, 7u);

    char16_t small[6] = u"#####";
    size = 6;
    SetLastError(0);
    EXPECT_FALSE(GetUserNameW(small, &size));
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(size, 7u);
    EXPECT_EQ(std::u16string(small), u"#####");
    size = 0;
    EXPECT_FALSE(GetUserNameW(nullptr, &size));
    EXPECT_EQ(size, 7u);
    size = 7;
    EXPECT_TRUE(GetUserNameW(name, &size));  // exactly the length with its NUL
    EXPECT_FALSE(GetUserNameW(name, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);

    char narrow[8];
    size = 8;
    ASSERT_TRUE(GetUserNameA(narrow, &size));
    EXPECT_STREQ(narrow, "J\xFCrgen");
    EXPECT_EQ(size, 7u);

    shell::set_user_name_override(u"");
    size = 16;
    EXPECT_FALSE(GetUserNameW(name, &size));
    EXPECT_EQ(GetLastError(), ERROR_NOT_FOUND);
}

}  // namespace
