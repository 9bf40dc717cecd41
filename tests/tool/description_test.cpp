// Reading a render description: the values land in plain form in the order given, and the
// first fault stops the parse, kept with the part the run reports it from, with everything
// before it still there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/zcnt/description_parse.h"

namespace {

using zcnt::argument;
using zcnt::call_description;
using zcnt::description;
using zcnt::reference;

description parse(const std::string& text)
{
    return zcnt::parse_description(nlohmann::json::parse(text));
}

const std::string kPage = R"({"resolution": 720, "width": 5950, "height": 8420})";

TEST(Description, KeepsEveryValueInOrder)
{
    const description d = parse(R"({"pages": [)" + kPage + R"(,
                  {"resolution": 96, "width": 2, "height": 3}],
        "texts": [{"text": "Hello", "page": 2, "size": 240, "bold": true, "x": 5, "color": 255},
                  {}],
        "elements": [{"class": "A.B", "page": 2, "calls": [
            ["M", 1, 4294967296, 1.5, "s", null, false, {"out": null}],
            ["put", "P", {"element": 1}], ["get", "G"],
            ["N", {"view": "x"}, {"words": [1, 2, 3]}, {"find": [2, "two words"]}]]},
                     {"class": "{00000000-0000-0000-0000-000000000001}"}],
        "hits": [[1, 10, 20], [2, 1, 2, 7]]})");
    EXPECT_TRUE(d.fault.empty());
    ASSERT_EQ(d.pages.size(), 2u);
    EXPECT_EQ(d.pages[1].resolution, 96);
    EXPECT_EQ(d.pages[1].width, 2);
    EXPECT_EQ(d.pages[1].height, 3);
    EXPECT_TRUE(d.has_texts);
    ASSERT_EQ(d.texts.size(), 2u);
    EXPECT_EQ(d.texts[0].page, 2);
    EXPECT_EQ(d.texts[0].text, "Hello");
    EXPECT_EQ(d.texts[0].size, 240);
    EXPECT_TRUE(d.texts[0].bold);
    EXPECT_FALSE(d.texts[0].italic);
    EXPECT_EQ(d.texts[0].x, 5);
    EXPECT_EQ(d.texts[0].color, 255);
    // What a line without fields gets.
    EXPECT_EQ(d.texts[1].page, 1);
    EXPECT_EQ(d.texts[1].font, "Arial");
    EXPECT_EQ(d.texts[1].size, 120);

    ASSERT_EQ(d.elements.size(), 2u);
    EXPECT_EQ(d.elements[0].class_text, "A.B");
    EXPECT_EQ(d.elements[0].page, 2);
    EXPECT_EQ(d.elements[1].page, 1);
    const auto& calls = d.elements[0].calls;
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].kind, call_description::kinds::method);
    EXPECT_EQ(calls[0].name, "M");
    EXPECT_EQ(calls[0].text, R"(["M",1,4294967296,1.5,"s",null,false,{"out":null}])");
    const argument::kinds kinds[] = {argument::kinds::integer, argument::kinds::integer,
                                     argument::kinds::real, argument::kinds::string,
                                     argument::kinds::null_string, argument::kinds::boolean,
                                     argument::kinds::out};
    ASSERT_EQ(calls[0].arguments.size(), std::size(kinds));
    for (std::size_t i = 0; i < std::size(kinds); ++i)
        EXPECT_EQ(calls[0].arguments[i].kind, kinds[i]) << i;
    EXPECT_EQ(calls[0].arguments[1].integer, 4294967296LL);
    EXPECT_EQ(calls[0].arguments[2].real, 1.5);
    EXPECT_EQ(calls[0].arguments[3].string, "s");
    EXPECT_EQ(calls[1].kind, call_description::kinds::put);
    EXPECT_EQ(calls[1].name, "P");
    EXPECT_EQ(calls[1].arguments[0].object->kind, reference::kinds::element);
    EXPECT_EQ(calls[1].arguments[0].object->number, 1);
    EXPECT_EQ(calls[2].kind, call_description::kinds::get);
    EXPECT_TRUE(calls[2].arguments.empty());
    const auto& refs = calls[3].arguments;
    ASSERT_EQ(refs.size(), 3u);
    EXPECT_EQ(refs[0].object->kind, reference::kinds::view);
    EXPECT_FALSE(refs[0].object->number.has_value());
    EXPECT_EQ(refs[0].object->number_text, R"("x")");
    EXPECT_EQ(refs[1].object->kind, reference::kinds::words);
    EXPECT_EQ(refs[1].object->first, 2);
    EXPECT_EQ(refs[1].object->count, 3);
    EXPECT_EQ(refs[1].object->text, R"({"words":[1,2,3]})");
    EXPECT_EQ(refs[2].object->kind, reference::kinds::find);
    EXPECT_EQ(refs[2].object->wanted, "two words");
    EXPECT_EQ(refs[2].object->wanted_text, R"("two words")");

    ASSERT_EQ(d.hits.size(), 2u);
    EXPECT_EQ(d.hits[0].width, 0);
    EXPECT_EQ(d.hits[1].page, 2);
    EXPECT_EQ(d.hits[1].y, 2);
    EXPECT_EQ(d.hits[1].width, 7);
}

