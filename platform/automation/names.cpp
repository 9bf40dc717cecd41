// Case folding and comparison of member names.
#include "platform/automation/names.h"

namespace com::automation {

std::u16string fold_name(std::u16string_view name)
{
    std::u16string out(name);
    for (auto& c : out) c = fold_char(c);
    return out;
}

int compare_folded(std::u16string_view folded, std::u16string_view name) noexcept
{
    const std::size_t n = folded.size() < name.size() ? folded.size() : name.size();
    for (std::size_t i = 0; i < n; ++i) {
        const OLECHAR a = folded[i], b = fold_char(name[i]);
        if (a != b) return a < b ? -1 : 1;
    }
    if (folded.size() == name.size()) return 0;
    return folded.size() < name.size() ? -1 : 1;
}

bool names_equal(std::u16string_view a, std::u16string_view b) noexcept
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold_char(a[i]) != fold_char(b[i])) return false;
    return true;
}

std::u16string_view name_view(const OLECHAR* name, std::size_t limit) noexcept
{
    if (!name) return {};
    std::size_t n = 0;
    while (n < limit && name[n]) ++n;
    return {name, n};
}

}  // namespace com::automation
