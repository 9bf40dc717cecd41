// zcnt render: a JSON description of pages and elements becomes a document. Every element is
// created through the class table, attached to its page, and driven by name through IDispatch;
// then the hit tests run and the report, the .pjd file and the PDF are written — all of them
// or none.
#include "tools/zcnt/render.h"

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_document.h"
#include "core/element_state.h"
#include "module/class_map.h"
#include "platform/com/streams.h"
#include "tools/zcnt/dispatch_call.h"
#include "tools/zcnt/files.h"
#include "tools/zcnt/host_bridge.h"
#include "tools/zcnt/pdf_output.h"
#include "tools/zcnt/report.h"

namespace zcnt {
namespace {

using nlohmann::json;

struct failure {
    std::string message;
};

struct created_element {
    std::string class_text;
    CLSID clsid{};
    LONG page = 0;
    com::ComPtr<IDispatch> dispatch;
    json calls = json::array();
};

std::string hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

LONG positive_int(const json& object, const char* key, const std::string& where)
{
    if (!object.contains(key) || !object[key].is_number_integer())
        throw failure{where + ": \"" + key + "\" must be an integer"};
    const auto value = object[key].get<long long>();
    if (value <= 0 || value > 0x7FFFFFFF)
        throw failure{where + ": \"" + key + "\" must be between 1 and 2147483647"};
    return static_cast<LONG>(value);
}

CLSID class_id_of(const std::string& text, const std::string& where)
{
    CLSID clsid{};
    if (!text.empty() && text.front() == '{') {
        if (!com::parse_guid(std::string_view(text), &clsid))
            throw failure{where + ": \"" + text + "\" is not a class id"};
        return clsid;
    }
    const std::u16string progid = utf16_of(text);
    if (FAILED(CLSIDFromProgID(progid.c_str(), &clsid)))
        throw failure{where + ": unknown class \"" + text + "\""};
    return clsid;
}

struct page_lists {
    com::ComPtr<IDispatch> objects, resources;
};

page_lists lists_of(IZPrintContentPage* page)
{
    page_lists lists;
    com::ComPtr<IZPageObjectList> objects;
    com::ComPtr<IZResourceList> resources;
    page->get_PageObjects(objects.put());
    page->get_Resources(resources.put());
    if (objects) objects->QueryInterface(IDispatch::iid, lists.objects.put_void());
    if (resources) resources->QueryInterface(IDispatch::iid, lists.resources.put_void());
    return lists;
}

com::ComPtr<IZCntElementContainer> container_of(IZDocument* document)
{
    com::ComPtr<IZCntElementContainer> container;
    FindElementContainer(document, container.put());
    return container;
}

class renderer {
public:
    explicit renderer(const json& input) : input_(input) {}

    void run()
    {
        if (!input_.is_object()) throw failure{"the document must be a JSON object"};
        document_ = bridge::interface_of(host_document_);
        if (!document_) throw failure{"out of memory for the document"};
        add_pages();
        if (input_.contains("texts")) {
            add_texts(input_["texts"]);
            // The host's own text is the text a text mark can find.
            for (LONG p = 1; p <= host_document_.page_count(); ++p) host_document_.recognise_words(p);
        }
        if (input_.contains("elements")) {
            if (!input_["elements"].is_array()) throw failure{"\"elements\" must be an array"};
            for (std::size_t i = 0; i < input_["elements"].size(); ++i)
                run_element(input_["elements"][i], i + 1);
        }
        if (input_.contains("hits")) run_hits(input_["hits"]);
    }

    json report() const
    {
        json out;
        out["elements"] = json::array();
        for (std::size_t i = 0; i < elements_.size(); ++i)
            out["elements"].push_back(describe_element(elements_[i], i + 1));
        out["pages"] = json::array();
        for (std::size_t i = 0; i < pages_.size(); ++i) {
            json page = bridge::describe_page(host_document_, static_cast<LONG>(i + 1));
            LONG id = 0;
            pages_[i]->get_PageID(&id);
            page["number"] = i + 1;
            page["page_id"] = id;
            out["pages"].push_back(std::move(page));
        }
        out["container"] = describe_container(container_of(document_.get()).get());
        out["hits"] = hits_;
        return out;
    }

