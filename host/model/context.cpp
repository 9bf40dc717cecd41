// Journal names of objects that are not host objects, and of host objects behind any pointer;
// the page numbers the document keeps for each listed id.
#include "host/model/context.h"

#include <algorithm>

#include "host/kinds/host_object.h"

namespace host {

void page_numbers::insert(LONG number)
{
    if (first_ == 0) {
        first_ = number;
    } else if (number < first_) {
        more_.insert(more_.begin(), first_);
        first_ = number;
    } else if (number != first_) {
        if (more_.empty() || more_.back() < number) {
            more_.push_back(number);
        } else {
            const auto at = std::lower_bound(more_.begin(), more_.end(), number);
            if (*at != number) more_.insert(at, number);
        }
    }
}

void page_numbers::erase(LONG number) noexcept
{
    if (number == first_) {
        if (more_.empty()) {
            first_ = 0;
        } else {
            first_ = more_.front();
            more_.erase(more_.begin());
        }
        return;
    }
    const auto at = std::lower_bound(more_.begin(), more_.end(), number);
    if (at != more_.end() && *at == number) more_.erase(at);
}

std::string context::name_of(IUnknown* object) const
{
    if (!object) return "null";
    com::ComPtr<IUnknown> identity;
    object->QueryInterface(IID_IUnknown, identity.put_void());
    if (identity) {
        auto it = names.find(identity.get());
        if (it != names.end()) {
            std::string name = it->second.text;
            if (it->second.number != 0) {
                name.push_back('#');
                name.append(std::to_string(it->second.number));
            }
            return name;
        }
    }
    if (host_object* h = host_object_of(object)) return h->name();
    if (identity) {
        std::string name;
        for (const name_source* source : name_sources)
            if (source->name_of(identity.get(), &name)) return name;
    }
    return "object";
}

void context::set_name(IUnknown* object, const char* text, LONG number) noexcept
{
    try {
        names[object] = name_parts{text, number};
    } catch (...) {
    }
}

void context::forget_name(IUnknown* object) noexcept { names.erase(object); }

void context::add_name_source(const name_source* source) noexcept
{
    try {
        if (!name_source_places.emplace(source, name_sources.size()).second) return;
        try {
            name_sources.push_back(source);
        } catch (...) {
            name_source_places.erase(source);
        }
    } catch (...) {
        // Only the journal's names of that page's objects are lost.
    }
}

// The last source takes the place of the one that goes.
void context::remove_name_source(const name_source* source) noexcept
{
    const auto it = name_source_places.find(source);
    if (it == name_source_places.end()) return;
    const std::size_t place = it->second;
    name_source_places.erase(it);
    const name_source* last = name_sources.back();
    name_sources[place] = last;
    name_sources.pop_back();
    if (last != source) name_source_places[last] = place;
}

}  // namespace host
