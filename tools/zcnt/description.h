// What `zcnt render` makes, as plain values: pages, host text lines, elements with the calls
// that drive them, and hit tests, each in the order given. The parser stops at the first fault
// it finds and keeps everything before it; the run does all of that and then reports the fault,
// so the first fault is the one reported, whether the parser or the engine finds it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/com/com.h"

namespace zcnt {

struct page_description {
    LONG resolution = 0, width = 0, height = 0;
};

// A line of text the host places itself; sizes in tenths of a point.
struct text_description {
    LONG page = 1;
    std::string font, text;  // UTF-8
    LONG size = 120, x = 0, y = 0, color = 0;
    bool bold = false, italic = false;
    // A fault in the fields after the page, reported once the engine has made the text's
    // objects.
    std::string fault;
};

// An object a call is given: the n-th element, a page's document view, or a text range over
// the words of a page by position or by their text.
struct reference {
    enum class kinds { element, view, words, find };
    kinds kind = kinds::element;
    std::string text;               // the reference as written, for messages
    std::optional<long long> number;  // the element or page number; none when not an integer
    std::string number_text;        // the number as written
    LONG first = 0, count = 0;      // words
    std::string wanted, wanted_text;  // find: the text, and the text as written
};

struct argument {
    enum class kinds { integer, real, string, null_string, boolean, object, out, fault };
    kinds kind = kinds::integer;
    long long integer = 0;
    double real = 0;
    std::string string;  // UTF-8, or the fault's message
    bool boolean = false;
    // Behind a pointer: few arguments are references, and every argument of a long document
    // is held for the whole run.
    std::shared_ptr<const reference> object;
};

// One step of a dotted member path: a property get, with the index written in parentheses
// ("Item(2)") as its arguments.
struct path_step {
    std::string text;  // the step as written
    std::string name;
    std::vector<argument> index;
};

struct call_description {
    enum class kinds { method, put, get };
    kinds kind = kinds::method;
    std::string text;  // the call as compact JSON, for messages and the report
    std::string member;  // the member path as written: "ChoiceItems.Item(2).DisplayName"
    std::vector<path_step> path;  // the objects reached before the member, in order
    std::string name;  // the member called on the last of them
    // The member's own index first, then the call's arguments.
    std::vector<argument> arguments;
    std::string fault;  // a call of the wrong shape: it is not made
};

struct element_description {
    std::string class_text;  // a ProgID or a {class id}; empty when `existing` is given
    LONG page = 1;
    // An element made before (or loaded with a saved document), from 1, whose calls these are.
    LONG existing = 0;
    std::vector<call_description> calls;
    std::string fault;  // reported once the element is made and attached
};

struct hit_description {
    LONG page = 1, x = 0, y = 0, width = 0;
};

struct description {
    std::vector<page_description> pages;
    bool has_texts = false;  // even with none, the host then recognises the pages' words
    std::vector<text_description> texts;
    std::vector<element_description> elements;
    std::vector<hit_description> hits;
    std::string fault;  // reported after everything above
    // For a key the description does not know: the path to it (object keys and array indexes
    // from the top, as strings), and where the caller found it in the text ("3:14").
    std::vector<std::string> fault_key;
    std::string fault_location;
};

}  // namespace zcnt