    const host::document& document() const { return host_document_; }

private:
    void add_pages()
    {
        if (!input_.contains("pages") || !input_["pages"].is_array() || input_["pages"].empty())
            throw failure{"\"pages\" must be a non-empty array"};
        for (std::size_t i = 0; i < input_["pages"].size(); ++i) {
            const json& p = input_["pages"][i];
            const std::string where = "page " + std::to_string(i + 1);
            if (!p.is_object()) throw failure{where + ": must be an object"};
            const LONG resolution = positive_int(p, "resolution", where);
            const LONG width = positive_int(p, "width", where);
            const LONG height = positive_int(p, "height", where);
            com::ComPtr<IZPrintContentPage> page;
            const HRESULT hr = document_->AddPage(width, height, resolution, page.put());
            if (FAILED(hr) || !page) throw failure{where + ": the engine refused it (" + hex(hr) + ")"};
            pages_.push_back(page);
        }
    }

    // Lines of text the host itself places (titles, body text), through the page's lists as
    // any caller of the engine would.
    void add_texts(const json& texts)
    {
        if (!texts.is_array()) throw failure{"\"texts\" must be an array"};
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const json& t = texts[i];
            const std::string where = "text " + std::to_string(i + 1);
            if (!t.is_object()) throw failure{where + ": must be an object"};
            const LONG page_number = t.contains("page") ? positive_int(t, "page", where) : 1;
            if (static_cast<std::size_t>(page_number) > pages_.size())
                throw failure{where + ": there is no page " + std::to_string(page_number)};
            auto integer = [&](const char* key, long long fallback) -> LONG {
                if (!t.contains(key)) return static_cast<LONG>(fallback);
                if (!t[key].is_number_integer()) throw failure{where + ": \"" + key + "\" must be an integer"};
                return static_cast<LONG>(t[key].get<long long>());
            };
            auto text_of = [&](const char* key, const char* fallback) -> std::u16string {
                if (!t.contains(key)) return utf16_of(fallback);
                if (!t[key].is_string()) throw failure{where + ": \"" + key + "\" must be a string"};
                return utf16_of(t[key].get<std::string>());
            };
            auto flag = [&](const char* key) {
                if (!t.contains(key)) return false;
                if (!t[key].is_boolean()) throw failure{where + ": \"" + key + "\" must be true or false"};
                return t[key].get<bool>();
            };
            IZPrintContentPage* page = pages_[static_cast<std::size_t>(page_number - 1)].get();
            LONG resolution = 0;
            page->get_Resolution(&resolution);
            com::ComPtr<IZPageObjectList> objects;
            com::ComPtr<IZResourceList> resources;
            page->get_PageObjects(objects.put());
            page->get_Resources(resources.put());
            if (!objects || !resources) throw failure{where + ": the page has no lists"};
            com::ComPtr<IDispatch> made_font, made_text;
            resources->Create(zeKindFont, made_font.put());
            objects->Create(zeKindTextObject, made_text.put());
            com::ComPtr<IZFont> font;
            com::ComPtr<IZTextObject> line;
            if (made_font) made_font->QueryInterface(IZFont::iid, font.put_void());
            if (made_text) made_text->QueryInterface(IZTextObject::iid, line.put_void());
            if (!font || !line) throw failure{where + ": the engine made no text object"};
            const com::Bstr face(text_of("font", "Arial"));
            const com::Bstr body(text_of("text", ""));
            font->put_FaceName(face.get());
            // Sizes are given in tenths of a point, as the elements take them.
            font->put_Size(static_cast<LONG>(LONGLONG{integer("size", 120)} * resolution / 720));
            font->put_Bold(flag("bold") ? VARIANT_TRUE : VARIANT_FALSE);
            font->put_Italic(flag("italic") ? VARIANT_TRUE : VARIANT_FALSE);
            line->put_Text(body.get());
            line->put_X(integer("x", 0));
            line->put_Y(integer("y", 0));
            line->putref_Font(font.get());
            line->put_Color(static_cast<OLE_COLOR>(integer("color", 0)));
            VARIANT v{};
            v.vt = VT_UNKNOWN;
            v.punkVal = font.get();
            LONG id = 0;
            resources->Add(v, &id);
            v.punkVal = line.get();
            if (FAILED(objects->Add(v, &id))) throw failure{where + ": the page refused the text"};
        }
    }

