// What all objects of one document share: the journal, the creation serials, the page id
// counter, the live host objects (so that closing the document can break reference cycles) and
// the names the journal gives to objects that are not host objects.
#pragma once

#include <string>
#include <unordered_map>

#include "host/journal.h"
#include "platform/com/unknown.h"

namespace host {

class host_object;

struct context {
    host::journal log;
    LONG next_serial = 1;
    LONG next_page_id = 1;
    // The live host objects, linked through the objects themselves (no allocation per object).
    host_object* first_live = nullptr;
    std::size_t live_count = 0;
    // A journal name as its parts: "element#3" is {"element", 3}, "document" {"document", 0}.
    // A literal and a number rather than a string: every element in a list has one.
    struct name_parts {
        const char* text;
        LONG number;
    };
    // Identity → journal name, for lists, pages, the document and foreign objects in lists.
    std::unordered_map<IUnknown*, name_parts> names;

    // The journal name of any object: a host object's kind and id, a registered name, "null",
    // or "object" for anything else.
    std::string name_of(IUnknown* object) const;
    // `text` must outlive the context (a string literal).
    void set_name(IUnknown* object, const char* text, LONG number = 0) noexcept;
    void forget_name(IUnknown* object) noexcept;
};

}  // namespace host
