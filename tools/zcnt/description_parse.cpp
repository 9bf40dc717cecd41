// Reading a `zcnt render` description from JSON; see description_parse.h. Each check is made
// in the order the run reaches the value it guards, so that the first fault stays the first.
#include "tools/zcnt/description_parse.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "tools/zcnt/member_path.h"

namespace zcnt {
namespace {

using nlohmann::json;

// Ends the parse; an empty message when the fault is kept with its part of the description.
struct fault {
    std::string message;
    std::vector<std::string> key;  // the path to a key not known, for its place in the text
};

// A key no one reads is most often a misspelt one whose value would be dropped in silence.
void known_keys(const json& object, std::initializer_list<const char*> keys,
                const std::string& where, std::vector<std::string> path)
{
    for (const auto& item : object.items()) {
        bool known = false;
        for (const char* key : keys) known = known || item.key() == key;
        if (known) continue;
        std::string names;
        for (const char* key : keys) names += std::string(names.empty() ? "" : ", ") + key;
        path.push_back(item.key());
        throw fault{where + ": unknown key " + json(item.key()).dump() + " (known: " + names + ")",
                    std::move(path)};
    }
}

// A JSON integer as a LONG; `colour` also takes 2^31 to 2^32 - 1, a 0x00BBGGRR written unsigned.
bool long_of(const json& v, bool colour, LONG* out)
{
    if (v.is_number_unsigned()) {
        const auto u = v.get<unsigned long long>();
        if (u > (colour ? 0xFFFFFFFFull : 0x7FFFFFFFull)) return false;
        *out = static_cast<LONG>(static_cast<std::uint32_t>(u));
        return true;
    }
    if (!v.is_number_integer()) return false;
    const auto value = v.get<long long>();
    if (value < -0x80000000LL || value > 0x7FFFFFFF) return false;
    *out = static_cast<LONG>(value);
    return true;
}

LONG positive_int(const json& object, const char* key, const std::string& where)
{
    if (!object.contains(key) || !object[key].is_number_integer())
        throw fault{where + ": \"" + key + "\" must be an integer"};
    const auto value = object[key].get<long long>();
    if (value <= 0 || value > 0x7FFFFFFF)
        throw fault{where + ": \"" + key + "\" must be between 1 and 2147483647"};
    return static_cast<LONG>(value);
}

LONG page_of(const json& object, const std::string& where, std::size_t pages)
{
    const LONG page = object.contains("page") ? positive_int(object, "page", where) : 1;
    if (static_cast<std::size_t>(page) > pages)
        throw fault{where + ": there is no page " + std::to_string(page)};
    return page;
}

void parse_pages(const json& input, description* d)
{
    if (!input.contains("pages") || !input["pages"].is_array() || input["pages"].empty())
        throw fault{"\"pages\" must be a non-empty array"};
    for (std::size_t i = 0; i < input["pages"].size(); ++i) {
        const json& p = input["pages"][i];
        const std::string where = "page " + std::to_string(i + 1);
        if (!p.is_object()) throw fault{where + ": must be an object"};
        known_keys(p, {"resolution", "width", "height"}, where, {"pages", std::to_string(i)});
        page_description page;
        page.resolution = positive_int(p, "resolution", where);
        page.width = positive_int(p, "width", where);
        page.height = positive_int(p, "height", where);
        d->pages.push_back(page);
    }
}

// The optional fields of a text line, in the order the run sets them.
void parse_text_fields(const json& t, const std::string& where, text_description* out)
{
    auto integer = [&](const char* key, LONG* value) {
        if (!t.contains(key)) return;
        if (!t[key].is_number_integer()) throw fault{where + ": \"" + key + "\" must be an integer"};
        if (!long_of(t[key], std::string_view(key) == "color", value))
            throw fault{where + ": \"" + key + "\" must be a 32-bit integer"};
    };
    auto text = [&](const char* key, std::string* value) {
        if (!t.contains(key)) return;
        if (!t[key].is_string()) throw fault{where + ": \"" + key + "\" must be a string"};
        *value = t[key].get<std::string>();
    };
    auto flag = [&](const char* key, bool* value) {
        if (!t.contains(key)) return;
        if (!t[key].is_boolean()) throw fault{where + ": \"" + key + "\" must be true or false"};
        *value = t[key].get<bool>();
    };
    out->font = "Arial";
    text("font", &out->font);
    text("text", &out->text);
    integer("size", &out->size);
    flag("bold", &out->bold);
    flag("italic", &out->italic);
    integer("x", &out->x);
    integer("y", &out->y);
    integer("color", &out->color);
}

void parse_texts(json& texts, description* d)
{
    if (!texts.is_array()) throw fault{"\"texts\" must be an array"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const json& t = texts[i];
        const std::string where = "text " + std::to_string(i + 1);
        if (!t.is_object()) throw fault{where + ": must be an object"};
        known_keys(t, {"page", "x", "y", "text", "font", "size", "bold", "italic", "color"}, where,
                   {"texts", std::to_string(i)});
        text_description text;
        text.page = page_of(t, where, d->pages.size());
        try {
            parse_text_fields(t, where, &text);
        } catch (fault& f) {
            text.fault = std::move(f.message);
            d->texts.push_back(std::move(text));
            throw fault{};
        }
        d->texts.push_back(std::move(text));
        texts[i] = nullptr;
    }
    d->has_texts = true;
}

// {"element": n}, {"view": page}, {"words": [page, first, count]}, {"find": [page, "text"]}.
argument parse_reference(const json& j)
{
    argument out;
    out.kind = argument::kinds::object;
    auto made = std::make_shared<reference>();
    out.object = made;
    reference& r = *made;
    r.text = j.dump();
    const std::string& key = j.begin().key();
    const json& value = j.begin().value();
    auto number = [&r](const json& n) {
        r.number_text = n.dump();
        if (n.is_number_integer()) r.number = n.get<long long>();
    };
    if (key == "element" || key == "view") {
        r.kind = key == "element" ? reference::kinds::element : reference::kinds::view;
        number(value);
    } else if (key == "words" || key == "find") {
        const bool by_text = key == "find";
        const json& a = value;
        if (!a.is_array() || a.size() != (by_text ? 2u : 3u) ||
            (by_text ? !a[1].is_string()
                     : !long_of(a[1], false, &r.first) || !long_of(a[2], false, &r.count))) {
            out.kind = argument::kinds::fault;
            out.string = by_text ? "\"find\" must be [page, \"text\"]"
                                 : "\"words\" must be [page, first word, count]";
            return out;
        }
        number(a[0]);
        if (by_text) {
            r.kind = reference::kinds::find;
            r.wanted = a[1].get<std::string>();
            r.wanted_text = a[1].dump();
        } else {
            r.kind = reference::kinds::words;
        }
    } else {
        out.kind = argument::kinds::fault;
        out.string = "cannot pass " + r.text + " as an argument";
    }
    return out;
}

argument parse_argument(const json& j)
{
    argument out;
    using kinds = argument::kinds;
    if (j.is_boolean()) {
        out.kind = kinds::boolean;
        out.boolean = j.get<bool>();
    } else if (j.is_number_integer()) {
        out.kind = kinds::integer;
        out.integer = j.get<long long>();
    } else if (j.is_number_float()) {
        out.kind = kinds::real;
        out.real = j.get<double>();
    } else if (j.is_string()) {
        out.kind = kinds::string;
        out.string = j.get<std::string>();
    } else if (j.is_null()) {
        out.kind = kinds::null_string;
    } else if (j.is_object() && j.size() == 1 && !j.contains("out")) {
        out = parse_reference(j);
    } else if (j.is_object() && j.size() == 1) {
        out.kind = kinds::out;
    } else {
        out.kind = kinds::fault;
        out.string = "cannot pass " + j.dump() + " as an argument";
    }
    return out;
}

// ["Name", args…], ["put", "Prop", value] or ["get", "Prop"], where a name may be a dotted
// path; arguments up to the first that cannot be passed.
call_description parse_call(const json& call)
{
    call_description out;
    out.text = call.dump();
    if (!call.is_array() || call.empty() || !call[0].is_string()) {
        out.fault = "a call is [\"Name\", args…], [\"put\", \"Prop\", value] or [\"get\", \"Prop\"]";
        return out;
    }
    const std::string head = call[0].get<std::string>();
    std::size_t first_arg = 1;
    out.name = head;
    if (head == "put" || head == "get") {
        if (call.size() < 2 || !call[1].is_string()) {
            out.fault = "\"" + head + "\" needs a property name";
            return out;
        }
        out.name = call[1].get<std::string>();
        first_arg = 2;
        out.kind = head == "put" ? call_description::kinds::put : call_description::kinds::get;
        if (head == "put" && call.size() < 3) {
            out.fault = "\"put\" needs a value";
            return out;
        }
    }
    out.member = out.name;
    path_step member;
    if (!parse_member_path(out.member, &out.path, &member, &out.fault)) return out;
    out.name = member.name;
    out.arguments = std::move(member.index);
    out.arguments.reserve(out.arguments.size() + call.size() - first_arg);
    for (std::size_t i = first_arg; i < call.size(); ++i) {
        out.arguments.push_back(parse_argument(call[i]));
        if (out.arguments.back().kind == argument::kinds::fault) break;
    }
    return out;
}

bool has_fault(const call_description& call)
{
    return !call.fault.empty() ||
           (!call.arguments.empty() && call.arguments.back().kind == argument::kinds::fault);
}

void parse_elements(json& elements, description* d)
{
    if (!elements.is_array()) throw fault{"\"elements\" must be an array"};
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const json& e = elements[i];
        const std::string where = "element " + std::to_string(i + 1);
        if (!e.is_object()) throw fault{where + ": must be an object"};
        element_description element;
        if (e.contains("element")) {
            // Calls on an element there is already: it has its class and its page.
            known_keys(e, {"element", "calls"}, where, {"elements", std::to_string(i)});
            element.existing = positive_int(e, "element", where);
        } else {
            known_keys(e, {"page", "class", "calls"}, where, {"elements", std::to_string(i)});
            if (!e.contains("class") || !e["class"].is_string())
                throw fault{where + ": \"class\" must be a ProgID or a {class id}"};
            element.class_text = e["class"].get<std::string>();
            element.page = page_of(e, where, d->pages.size());
        }
        if (e.contains("calls") && !e["calls"].is_array())
            element.fault = where + ": \"calls\" must be an array";
        else if (e.contains("calls"))
            for (const json& call : e["calls"]) {
                element.calls.push_back(parse_call(call));
                if (has_fault(element.calls.back())) break;
            }
        const bool stop = !element.fault.empty() ||
                          (!element.calls.empty() && has_fault(element.calls.back()));
        d->elements.push_back(std::move(element));
        if (stop) throw fault{};
        elements[i] = nullptr;
    }
}

void parse_hits(const json& hits, description* d)
{
    if (!hits.is_array()) throw fault{"\"hits\" must be an array of [page, x, y]"};
    for (std::size_t i = 0; i < hits.size(); ++i) {
        const json& h = hits[i];
        const std::string where = "hit " + std::to_string(i + 1);
        if (!h.is_array() || h.size() < 3 || h.size() > 4)
            throw fault{where + ": must be [page, x, y] or [page, x, y, hit width]"};
        for (const json& v : h)
            if (!v.is_number_integer()) throw fault{where + ": values must be integers"};
        const auto page_number = h[0].get<long long>();
        if (page_number < 1 || static_cast<std::size_t>(page_number) > d->pages.size())
            throw fault{where + ": there is no page " + std::to_string(page_number)};
        hit_description hit;
        hit.page = static_cast<LONG>(page_number);
        if (!long_of(h[1], false, &hit.x) || !long_of(h[2], false, &hit.y) ||
            (h.size() == 4 && !long_of(h[3], false, &hit.width)))
            throw fault{where + ": values must be 32-bit integers"};
        d->hits.push_back(hit);
    }
}

}  // namespace

description parse_description(json input)
{
    description d;
    try {
        if (!input.is_object()) throw fault{"the document must be a JSON object"};
        known_keys(input, {"pages", "texts", "elements", "hits"}, "the document", {});
        parse_pages(input, &d);
        if (input.contains("texts")) parse_texts(input["texts"], &d);
        if (input.contains("elements")) parse_elements(input["elements"], &d);
        if (input.contains("hits")) parse_hits(input["hits"], &d);
    } catch (fault& f) {
        d.fault = std::move(f.message);
        d.fault_key = std::move(f.key);
    }
    return d;
}

}  // namespace zcnt