// Where a fault is kept: the whole description's, a text's, an element's, a call's or an
// argument's (the last argument kept).
enum class kept { document, text, element, call, argument };

struct fault_case {
    const char* after_pages;  // the rest of the description after one page
    kept where;
    const char* message;
};

const fault_case kFaults[] = {
    {R"(, {"resolution": 0, "width": 1, "height": 1}])", kept::document,
     R"(page 2: "resolution" must be between 1 and 2147483647)"},
    {R"(, {"resolution": 1, "width": 1.5, "height": 1}])", kept::document,
     R"(page 2: "width" must be an integer)"},
    {R"(, 3])", kept::document, "page 2: must be an object"},
    {R"(], "texts": {})", kept::document, R"("texts" must be an array)"},
    {R"(], "texts": [{"page": 2}])", kept::document, "text 1: there is no page 2"},
    {R"(], "texts": [{"font": 1, "size": "a"}])", kept::text, R"(text 1: "font" must be a string)"},
    {R"(], "texts": [{"size": "a", "bold": 1}])", kept::text, R"(text 1: "size" must be an integer)"},
    {R"(], "texts": [{"italic": 0}])", kept::text, R"(text 1: "italic" must be true or false)"},
    {R"(], "texts": [{"color": 4294967295, "x": 4294967396}])", kept::text,
     R"(text 1: "x" must be a 32-bit integer)"},  // not 100
    {R"(], "elements": [{"class": 1}])", kept::document,
     R"(element 1: "class" must be a ProgID or a {class id})"},
    {R"(], "elements": [{"class": "A", "page": 0}])", kept::document,
     R"(element 1: "page" must be between 1 and 2147483647)"},
    {R"(], "elements": [{"class": "A", "calls": {}}])", kept::element,
     R"(element 1: "calls" must be an array)"},
    {R"(], "elements": [{"class": "A", "calls": [[3]]}])", kept::call,
     R"(a call is ["Name", args…], ["put", "Prop", value] or ["get", "Prop"])"},
    {R"(], "elements": [{"class": "A", "calls": [["get"]]}])", kept::call,
     R"("get" needs a property name)"},
    {R"(], "elements": [{"class": "A", "calls": [["put", "P"]]}])", kept::call,
     R"("put" needs a value)"},
    {R"(], "elements": [{"class": "A", "calls": [["M", 1, [2], 3]]}])", kept::argument,
     "cannot pass [2] as an argument"},
    {R"(], "elements": [{"class": "A", "calls": [["M", {"a": 1, "b": 2}]]}])", kept::argument,
     R"(cannot pass {"a":1,"b":2} as an argument)"},
    {R"(], "elements": [{"class": "A", "calls": [["M", {"page": 1}]]}])", kept::argument,
     R"(cannot pass {"page":1} as an argument)"},
    {R"(], "elements": [{"class": "A", "calls": [["M", {"words": [1, 2]}]]}])", kept::argument,
     R"("words" must be [page, first word, count])"},
    {R"(], "elements": [{"class": "A", "calls": [["M", {"words": [1, 4294967297, 1]}]]}])",
     kept::argument, R"("words" must be [page, first word, count])"},  // not word 1
    {R"(], "elements": [{"class": "A", "calls": [["M", {"find": [1, 2]}]]}])", kept::argument,
     R"("find" must be [page, "text"])"},
    {R"(], "hits": 3)", kept::document, R"("hits" must be an array of [page, x, y])"},
    {R"(], "hits": [[1, 1, 1], [1, 2]])", kept::document,
     "hit 2: must be [page, x, y] or [page, x, y, hit width]"},
    {R"(], "hits": [[1, 1, 1], [1, 2, 3.5]])", kept::document, "hit 2: values must be integers"},
    {R"(], "hits": [[1, 1, 1], [2, 1, 1]])", kept::document, "hit 2: there is no page 2"},
    {R"(], "hits": [[1, 1, 1], [1, -2147483649, 1]])", kept::document,
     "hit 2: values must be 32-bit integers"},
};