    void run_element(const json& e, std::size_t index)
    {
        const std::string where = "element " + std::to_string(index);
        if (!e.is_object()) throw failure{where + ": must be an object"};
        if (!e.contains("class") || !e["class"].is_string())
            throw failure{where + ": \"class\" must be a ProgID or a {class id}"};
        created_element made;
        made.class_text = e["class"].get<std::string>();
        const LONG page_number = e.contains("page") ? positive_int(e, "page", where) : 1;
        if (static_cast<std::size_t>(page_number) > pages_.size())
            throw failure{where + ": there is no page " + std::to_string(page_number)};
        made.page = page_number;
        made.clsid = class_id_of(made.class_text, where);
        HRESULT hr = CoCreateInstance(made.clsid, nullptr, CLSCTX_INPROC_SERVER, IDispatch::iid,
                                      made.dispatch.put_void());
        if (FAILED(hr) || !made.dispatch)
            throw failure{where + ": class \"" + made.class_text + "\" cannot be created (" +
                          hex(hr) + ")"};

        com::ComPtr<IZElement> element;
        made.dispatch->QueryInterface(IZElement::iid, element.put_void());
        if (element) {
            IZPrintContentPage* page = pages_[static_cast<std::size_t>(page_number - 1)].get();
            const page_lists lists = lists_of(page);
            com::ComPtr<IDispatch> doc;
            document_->QueryInterface(IDispatch::iid, doc.put_void());
            element->Attach(lists.objects.get(), lists.resources.get(), doc.get());
        }

        elements_.push_back(std::move(made));
        created_element& current = elements_.back();
        if (!e.contains("calls")) return;
        if (!e["calls"].is_array()) throw failure{where + ": \"calls\" must be an array"};
        const auto resolve = [this](const json& ref, std::string* error) {
            return resolve_object(ref, error);
        };
        for (std::size_t c = 0; c < e["calls"].size(); ++c) {
            const json& call = e["calls"][c];
            call_result r = invoke_call(current.dispatch.get(), call, resolve);
            if (!r.error.empty())
                throw failure{where + ", call " + std::to_string(c + 1) + " " + call.dump() + ": " +
                              r.error};
            json entry{{"call", call}, {"hr", hex(r.hr)}};
            if (!r.value.is_null() || (call.is_array() && call[0] == "get")) entry["value"] = r.value;
            if (!r.outs.is_null()) entry["out"] = r.outs;
            current.calls.push_back(std::move(entry));
        }
    }

    // Objects a call can be given: {"element": n}, a page's document view {"view": page}, and
    // text ranges over the words a page knows, by position {"words": [page, first, count]} or
    // by their text {"find": [page, "words to find"]}.
    com::ComPtr<IDispatch> resolve_object(const json& ref, std::string* error)
    {
        auto page_at = [&](const json& n) -> IZPrintContentPage* {
            if (!n.is_number_integer() || n.get<long long>() < 1 ||
                n.get<long long>() > static_cast<long long>(pages_.size())) {
                *error = "there is no page " + n.dump();
                return nullptr;
            }
            return pages_[static_cast<std::size_t>(n.get<long long>() - 1)].get();
        };
        com::ComPtr<IDispatch> out;
        if (ref.contains("element")) {
            const json& n = ref["element"];
            if (n.is_number_integer() && n.get<long long>() >= 1 &&
                n.get<long long>() <= static_cast<long long>(elements_.size()))
                out = elements_[static_cast<std::size_t>(n.get<long long>() - 1)].dispatch;
            else
                *error = "no element " + n.dump() + " to refer to";
        } else if (ref.contains("view")) {
            if (IZPrintContentPage* page = page_at(ref["view"])) page->get_DocumentView(out.put());
        } else if (ref.contains("words") || ref.contains("find")) {
            const bool by_text = ref.contains("find");
            const json& a = by_text ? ref["find"] : ref["words"];
            if (!a.is_array() || a.size() != (by_text ? 2u : 3u) ||
                (by_text ? !a[1].is_string() : !a[1].is_number_integer() || !a[2].is_number_integer())) {
                *error = by_text ? "\"find\" must be [page, \"text\"]"
                                 : "\"words\" must be [page, first word, count]";
                return out;
            }
            IZPrintContentPage* page = page_at(a[0]);
            if (!page) return out;
            LONG first = 0, count = 0;
            if (by_text) {
                const com::Bstr wanted(utf16_of(a[1].get<std::string>()));
                if (FAILED(page->FindText(wanted.get(), &first)) || first < 1) {
                    *error = "page " + a[0].dump() + " does not show " + a[1].dump();
                    return out;
                }
                // As many words as the text has.
                std::string text = a[1].get<std::string>();
                bool in_word = false;
                for (char c : text) {
                    const bool space = c == ' ' || c == '\t';
                    if (!space && !in_word) ++count;
                    in_word = !space;
                }
            } else {
                first = static_cast<LONG>(a[1].get<long long>());
                count = static_cast<LONG>(a[2].get<long long>());
            }
            if (FAILED(page->CreateTextRange(first, count, out.put())))
                *error = "no text range " + ref.dump();
        } else {
            *error = "cannot pass " + ref.dump() + " as an argument";
        }
        if (!out && error->empty()) *error = "no object " + ref.dump() + " to refer to";
        return out;
    }

