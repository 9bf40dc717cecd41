// DATE formatting and parsing on the proleptic Gregorian calendar.
#include "platform/com/variant_date.h"

#include <chrono>
#include <cmath>
#include <vector>

#include "platform/com/variant_number.h"
#include "platform/com/variant_text.h"

namespace com::variant_detail {
namespace {

// Day 0 of DATE counted from 1 January 1970.
constexpr long long date_epoch = -25569;

long long days_from_civil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}


bool is_leap(long long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned days_in_month(long long y, unsigned m)
{
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && is_leap(y) ? 29 : days[m - 1];
}

long long current_year()
{
    using namespace std::chrono;
    const long long days = duration_cast<seconds>(system_clock::now().time_since_epoch()).count() / 86400;
    long long y;
    unsigned m, d;
    civil_from_days(days, &y, &m, &d);
    return y;
}

void append_two(std::u16string& s, unsigned v)
{
    s.push_back(static_cast<char16_t>(u'0' + v / 10));
    s.push_back(static_cast<char16_t>(u'0' + v % 10));
}

constexpr std::u16string_view month_names[] = {u"january", u"february", u"march",
                                               u"april",   u"may",      u"june",
                                               u"july",    u"august",   u"september",
                                               u"october", u"november", u"december"};

struct token {
    enum class kind { number, month, meridiem, date_separator, time_separator } k;
    long long value = 0;
    int digits = 0;
};

char16_t lower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }

bool is_letter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

// Month names (whole, or three letters and more of them) and AM/PM markers.
bool word_token(std::u16string_view word, token* t)
{
    std::u16string w;
    for (char16_t c : word) w.push_back(lower(c));
    if (w == u"am" || w == u"a" || w == u"pm" || w == u"p") {
        t->k = token::kind::meridiem;
        t->value = w[0] == u'p';
        return true;
    }
    for (int i = 0; i < 12; ++i) {
        if (w.size() >= 3 && month_names[i].substr(0, w.size()) == w) {
            t->k = token::kind::month;
            t->value = i + 1;
            return true;
        }
    }
    return false;
}

bool tokenize(std::u16string_view s, std::vector<token>* out)
{
    for (std::size_t i = 0; i < s.size();) {
        const char16_t c = s[i];
        token t{token::kind::number};
        if (c >= u'0' && c <= u'9') {
            while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
                if (++t.digits > 9) return false;
                t.value = t.value * 10 + (s[i++] - u'0');
            }
        } else if (is_letter(c)) {
            std::size_t start = i;
            while (i < s.size() && is_letter(s[i])) ++i;
            if (!word_token(s.substr(start, i - start), &t)) return false;
        } else if (c == u'/' || c == u'-' || c == u',') {
            t.k = token::kind::date_separator;
            ++i;
        } else if (c == u':') {
            t.k = token::kind::time_separator;
            ++i;
        } else if (c == u' ' || c == u'\t') {
            ++i;
            continue;
        } else {
            return false;
        }
        out->push_back(t);
    }
    return true;
}

long long full_year(const token& t)
{
    if (t.digits <= 2) return t.value < 30 ? 2000 + t.value : 1900 + t.value;
    return t.value;
}

bool valid_day(long long y, long long m, long long d)
{
    return m >= 1 && m <= 12 && d >= 1 && d <= days_in_month(y, static_cast<unsigned>(m));
}

}  // namespace

void civil_from_days(long long z, long long* y, unsigned* m, unsigned* d)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = static_cast<long long>(yoe) + era * 400 + (*m <= 2);
}

HRESULT format_date(DATE date, std::u16string* out)
{
    if (!(date >= date_min && date < date_max + 1.0)) return E_INVALIDARG;
    const double whole = std::trunc(date);
    long long day = static_cast<long long>(whole);
    long long seconds = std::llround(std::fabs(date - whole) * 86400.0);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++day;  // the next calendar day, also for negative dates
    }
    std::u16string s;
    if (day != 0) {
        long long y;
        unsigned m, d;
        civil_from_days(day + date_epoch, &y, &m, &d);
        s += format_unsigned(m);
        s.push_back(u'/');
        s += format_unsigned(d);
        s.push_back(u'/');
        s += format_signed(y);
        if (seconds == 0) {
            *out = std::move(s);
            return S_OK;
        }
        s.push_back(u' ');
    }
    const auto h = static_cast<unsigned>(seconds / 3600);
    s += format_unsigned(h % 12 == 0 ? 12 : h % 12);
    s.push_back(u':');
    append_two(s, static_cast<unsigned>(seconds / 60 % 60));
    s.push_back(u':');
    append_two(s, static_cast<unsigned>(seconds % 60));
    s += h < 12 ? u" AM" : u" PM";
    *out = std::move(s);
    return S_OK;
}

