// The lookup indexes of an interface description: by DISPID for Invoke, by folded name for
// GetIDsOfNames, each covering the inherited members after the interface's own.
#include "platform/automation/descriptors.h"

#include <algorithm>

#include "platform/automation/names.h"

namespace com::automation {

void index_interface(interface_desc& desc)
{
    desc.by_dispid.clear();
    desc.by_name.clear();
    for (const interface_desc* d = &desc; d; d = d->base) {
        for (const member_desc& m : d->members) {
            desc.by_dispid.push_back({m.id, &m});
            desc.by_name.push_back({fold_name(name_view(m.name)), &m});
        }
    }
    std::stable_sort(desc.by_dispid.begin(), desc.by_dispid.end(),
                     [](const auto& a, const auto& b) { return a.id < b.id; });
    std::stable_sort(desc.by_name.begin(), desc.by_name.end(),
                     [](const auto& a, const auto& b) { return a.folded < b.folded; });
}

const member_desc* interface_desc::find(DISPID id, WORD flags) const noexcept
{
    auto it = std::lower_bound(by_dispid.begin(), by_dispid.end(), id,
                               [](const dispid_entry& e, DISPID key) { return e.id < key; });
    for (; it != by_dispid.end() && it->id == id; ++it)
        if (it->member->invkind & flags) return it->member;
    return nullptr;
}

const member_desc* interface_desc::find_any(DISPID id) const noexcept
{
    auto it = std::lower_bound(by_dispid.begin(), by_dispid.end(), id,
                               [](const dispid_entry& e, DISPID key) { return e.id < key; });
    return it != by_dispid.end() && it->id == id ? it->member : nullptr;
}

const member_desc* interface_desc::find_name(const OLECHAR* name) const noexcept
{
    const std::u16string_view key = name_view(name);
    auto it = std::lower_bound(by_name.begin(), by_name.end(), key,
                               [](const name_entry& e, std::u16string_view k) {
                                   return compare_folded(e.folded, k) < 0;
                               });
    return it != by_name.end() && compare_folded(it->folded, key) == 0 ? it->member : nullptr;
}

}  // namespace com::automation
