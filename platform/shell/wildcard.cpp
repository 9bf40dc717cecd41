// The DOS wildcard matcher: a memoised walk over (pattern position, name position), so that
// hostile patterns cost at most their length times the name's.
#include "platform/shell/wildcard.h"

#include <new>
#include <string>
#include <vector>

#include "platform/shell/text.h"

namespace shell {
namespace {

constexpr char16_t kDosStar = u'<';
constexpr char16_t kDosQm = u'>';
constexpr char16_t kDosDot = u'"';
constexpr std::size_t kLongest = 1024;

std::u16string rewrite(std::u16string_view pattern)
{
    if (pattern == u"*.*") return u"*";
    std::u16string out(pattern);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : u'\0';
        if (pattern[i] == u'?') out[i] = kDosQm;
        else if (pattern[i] == u'*' && next == u'.') out[i] = kDosStar;
        else if (pattern[i] == u'.' && (next == u'?' || next == u'*' || next == u'\0'))
            out[i] = kDosDot;
    }
    return out;
}

class matcher {
public:
    matcher(std::u16string_view pattern, std::u16string_view name)
        : pattern_(pattern), name_(name), last_dot_(name.rfind(u'.')),
          seen_((pattern.size() + 1) * (name.size() + 1), 0)
    {
    }

    bool match(std::size_t p, std::size_t n)
    {
        char& state = seen_[p * (name_.size() + 1) + n];
        if (state) return state == 1;
        state = step(p, n) ? 1 : 2;
        return state == 1;
    }

private:
    bool step(std::size_t p, std::size_t n)
    {
        if (p == pattern_.size()) return n == name_.size();
        const char16_t c = pattern_[p];
        const bool at_end = n == name_.size();
        switch (c) {
        case u'*':
            for (std::size_t k = n; k <= name_.size(); ++k)
                if (match(p + 1, k)) return true;
            return false;
        case kDosStar:
            for (std::size_t k = n; k <= name_.size(); ++k) {
                if (match(p + 1, k)) return true;
                if (k < name_.size() && last_dot_ != std::u16string_view::npos && k == last_dot_)
                    return false;
            }
            return false;
        case kDosQm:
            if (at_end || name_[n] == u'.') {
                std::size_t q = p;
                while (q < pattern_.size() && pattern_[q] == kDosQm) ++q;
                return match(q, n);
            }
            return match(p + 1, n + 1);
        case kDosDot:
            if (at_end) return match(p + 1, n);
            return name_[n] == u'.' && match(p + 1, n + 1);
        default:
            return !at_end && upper(c) == upper(name_[n]) && match(p + 1, n + 1);
        }
    }

    std::u16string_view pattern_;
    std::u16string_view name_;
    std::size_t last_dot_;
    std::vector<char> seen_;
};

}  // namespace

bool wildcard_match(std::u16string_view pattern, std::u16string_view name) noexcept
{
    // Bounds the memo table and the walk's depth; no file name comes near them.
    if (pattern.size() > kLongest || name.size() > kLongest) return false;
    try {
        const std::u16string rewritten = rewrite(pattern);
        matcher m(rewritten, name);
        return m.match(0, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool has_wildcards(std::u16string_view pattern) noexcept
{
    return pattern.find_first_of(u"*?") != std::u16string_view::npos;
}

}  // namespace shell
