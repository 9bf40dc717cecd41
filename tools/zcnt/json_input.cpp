// Positions in a JSON text; see json_input.h.
#include "tools/zcnt/json_input.h"

#include <cstddef>
#include <iterator>

namespace zcnt {
namespace {

using nlohmann::json;

// A character iterator that tells where the parser has read to: the lexer reads each
// character once, so the last one read is where the current token ends.
struct tracking_iterator {
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    const char* at = nullptr;
    const char** last_read = nullptr;

    const char& operator*() const
    {
        *last_read = at;
        return *at;
    }
    tracking_iterator& operator++()
    {
        ++at;
        return *this;
    }
    bool operator==(const tracking_iterator& other) const { return at == other.at; }
    bool operator!=(const tracking_iterator& other) const { return at != other.at; }
};

// Follows the path of object keys and array indexes to the wanted key; stops the parse there.
class key_finder : public json::json_sax_t {
public:
    key_finder(const std::vector<std::string>& wanted, const char** last_read)
        : wanted_(wanted), last_read_(last_read)
    {
    }
    const char* found() const { return found_; }
    // Where the parser stopped at a fault: the offset of the token it could not take.
    std::size_t fault_at() const { return fault_at_; }

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool string(string_t&) override { return value(); }
    bool binary(binary_t&) override { return value(); }
    bool start_object(std::size_t) override { return open(false); }
    bool end_object() override { return close(); }
    bool start_array(std::size_t) override { return open(true); }
    bool end_array() override { return close(); }
    bool key(string_t& name) override
    {
        frames_.back().step = name;
        if (!on_path()) return true;
        found_ = *last_read_;  // the key's closing quote
        return false;
    }
    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception&) override
    {
        fault_at_ = position >= token.size() ? position - token.size() : 0;
        return false;
    }

private:
    struct frame {
        bool array = false;
        std::size_t next = 0;
        std::string step;
    };

    bool value()
    {
        if (!frames_.empty() && frames_.back().array)
            frames_.back().step = std::to_string(frames_.back().next++);
        return true;
    }
    bool open(bool array)
    {
        value();
        frames_.push_back({array, 0, {}});
        return true;
    }
    bool close()
    {
        frames_.pop_back();
        return true;
    }
    bool on_path() const
    {
        if (frames_.size() != wanted_.size()) return false;
        for (std::size_t i = 0; i < frames_.size(); ++i)
            if (frames_[i].step != wanted_[i]) return false;
        return true;
    }

    const std::vector<std::string>& wanted_;
    const char** last_read_;
    std::vector<frame> frames_;
    const char* found_ = nullptr;
    std::size_t fault_at_ = 0;
};

// The parser's words without its prefix: "[json.exception.parse_error.101] parse error at line
// 1, column 7: syntax error …" (the position is given apart, in characters rather than bytes).
std::string cause_of(const std::string& message, std::string_view after)
{
    const std::size_t stop = message.find(after, message.find(']'));
    return stop == std::string::npos ? message : message.substr(stop + after.size());
}

}  // namespace

std::string line_column(std::string_view text, std::size_t offset)
{
    if (offset > text.size()) offset = text.size();
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < offset; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            column = 1;
        } else if ((c & 0xC0) != 0x80) {
            ++column;
        }
    }
    return std::to_string(line) + ":" + std::to_string(column);
}

bool parse_json_text(const std::string& text, json* out, std::string* where, std::string* cause)
{
    try {
        *out = json::parse(text);
        return true;
    } catch (const json::parse_error& e) {
        // The byte count includes the character the parser stopped at.
        *where = line_column(text, e.byte > 0 ? e.byte - 1 : 0);
        *cause = cause_of(e.what(), ": ");
        return false;
    } catch (const json::out_of_range& e) {
        // A number too large for a double is no syntax error and carries no position: a pass
        // of the finder, which looks for no key, stops at the same number.
        const std::vector<std::string> no_key;
        const char* last_read = text.data();
        key_finder finder(no_key, &last_read);
        json::sax_parse(text, &finder);
        *where = line_column(text, finder.fault_at());
        *cause = cause_of(e.what(), "] ");
        return false;
    }
}

std::string key_line_column(const std::string& text, const std::vector<std::string>& path)
{
    if (path.empty()) return {};
    const char* last_read = text.data();
    key_finder finder(path, &last_read);
    const tracking_iterator first{text.data(), &last_read};
    const tracking_iterator last{text.data() + text.size(), &last_read};
    json::sax_parse(first, last, &finder);
    const char* closing = finder.found();
    if (!closing) return {};
    // Back to the opening quote: the first one before that is not escaped.
    std::size_t at = static_cast<std::size_t>(closing - text.data());
    while (at > 0) {
        --at;
        if (text[at] != '"') continue;
        std::size_t slashes = 0;
        while (slashes < at && text[at - 1 - slashes] == '\\') ++slashes;
        if (slashes % 2 == 0) break;
    }
    return line_column(text, at);
}

}  // namespace zcnt