    void run_hits(const json& hits)
    {
        if (!hits.is_array()) throw failure{"\"hits\" must be an array of [page, x, y]"};
        com::ComPtr<IZCntElementContainer> container = container_of(document_.get());
        for (std::size_t i = 0; i < hits.size(); ++i) {
            const json& h = hits[i];
            const std::string where = "hit " + std::to_string(i + 1);
            if (!h.is_array() || h.size() < 3 || h.size() > 4)
                throw failure{where + ": must be [page, x, y] or [page, x, y, hit width]"};
            for (const json& v : h)
                if (!v.is_number_integer()) throw failure{where + ": values must be integers"};
            const auto page_number = h[0].get<long long>();
            if (page_number < 1 || static_cast<std::size_t>(page_number) > pages_.size())
                throw failure{where + ": there is no page " + std::to_string(page_number)};
            const auto x = static_cast<LONG>(h[1].get<long long>());
            const auto y = static_cast<LONG>(h[2].get<long long>());
            const LONG width = h.size() == 4 ? static_cast<LONG>(h[3].get<long long>()) : 0;
            hits_.push_back(hit_test(container.get(),
                                     pages_[static_cast<std::size_t>(page_number - 1)].get(),
                                     static_cast<LONG>(page_number), x, y, width));
        }
    }

    json describe_element(const created_element& e, std::size_t index) const
    {
        json out{{"index", index},
                 {"class", e.class_text},
                 {"clsid", com::format_guid(e.clsid)},
                 {"page", e.page}};
        com::ComPtr<IZCntElementIds> ids;
        e.dispatch->QueryInterface(IZCntElementIds::iid, ids.put_void());
        if (ids) {
            LONG element_id = 0;
            std::vector<LONG> page_object_ids, resource_ids;
            ids->GetElementID(&element_id);
            cnt::created_ids(ids.get(), created_list::page_objects, &page_object_ids);
            cnt::created_ids(ids.get(), created_list::resources, &resource_ids);
            out["element_id"] = element_id;
            out["page_object_ids"] = page_object_ids;
            out["resource_ids"] = resource_ids;
        }
        out["calls"] = e.calls;
        out["record"] = saved_record_hex(e.dispatch.get());
        return out;
    }

    const json& input_;
    // Declared first so that it closes last, once every element and page reference is gone.
    host::document host_document_;
    com::ComPtr<IZDocument> document_;
    std::vector<com::ComPtr<IZPrintContentPage>> pages_;
    std::vector<created_element> elements_;
    json hits_ = json::array();
};

}  // namespace

int render_description(const json& input, const std::string& name, const render_options& options,
                       std::FILE* err)
{
    if (FAILED(cnt::module::register_classes())) {
        std::fprintf(err, "zcnt: the library's classes cannot be registered\n");
        return 1;
    }
    int status = 0;
    try {
        renderer r(input);
        r.run();
        const json report = r.report();
        // Everything is made before anything is written; the .pjd goes first because it is
        // the one that can still fail for reasons of its own.
        if (!options.save.empty()) {
            std::string save_error;
            if (FAILED(bridge::save_document(r.document(), options.save, &save_error)))
                throw failure{save_error};
        }
        if (!options.report.empty()) {
            std::string write_error;
            if (!write_file_atomically(options.report, report.dump(2) + "\n", &write_error))
                throw failure{write_error};
        }
        if (!options.pdf.empty()) {
            std::string pdf_error;
            if (!write_pdf_file(r.document(), options.pdf, err, &pdf_error)) throw failure{pdf_error};
        }
    } catch (const failure& f) {
        std::fprintf(err, "zcnt: %s: %s\n", name.c_str(), f.message.c_str());
        status = 2;
    } catch (const std::exception& e) {
        std::fprintf(err, "zcnt: %s: %s\n", name.c_str(), e.what());
        status = 1;
    }
    cnt::module::revoke_classes();
    return status;
}

int run_render(const render_options& options, std::FILE* err)
{
    std::string text, error;
    if (!read_file(options.input, &text, &error)) {
        std::fprintf(err, "zcnt render: %s\n", error.c_str());
        return 2;
    }
    json input = json::parse(text, nullptr, false);
    if (input.is_discarded()) {
        std::fprintf(err, "zcnt render: %s: not valid JSON\n", options.input.c_str());
        return 2;
    }
    return render_description(input, options.input, options, err);
}

}  // namespace zcnt