TEST(Description, KeepsTheFirstFaultWhereTheRunReachesIt)
{
    for (const fault_case& c : kFaults) {
        SCOPED_TRACE(c.after_pages);
        // Whatever follows the fault is never read: hits come last, and only those before a
        // faulty one are kept.
        const std::string rest = c.after_pages;
        const bool of_hits = rest.find("\"hits\": [") != std::string::npos;
        const char* end = rest.find("hits") == std::string::npos ? R"(, "hits": [[1, 1, 1]]})" : "}";
        const description d = parse(R"({"pages": [)" + kPage + rest + end);
        ASSERT_EQ(d.pages.size(), 1u);
        EXPECT_EQ(d.hits.size(), of_hits ? 1u : 0u);
        EXPECT_EQ(d.fault, c.where == kept::document ? c.message : "");
        if (c.where == kept::text) {
            ASSERT_EQ(d.texts.size(), 1u);
            EXPECT_EQ(d.texts[0].fault, c.message);
            EXPECT_FALSE(d.has_texts);
        }
        if (c.where < kept::element) continue;
        ASSERT_EQ(d.elements.size(), 1u);
        const auto& e = d.elements[0];
        EXPECT_EQ(e.fault, c.where == kept::element ? c.message : "");
        if (c.where == kept::element) continue;
        ASSERT_EQ(e.calls.size(), 1u);
        EXPECT_EQ(e.calls[0].fault, c.where == kept::call ? c.message : "");
        if (c.where == kept::call) continue;
        ASSERT_FALSE(e.calls[0].arguments.empty());
        EXPECT_EQ(e.calls[0].arguments.back().kind, argument::kinds::fault);
        EXPECT_EQ(e.calls[0].arguments.back().string, c.message);
    }
}

TEST(Description, StopsAfterTheElementWithTheFault)
{
    const description d = parse(R"({"pages": [)" + kPage + R"(], "elements": [
        {"class": "A", "calls": [["M"], ["N", []], ["O"]]}, {"class": "B"}]})");
    ASSERT_EQ(d.elements.size(), 1u);
    ASSERT_EQ(d.elements[0].calls.size(), 2u);
    EXPECT_EQ(d.elements[0].calls[1].arguments.back().kind, argument::kinds::fault);
}

TEST(Description, RefusesAnythingButAnObject)
{
    for (const char* text : {"[]", "3", "null"}) {
        SCOPED_TRACE(text);
        const description d = parse(text);
        EXPECT_EQ(d.fault, "the document must be a JSON object");
        EXPECT_TRUE(d.pages.empty());
    }
    EXPECT_EQ(parse(R"({"pages": []})").fault, R"("pages" must be a non-empty array)");
}

// A member path: the steps before the member with their indexes, then the member, whose own
// index goes before the call's arguments.
TEST(Description, SplitsDottedMemberPaths)
{
    const description d = parse(R"({"pages": [)" + kPage + R"j(], "elements": [{"class": "A", "calls": [
        ["put", "ChoiceItems.Item(2).DisplayName", "Red"],
        ["get", "A.B( 'x.y' , -3).Item(\"q)\")"],
        ["ChoiceItems.MoveItemUp", 3],
        ["Plain", 1]]}]})j");
    ASSERT_TRUE(d.fault.empty()) << d.fault;
    const auto& calls = d.elements[0].calls;
    ASSERT_EQ(calls.size(), 4u);

    EXPECT_EQ(calls[0].member, "ChoiceItems.Item(2).DisplayName");
    ASSERT_EQ(calls[0].path.size(), 2u);
    EXPECT_EQ(calls[0].path[0].name, "ChoiceItems");
    EXPECT_TRUE(calls[0].path[0].index.empty());
    EXPECT_EQ(calls[0].path[1].text, "Item(2)");
    ASSERT_EQ(calls[0].path[1].index.size(), 1u);
    EXPECT_EQ(calls[0].path[1].index[0].integer, 2);
    EXPECT_EQ(calls[0].name, "DisplayName");
    ASSERT_EQ(calls[0].arguments.size(), 1u);
    EXPECT_EQ(calls[0].arguments[0].string, "Red");

    // Dots and parentheses inside quotes belong to the index.
    ASSERT_EQ(calls[1].path.size(), 2u);
    EXPECT_TRUE(calls[1].path[0].index.empty());
    ASSERT_EQ(calls[1].path[1].index.size(), 2u);
    EXPECT_EQ(calls[1].path[1].index[0].kind, argument::kinds::string);
    EXPECT_EQ(calls[1].path[1].index[0].string, "x.y");
    EXPECT_EQ(calls[1].path[1].index[1].integer, -3);
    EXPECT_EQ(calls[1].name, "Item");
    ASSERT_EQ(calls[1].arguments.size(), 1u);
    EXPECT_EQ(calls[1].arguments[0].string, "q)");

    EXPECT_EQ(calls[2].kind, call_description::kinds::method);
    ASSERT_EQ(calls[2].path.size(), 1u);
    EXPECT_EQ(calls[2].name, "MoveItemUp");
    EXPECT_EQ(calls[2].arguments[0].integer, 3);

    EXPECT_TRUE(calls[3].path.empty());
    EXPECT_EQ(calls[3].name, "Plain");
}

