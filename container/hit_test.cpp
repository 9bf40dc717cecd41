// The hit test's arithmetic. The rotation is single precision with truncation and the point
// test double precision, as the stored records were made against; a hit on an exact corner
// versus an edge depends on both.
#include "container/hit_test.h"

#include <cmath>

#include "container/wrapping.h"

namespace cnt::hit {
namespace {

constexpr double kPi = 3.1415926535;  // the records' rotations were computed with this value

// Truncation toward zero; a value no 32-bit integer holds becomes 0x80000000, as the
// processor's conversion gives, instead of undefined behaviour.
LONG truncate(float value) noexcept
{
    if (!(value >= -2147483648.0f && value < 2147483648.0f)) return static_cast<LONG>(0x80000000u);
    return static_cast<LONG>(value);
}

int sign(double value) noexcept { return (value > 0) - (value < 0); }

}  // namespace

// Each product and sum is its own statement, so that no compiler fuses them into one rounding.
quad corners(LONG left, LONG top, LONG right, LONG bottom, SHORT inclination) noexcept
{
    quad q{point{left, top}, point{right, top}, point{right, bottom}, point{left, bottom}};
    if (inclination == 0) return q;

    const double angle = -static_cast<double>(inclination) * kPi / 180.0;
    const float cos_a = static_cast<float>(std::cos(angle));
    const float sin_a = static_cast<float>(std::sin(angle));
    const float origin_x = static_cast<float>(static_cast<double>(left));
    const float origin_y = static_cast<float>(static_cast<double>(bottom));
    for (point& p : q) {
        const float dx = static_cast<float>(p.x) - origin_x;
        const float dy = static_cast<float>(p.y) - origin_y;
        const float dx_cos = dx * cos_a;
        const float dy_sin = dy * sin_a;
        const float dx_sin = dx * sin_a;
        const float dy_cos = dy * cos_a;
        const float x_partial = origin_x + dx_cos;
        const float x_turned = x_partial - dy_sin;
        const float y_partial = origin_y + dx_sin;
        const float y_turned = y_partial + dy_cos;
        p = point{truncate(x_turned), truncate(y_turned)};
    }
    return q;
}

bool contains(const quad& q, LONG x, LONG y) noexcept
{
    const double px = x, py = y;
    int s[4];
    for (int i = 0; i < 4; ++i) {
        const point& from = q[static_cast<std::size_t>(i)];
        const point& to = q[static_cast<std::size_t>((i + 1) % 4)];
        const double a = (py - from.y) * (static_cast<double>(to.x) - from.x);
        const double b = (px - from.x) * (static_cast<double>(to.y) - from.y);
        s[i] = sign(a - b);
    }
    if (s[0] == s[1] && s[1] == s[2] && s[2] == s[3]) return true;
    if (s[0] == 0) return s[1] == 0 || s[3] == 0;
    if (s[1] == 0) return s[2] == 0;
    if (s[2] == 0) return s[3] == 0;
    return false;
}

bool is_stationery(BSTR description) noexcept
{
    static constexpr char16_t prefix[] = u"_stationery:";
    constexpr UINT length = sizeof(prefix) / sizeof(prefix[0]) - 1;
    if (SysStringLen(description) < length) return false;
    for (UINT i = 0; i < length; ++i) {
        char16_t c = description[i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != prefix[i]) return false;
    }
    return true;
}

bool hits(const CZCntElementInfo& record, LONG hit_width, LONG x, LONG y) noexcept
{
    const LONG left = record.left(), top = record.top();
    const LONG right = record.right(), bottom = record.bottom();
    if (left == 0 && top == 0 && right == 0 && bottom == 0) return false;
    if (!contains(corners(left, top, right, bottom, record.inclination()), x, y)) return false;
    if (record.element_type() == zeCntElementTypePageBreak) return true;
    if (!is_stationery(record.description())) return true;

    // The band is measured on the unturned rectangle, also for an inclined record.
    const LONG inner_left = wrapping_add(left, hit_width);
    const LONG inner_top = wrapping_add(top, hit_width);
    const LONG inner_right = wrapping_sub(right, hit_width);
    const LONG inner_bottom = wrapping_sub(bottom, hit_width);
    const quad inner{point{inner_left, inner_top}, point{inner_right, inner_top},
                     point{inner_right, inner_bottom}, point{inner_left, inner_bottom}};
    return !contains(inner, x, y);
}

}  // namespace cnt::hit
