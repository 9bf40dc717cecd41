// The clock and its Windows-runtime formatting.
#include "platform/shell/clock.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

namespace {

std::mutex override_lock;
std::optional<std::int64_t> clock_override;

constexpr std::int64_t kLatest = 32535215999LL;

constexpr const char* day_names[7] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
constexpr const char* month_names[12] = {"January", "February", "March",     "April",
                                         "May",     "June",     "July",      "August",
                                         "September", "October", "November", "December"};

bool leap(int year) noexcept { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

// ISO 8601 week-based year and week of a date.
void iso_week(const std::tm& t, int& year, int& week) noexcept
{
    year = t.tm_year + 1900;
    const int weekday = (t.tm_wday + 6) % 7;  // Monday 0
    int w = (t.tm_yday - weekday + 10) / 7;
    if (w < 1) {
        --year;
        const int days = leap(year) ? 366 : 365;
        w = (t.tm_yday + days - weekday + 10) / 7;
    } else {
        const int days = leap(year) ? 366 : 365;
        if (t.tm_yday - weekday + 3 >= days) {
            ++year;
            w = 1;
        }
    }
    week = w;
}

class formatter {
public:
    explicit formatter(const std::tm& t) : t_(t) {}

    // False for an item the runtime refuses.
    bool item(char16_t c, bool alternate)
    {
        switch (c) {
        case u'a': return in(t_.tm_wday, 0, 6) && text(std::string(day_names[t_.tm_wday], 3));
        case u'A': return in(t_.tm_wday, 0, 6) && text(day_names[t_.tm_wday]);
        case u'b':
        case u'h': return in(t_.tm_mon, 0, 11) && text(std::string(month_names[t_.tm_mon], 3));
        case u'B': return in(t_.tm_mon, 0, 11) && text(month_names[t_.tm_mon]);
        case u'c':
            if (alternate) return long_date() && text(" ") && sequence(u"HMS", u':', false);
            return sequence(u"mdy", u'/', false) && text(" ") && sequence(u"HMS", u':', false);
        case u'x': return alternate ? long_date() : sequence(u"mdy", u'/', false);
        case u'X': return sequence(u"HMS", u':', false);
        case u'C': return number((t_.tm_year + 1900) / 100, 2, alternate);
        case u'd': return in(t_.tm_mday, 1, 31) && number(t_.tm_mday, 2, alternate);
        case u'D': return sequence(u"mdy", u'/', alternate);
        case u'e':
            if (!in(t_.tm_mday, 1, 31)) return false;
            if (!alternate && t_.tm_mday < 10) out_ += u' ';
            return number(t_.tm_mday, 1, false);
        case u'F':
            return number(t_.tm_year + 1900, 4, alternate) && text("-") &&
                   sequence(u"md", u'-', alternate);
        case u'g':
        case u'G':
        case u'V': {
            if (!in(t_.tm_wday, 0, 6) || !in(t_.tm_yday, 0, 365)) return false;
            int year, week;
            iso_week(t_, year, week);
            if (c == u'V') return number(week, 2, alternate);
            return c == u'G' ? number(year, 4, alternate) : number(year % 100, 2, alternate);
        }
        case u'H': return in(t_.tm_hour, 0, 23) && number(t_.tm_hour, 2, alternate);
        case u'I':
            return in(t_.tm_hour, 0, 23) && number((t_.tm_hour + 11) % 12 + 1, 2, alternate);
        case u'j': return in(t_.tm_yday, 0, 365) && number(t_.tm_yday + 1, 3, alternate);
        case u'm': return in(t_.tm_mon, 0, 11) && number(t_.tm_mon + 1, 2, alternate);
        case u'M': return in(t_.tm_min, 0, 59) && number(t_.tm_min, 2, alternate);
        case u'n': return text("\n");
        case u'p': return in(t_.tm_hour, 0, 23) && text(t_.tm_hour < 12 ? "AM" : "PM");
        case u'r':
            return sequence(u"IMS", u':', alternate) && text(" ") && item(u'p', false);
        case u'R': return sequence(u"HM", u':', alternate);
        case u'S': return in(t_.tm_sec, 0, 60) && number(t_.tm_sec, 2, alternate);
        case u't': return text("\t");
        case u'T': return sequence(u"HMS", u':', alternate);
        case u'u': return in(t_.tm_wday, 0, 6) && number(t_.tm_wday ? t_.tm_wday : 7, 1, false);
        case u'U':
            return in(t_.tm_wday, 0, 6) && in(t_.tm_yday, 0, 365) &&
                   number((t_.tm_yday + 7 - t_.tm_wday) / 7, 2, alternate);
        case u'w': return in(t_.tm_wday, 0, 6) && number(t_.tm_wday, 1, false);
        case u'W':
            return in(t_.tm_wday, 0, 6) && in(t_.tm_yday, 0, 365) &&
                   number((t_.tm_yday + 7 - (t_.tm_wday + 6) % 7) / 7, 2, alternate);
        case u'y': return number(((t_.tm_year + 1900) % 100 + 100) % 100, 2, alternate);
        case u'Y': return number(t_.tm_year + 1900, 4, alternate);
        case u'z': {
            // Real offsets stay within a day; anything else is clamped rather than trusted.
            const int offset = static_cast<int>(
                t_.tm_gmtoff < -86400 ? -86400 : (t_.tm_gmtoff > 86400 ? 86400 : t_.tm_gmtoff));
            const int minutes = (offset < 0 ? -offset : offset) / 60;
            char text_offset[32];
            std::snprintf(text_offset, sizeof text_offset, "%c%02d%02d", offset < 0 ? '-' : '+',
                          minutes / 60, minutes % 60);
            return text(text_offset);
        }
        case u'Z': {
            const char* zone = t_.tm_zone ? t_.tm_zone : tzname[t_.tm_isdst > 0 ? 1 : 0];
            return text(zone ? zone : "");
        }
        case u'%': return text("%");
        default: return false;
        }
    }

    std::u16string& result() { return out_; }
    void literal(char16_t c) { out_ += c; }

private:
    static bool in(int value, int low, int high) noexcept { return value >= low && value <= high; }

    bool text(const std::string& s)
    {
        for (char c : s) out_ += static_cast<char16_t>(static_cast<unsigned char>(c));
        return true;
    }

    bool number(int value, int width, bool no_padding)
    {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%0*d", no_padding ? 1 : width, value);
        return text(digits);
    }

    bool sequence(const char16_t* items, char16_t separator, bool alternate)
    {
        for (const char16_t* p = items; *p; ++p) {
            if (p != items) out_ += separator;
            if (!item(*p, alternate)) return false;
        }
        return true;
    }

    // "dddd, MMMM d, yyyy", the C locale's long date with '#'.
    bool long_date()
    {
        return item(u'A', false) && text(", ") && item(u'B', false) && text(" ") &&
               item(u'd', true) && text(", ") && item(u'Y', false);
    }

    const std::tm& t_;
    std::u16string out_;
};

}  // namespace

namespace shell {

void set_clock_override(std::optional<std::int64_t> seconds_since_1970)
{
    std::lock_guard<std::mutex> hold(override_lock);
    clock_override = seconds_since_1970;
}

}  // namespace shell

std::int64_t _time64(std::int64_t* result) noexcept
{
    std::int64_t now;
    {
        std::lock_guard<std::mutex> hold(override_lock);
        now = clock_override ? *clock_override : static_cast<std::int64_t>(std::time(nullptr));
    }
    if (result) *result = now;
    return now;
}

int _localtime64_s(std::tm* result, const std::int64_t* time) noexcept
{
    if (!result) return EINVAL;
    std::memset(result, 0xFF, sizeof *result);
    result->tm_zone = nullptr;
    if (!time || *time < 0 || *time > kLatest) return EINVAL;
    const std::time_t value = static_cast<std::time_t>(*time);
    if (!localtime_r(&value, result)) {
        std::memset(result, 0xFF, sizeof *result);
        result->tm_zone = nullptr;
        return EINVAL;
    }
    return 0;
}

std::size_t wcsftime(char16_t* buffer, std::size_t size, const char16_t* format,
                     const std::tm* time) noexcept
{
    if (!buffer || size == 0) return 0;
    buffer[0] = u'\0';
    if (!format || !time) return 0;
    try {
        formatter f(*time);
        for (const char16_t* p = format; *p; ++p) {
            if (*p != u'%') {
                f.literal(*p);
                continue;
            }
            ++p;
            bool alternate = false;
            if (*p == u'#') {
                alternate = true;
                ++p;
            }
            if (*p == u'E' || *p == u'O') ++p;
            if (!*p || !f.item(*p, alternate)) return 0;
            if (f.result().size() >= size) return 0;
        }
        const std::u16string& out = f.result();
        if (out.size() >= size) return 0;
        std::memcpy(buffer, out.c_str(), (out.size() + 1) * sizeof(char16_t));
        return out.size();
    } catch (const std::bad_alloc&) {
        return 0;
    }
}
