// Reading a JSON input as text, so that a message can say where in the file a fault lies:
// "line:column" of a syntax error, or of a key the description does not know.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace zcnt {

// "3:14" for the character at `offset` (0-based, in bytes) of `text`: lines and columns from 1,
// columns counted in characters of UTF-8. An offset past the end is just after the last one.
std::string line_column(std::string_view text, std::size_t offset);

// False for text that is not JSON, with `where` the line and column of the fault and `cause`
// the parser's own words for it.
bool parse_json_text(const std::string& text, nlohmann::json* out, std::string* where,
                     std::string* cause);

// The line and column where the key at `path` (object keys and array indexes, from the top)
// begins in `text`, or empty when there is none.
std::string key_line_column(const std::string& text, const std::vector<std::string>& path);

}  // namespace zcnt
