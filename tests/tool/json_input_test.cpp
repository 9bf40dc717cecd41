// Positions in a JSON text: the line and column of a syntax error and of a key, in characters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/zcnt/json_input.h"

namespace {

TEST(JsonInput, CountsLinesAndCharacters)
{
    const struct {
        const char* text;
        std::size_t offset;
        const char* want;
    } cases[] = {
        {"", 0, "1:1"},
        {"abc", 2, "1:3"},
        {"ab\ncd", 2, "1:3"},  // the line break itself ends line 1
        {"ab\ncd", 3, "2:1"},
        {"ab\n\ncd", 5, "3:2"},
        {"\xC3\xBC" "x", 2, "1:2"},  // "ü" is one character of two bytes
        {"a\xE2\x80\x94\xC3\x9F" "b", 6, "1:4"},
        {"ab", 99, "1:3"},  // past the end: just after the last character
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(zcnt::line_column(c.text, c.offset), c.want);
    }
}

TEST(JsonInput, NamesWhereTheTextStopsBeingJson)
{
    const struct {
        const char* text;
        const char* where;
        const char* cause;  // how the cause begins
    } cases[] = {
        {"{\"a\": x}", "1:7", "syntax error while parsing value - invalid literal"},
        {"{\"a\":\n  [1,\n   2,,]}", "3:6", "syntax error while parsing value"},
        {"{\"\xC3\xBC\": 1 2}", "1:9", "syntax error while parsing object"},
        {"[1,", "1:4", "syntax error while parsing value - unexpected end of input"},
        {"", "1:1", "syntax error while parsing value - unexpected end of input"},
        {"{\"a\":\n [1, 1e400]}", "2:6", "number overflow parsing '1e400'"},  // not a double
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        nlohmann::json out;
        std::string where, cause;
        ASSERT_FALSE(zcnt::parse_json_text(c.text, &out, &where, &cause));
        EXPECT_EQ(where, c.where);
        EXPECT_EQ(cause.rfind(c.cause, 0), 0u) << cause;
    }
    nlohmann::json out;
    std::string where, cause;
    EXPECT_TRUE(zcnt::parse_json_text(R"({"a": [1, "x"]})", &out, &where, &cause));
    EXPECT_EQ(out["a"][1], "x");
}

TEST(JsonInput, FindsAKeyByItsPath)
{
    const std::string text = "{\"a\": {\"b\": 1},\n"
                             " \"list\": [{\"b\": 2}, 7, [3], {\"x\": 0, \"b\": 3}],\n"
                             " \"q\\\"\\\\\": {\"\xC3\xBC\": 1, \"b\": 4}}";
    const struct {
        std::vector<std::string> path;
        const char* want;
    } cases[] = {
        {{"a"}, "1:2"},
        {{"a", "b"}, "1:8"},
        {{"list", "0", "b"}, "2:12"},
        {{"list", "3", "b"}, "2:38"},  // after a number and an array in the same list
        {{"q\"\\"}, "3:2"},            // escaped quotes and backslashes in the key
        {{"q\"\\", "b"}, "3:20"},      // columns in characters after "ü"
        {{"list", "1", "b"}, ""},      // not an object
        {{"b"}, ""},                   // only deeper down
        {{}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.path));
        EXPECT_EQ(zcnt::key_line_column(text, c.path), c.want);
    }
}

}  // namespace