HRESULT parse_date(std::u16string_view text, DATE* out)
{
    std::vector<token> tokens;
    if (!tokenize(text, &tokens) || tokens.empty()) return DISP_E_TYPEMISMATCH;

    long long hour = -1, minute = 0, second = 0, meridiem = -1, month_name = 0;
    std::vector<token> numbers;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        const token& t = tokens[k];
        const bool next_is = k + 1 < tokens.size();
        if (t.k == token::kind::number && next_is &&
            tokens[k + 1].k == token::kind::time_separator) {
            if (hour >= 0) return DISP_E_TYPEMISMATCH;
            // h:m or h:m:s
            long long parts[3] = {t.value, 0, 0};
            int count = 1;
            while (k + 2 < tokens.size() && tokens[k + 1].k == token::kind::time_separator &&
                   tokens[k + 2].k == token::kind::number && count < 3) {
                parts[count++] = tokens[k + 2].value;
                k += 2;
            }
            if (count < 2 || (k + 1 < tokens.size() &&
                              tokens[k + 1].k == token::kind::time_separator))
                return DISP_E_TYPEMISMATCH;
            hour = parts[0];
            minute = parts[1];
            second = parts[2];
        } else if (t.k == token::kind::number && next_is &&
                   tokens[k + 1].k == token::kind::meridiem) {
            if (hour >= 0) return DISP_E_TYPEMISMATCH;
            hour = t.value;
        } else if (t.k == token::kind::number) {
            numbers.push_back(t);
        } else if (t.k == token::kind::month) {
            if (month_name) return DISP_E_TYPEMISMATCH;
            month_name = t.value;
        } else if (t.k == token::kind::meridiem) {
            if (meridiem >= 0) return DISP_E_TYPEMISMATCH;
            meridiem = t.value;
        } else if (t.k == token::kind::time_separator) {
            return DISP_E_TYPEMISMATCH;
        }
    }

    if (meridiem >= 0 && hour < 0) return DISP_E_TYPEMISMATCH;
    if (hour >= 0) {
        // With AM/PM, 12 is the start of the half day; past 12 the marker is ignored.
        if (meridiem >= 0 && hour <= 12) hour = hour % 12 + (meridiem ? 12 : 0);
        if (hour > 23 || minute > 59 || second > 59) return DISP_E_TYPEMISMATCH;
    }

    long long day = 0;  // DATE day 0 when only a time is given
    if (!numbers.empty() || month_name) {
        long long y = 0, m = 0, d = 0;
        const std::size_t n = numbers.size();
        if (month_name) {
            m = month_name;
            if (n == 2) {
                const bool year_first = numbers[0].value > 31;
                d = numbers[year_first ? 1 : 0].value;
                y = full_year(numbers[year_first ? 0 : 1]);
            } else if (n == 1) {
                y = current_year();
                d = numbers[0].value;
                if (!valid_day(y, m, d)) {
                    y = full_year(numbers[0]);
                    d = 1;
                }
            } else {
                return DISP_E_TYPEMISMATCH;
            }
        } else if (n == 3) {
            if (numbers[0].digits >= 3) {  // year-month-day
                y = numbers[0].value;
                m = numbers[1].value;
                d = numbers[2].value;
            } else {
                m = numbers[0].value;
                d = numbers[1].value;
                y = full_year(numbers[2]);
                if (m > 12 && d <= 12) std::swap(m, d);
            }
        } else if (n == 2) {
            const long long a = numbers[0].value, b = numbers[1].value;
            y = current_year();
            if (valid_day(y, a, b)) {
                m = a;
                d = b;
            } else if (valid_day(y, b, a)) {
                m = b;
                d = a;
            } else if (a >= 1 && a <= 12) {
                m = a;
                d = 1;
                y = full_year(numbers[1]);
            } else if (b >= 1 && b <= 12) {
                m = b;
                d = 1;
                y = full_year(numbers[0]);
            } else {
                return DISP_E_TYPEMISMATCH;
            }
        } else {
            return DISP_E_TYPEMISMATCH;
        }
        if (y < 100 || y > 9999 || !valid_day(y, m, d)) return DISP_E_TYPEMISMATCH;
        day = days_from_civil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - date_epoch;
    } else if (hour < 0) {
        return DISP_E_TYPEMISMATCH;
    }

    const double fraction = hour < 0 ? 0.0 : (hour * 3600 + minute * 60 + second) / 86400.0;
    *out = day >= 0 ? day + fraction : day - fraction;
    return S_OK;
}

}  // namespace com::variant_detail
