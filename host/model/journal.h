// The call journal of a document: when enabled, every call made on one of the document's host
// objects through its interfaces becomes one readable line, so that tests can compare the exact
// sequence of host calls an element makes. The line format is described in README.md.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/com/types.h"

namespace host {

class journal {
public:
    struct entry {
        LONG page_id;  // 0 for calls on the document itself
        std::string text;
    };

    void enable(bool on = true) noexcept { enabled_ = on; }
    bool enabled() const noexcept { return enabled_; }
    void clear() noexcept { entries_.clear(); }

    std::vector<std::string> lines() const;
    // Only the lines of calls on objects of one page.
    std::vector<std::string> lines_of_page(LONG page_id) const;
    const std::vector<entry>& entries() const noexcept { return entries_; }

    // A line that cannot be stored for lack of memory is dropped: a journal never fails a call.
    void add(LONG page_id, std::string text) noexcept;

private:
    bool enabled_ = false;
    std::vector<entry> entries_;
};

// Formatting of journal arguments and results.
void append_value(std::string& out, LONG value);
void append_value(std::string& out, ULONG value);  // colours: 0x00BBGGRR
void append_value(std::string& out, SHORT value);
void append_value(std::string& out, double value);
void append_value(std::string& out, float value);
void append_value(std::string& out, std::u16string_view text);  // quoted, UTF-8, escaped
void append_value(std::string& out, std::string_view name);     // an object name, as it is
void append_hresult(std::string& out, HRESULT hr);

std::string utf8(std::u16string_view text);
std::u16string utf16(std::string_view text);

}  // namespace host
