// What all objects of one document share: the journal, the creation serials, the page id
// counter, the live host objects (so that closing the document can break reference cycles) and
// the names the journal gives to objects that are not host objects.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/model/journal.h"
#include "platform/com/unknown.h"

namespace host {

class host_object;
struct stored_file_cache;
namespace pdf {
class opened_pdfs;
}

// A file an object of the document was given and could not use, and why.
struct unusable_file {
    std::string file;   // as given, in UTF-8
    std::string cause;  // one line
};

// Something that can name the objects it holds (a page names its lists and what is in them).
struct name_source {
    // False when `identity` is not one of its objects.
    virtual bool name_of(IUnknown* identity, std::string* name) const = 0;

protected:
    ~name_source() = default;
};

// Page numbers ascending, each once (page numbers start at 1). Nearly every id is listed on
// one page only: that page is kept in place, and only a second one makes a vector, so noting
// an id costs its map node and nothing more. Pages are filled in page order, so a number is
// mostly appended.
class page_numbers {
public:
    bool empty() const noexcept { return first_ == 0; }
    // Throws std::bad_alloc when the vector cannot grow; nothing changed then.
    void insert(LONG number);
    void erase(LONG number) noexcept;
    // Calls `visit(number)` in ascending order until it returns true; says whether one did.
    template <typename F>
    bool any_of(F&& visit) const
    {
        if (first_ == 0) return false;
        if (visit(first_)) return true;
        for (LONG n : more_)
            if (visit(n)) return true;
        return false;
    }

private:
    LONG first_ = 0;          // the lowest, 0 when there is none
    std::vector<LONG> more_;  // the others, ascending
};

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
    // Identity → journal name, for the document, its page list and items, and foreign objects
    // listed while the journal is on.
    std::unordered_map<IUnknown*, name_parts> names;
    // The pages, which name themselves, their lists and what is in them when asked: a name
    // kept for every element of a long document would cost more than the element's list entry.
    std::vector<const name_source*> name_sources;
    // Where each source stands in name_sources, so that a page closing finds itself at once.
    std::unordered_map<const name_source*, std::size_t> name_source_places;
    // Which pages, by number, list an id: [0] in their page objects, [1] in their resources,
    // so that the document's LookUp goes to the first such page at once. Not `complete` once
    // an entry could not be noted for want of memory: LookUp then searches every page.
    struct id_holders {
        std::unordered_map<LONG, page_numbers> pages;
        bool complete = true;
    };
    id_holders holders[2];
    // Every file the document's objects could not use, in the order they were given.
    std::vector<unusable_file> unusable_files;
    // The stored documents loaded for this document and for those it places, shared by every
    // object that places the same file; made by the first one.
    std::shared_ptr<stored_file_cache> stored_files;
    // The PDF files this document's objects have opened, so that a file placed by many of
    // them is parsed once; made by the first one.
    std::shared_ptr<pdf::opened_pdfs> opened_pdfs;

    // Out of memory the note is dropped: the caller's own result already says it failed.
    void note_unusable(const std::string& file, const std::string& cause) noexcept
    {
        try {
            unusable_files.push_back({file, cause});
        } catch (...) {
        }
    }

    // The journal name of any object: a host object's kind and id, a registered name, "null",
    // or "object" for anything else.
    std::string name_of(IUnknown* object) const;
    // `text` must outlive the context (a string literal).
    void set_name(IUnknown* object, const char* text, LONG number = 0) noexcept;
    void forget_name(IUnknown* object) noexcept;
    void add_name_source(const name_source* source) noexcept;
    void remove_name_source(const name_source* source) noexcept;
};

}  // namespace host