TEST(Description, RefusesAPathItCannotRead)
{
    const struct {
        const char* path;
        const char* step;
    } cases[] = {{"A..B", "step 2 \"\""},       {"A.", "step 2 \"\""},
                 {"A(1", "step 1 \"A(1\""},     {"A(x).B", "step 1 \"A(x)\""},
                 {"A.B(1,)", "step 2 \"B(1,)\""}, {"A(1)x", "step 1 \"A(1)x\""},
                 {"A('open)", "step 1 \"A('open)\""}, {"A-B", "step 1 \"A-B\""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const description d = parse(R"({"pages": [)" + kPage + R"j(], "elements": [{"class": "A",
            "calls": [["get", ")j" + std::string(c.path) + R"j("], ["Next"]]}]})j");
        ASSERT_EQ(d.elements.size(), 1u);
        // The faulty call is the last one read.
        ASSERT_EQ(d.elements[0].calls.size(), 1u);
        const std::string& fault = d.elements[0].calls[0].fault;
        std::string expected = "\"";
        expected.append(c.path).append("\": ").append(c.step);
        EXPECT_EQ(fault.rfind(expected, 0), 0u) << fault;
    }
}

// A key the description does not read is a fault naming it and the path to it, found before
// anything of the part that holds it is kept.
TEST(Description, RefusesKeysItDoesNotKnow)
{
    const struct {
        const char* text;
        const char* message;
        std::vector<std::string> key;
        std::size_t elements;  // kept before the fault
    } cases[] = {
        {R"({"pages": [{"resolution": 1, "width": 1, "height": 1}], "hit": []})",
         R"(the document: unknown key "hit" (known: pages, texts, elements, hits))", {"hit"}, 0},
        {R"({"pages": [{"resolution": 1, "width": 1, "height": 1},
                       {"resolution": 1, "width": 1, "heigth": 1}]})",
         R"(page 2: unknown key "heigth" (known: resolution, width, height))",
         {"pages", "1", "heigth"}, 0},
        {R"({"pages": [{"resolution": 1, "width": 1, "height": 1}], "texts": [{"colour": 1}]})",
         R"(text 1: unknown key "colour" (known: page, x, y, text, font, size, bold, italic, color))",
         {"texts", "0", "colour"}, 0},
        {R"({"pages": [{"resolution": 1, "width": 1, "height": 1}],
             "elements": [{"class": "A"}, {"class": "B", "call": []}]})",
         R"(element 2: unknown key "call" (known: page, class, calls))",
         {"elements", "1", "call"}, 1},
        {R"({"pages": [{"resolution": 1, "width": 1, "height": 1}], "elements": [{"Class\"": "A"}]})",
         R"(element 1: unknown key "Class\"" (known: page, class, calls))",
         {"elements", "0", "Class\""}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const description d = parse(c.text);
        EXPECT_EQ(d.fault, c.message);
        EXPECT_EQ(d.fault_key, c.key);
        EXPECT_EQ(d.elements.size(), c.elements);
    }
    EXPECT_TRUE(parse(R"({"pages": [)" + kPage + "]}").fault_key.empty());
}

}  // namespace
