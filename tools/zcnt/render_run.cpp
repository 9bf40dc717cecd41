// Running a render description: the host document and its pages and text lines, then every
// element created through the class table, attached to its page and driven by name through
// IDispatch, then the hit tests; and the report, the .pjd file and the PDF are written — all of
// them or none. The description's fault, if it has one, is reported where the run reaches it.
#include "tools/zcnt/element_classes.h"
#include "tools/zcnt/render_run.h"

#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "contentelements/cnt_container.h"
#include "contentelements/cnt_document.h"
#include "module/class_map.h"
#include "platform/com/streams.h"
#include "tools/zcnt/dispatch_call.h"
#include "tools/zcnt/files.h"
#include "tools/zcnt/host_bridge.h"
#include "tools/zcnt/named_files.h"
#include "tools/zcnt/original_pdf.h"
#include "tools/zcnt/pdf_output.h"
#include "tools/zcnt/render_report.h"
#include "tools/zcnt/saved_document.h"

namespace zcnt {
namespace {

struct failure {
    std::string message;
    std::string location;  // "line:column" in the description, when known
};

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

com::ComPtr<IZCntElementContainer> container_of(IZDocument* document)
{
    com::ComPtr<IZCntElementContainer> container;
    FindElementContainer(document, container.put());
    return container;
}

WORD flags_of(call_description::kinds kind)
{
    switch (kind) {
    case call_description::kinds::put: return DISPATCH_PROPERTYPUT;
    case call_description::kinds::get: return DISPATCH_PROPERTYGET;
    default: return DISPATCH_METHOD;
    }
}

class renderer {
public:
    // The description is used up as it runs: each text and element is freed once the document
    // holds what it made, so that a long description and its document are not both held whole.
    explicit renderer(description& input) : input_(input) {}

    void run(const render_options& options)
    {
        // A report is built only when one is asked for: describing every object costs more
        // than making it.
        reporting_ = !options.report.empty();
        if (options.loaded) host_document_ = std::move(*options.loaded);
        document_ = bridge::interface_of(host_document_);
        if (!document_) throw failure{"out of memory for the document"};
        if (options.loaded)
            adopt_loaded();
        else if (options.base_pages)
            add_base_pages(options);
        else
            for (std::size_t i = 0; i < input_.pages.size(); ++i) add_page(input_.pages[i], i + 1);
        for (std::size_t i = 0; i < input_.texts.size(); ++i) add_text(input_.texts[i], i + 1);
        std::vector<text_description>().swap(input_.texts);
        // The host's own text is the text a text mark can find.
        if (input_.has_texts)
            for (LONG p = 1; p <= host_document_.page_count(); ++p) host_document_.recognise_words(p);
        for (std::size_t i = 0; i < input_.elements.size(); ++i) {
            run_element(input_.elements[i], i + 1);
            input_.elements[i] = element_description{};
        }
        if (reporting_ && !input_.hits.empty()) {
            com::ComPtr<IZCntElementContainer> container = container_of(document_.get());
            for (const hit_description& hit : input_.hits) {
                IZPrintContentPage* page = pages_[static_cast<std::size_t>(hit.page - 1)].get();
                report_.add_hit(container.get(), page, hit);
            }
        }
        if (!input_.fault.empty()) throw failure{input_.fault, input_.fault_location};
        collect_unusable(nullptr);
        if (reporting_)
            report_.finish(host_document_, container_of(document_.get()).get(), elements_, pages_);
    }

    host::document& document() { return host_document_; }
    const std::vector<host::unusable_file>& unusable_files() const { return unusable_; }
    std::string report() const { return report_.text(); }

private:
    // The pages of the PDF being annotated, with the words found on them.
    void add_base_pages(const render_options& options)
    {
        const LONG resolution = input_.pages.empty() ? 720 : input_.pages.front().resolution;
        std::string message;
        if (FAILED(host_document_.add_pdf_pages(std::move(*options.base_pages), options.base_pdf,
                                                resolution, &message)))
            throw failure{message};
        for (LONG n = 1; n <= host_document_.page_count(); ++n) {
            com::ComPtr<IDispatch> p;
            com::ComPtr<IZPrintContentPage> page;
            if (SUCCEEDED(host_document_.page(n, p.put())))
                p->QueryInterface(IZPrintContentPage::iid, page.put_void());
            if (!page) throw failure{"page " + std::to_string(n) + ": the engine has no page"};
            pages_.push_back(page);
        }
    }

    // The pages and elements of a saved document, page by page.
    void adopt_loaded()
    {
        std::string error;
        if (!saved_pages_and_elements(host_document_, &pages_, &elements_, &error)) throw failure{error};
        // The engine named what its objects could not use while loading; a file an element
        // shows without one may have gone since it was saved, as one a description names may be.
        for (const auto& e : elements_) collect_unusable(e.dispatch.get());
        if (reporting_)
            for (std::size_t i = 0; i < elements_.size(); ++i) report_.add_element();
    }

    void add_page(const page_description& p, std::size_t index)
    {
        com::ComPtr<IZPrintContentPage> page;
        const HRESULT hr = document_->AddPage(p.width, p.height, p.resolution, page.put());
        const std::string where = "page " + std::to_string(index);
        if (FAILED(hr) || !page) throw failure{where + ": the engine refused it (" + hex_of(hr) + ")"};
        pages_.push_back(page);
    }

    // Lines of text the host itself places (titles, body text), through the page's lists as
    // any caller of the engine would.
    void add_text(const text_description& t, std::size_t index)
    {
        const std::string where = "text " + std::to_string(index);
        IZPrintContentPage* page = pages_[static_cast<std::size_t>(t.page - 1)].get();
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
        if (!t.fault.empty()) throw failure{t.fault};
        const com::Bstr face(utf16_of(t.font));
        const com::Bstr body(utf16_of(t.text));
        font->put_FaceName(face.get());
        // Sizes are given in tenths of a point, as the elements take them.
        font->put_Size(static_cast<LONG>(LONGLONG{t.size} * resolution / 720));
        font->put_Bold(t.bold ? VARIANT_TRUE : VARIANT_FALSE);
        font->put_Italic(t.italic ? VARIANT_TRUE : VARIANT_FALSE);
        line->put_Text(body.get());
        line->put_X(t.x);
        line->put_Y(t.y);
        line->putref_Font(font.get());
        line->put_Color(static_cast<OLE_COLOR>(t.color));
        VARIANT v{};
        v.vt = VT_UNKNOWN;
        v.punkVal = font.get();
        LONG id = 0;
        resources->Add(v, &id);
        v.punkVal = line.get();
        if (FAILED(objects->Add(v, &id))) throw failure{where + ": the page refused the text"};
    }

    void run_element(const element_description& e, std::size_t index)
    {
        const std::string where = "element " + std::to_string(index);
        if (e.existing) return change_element(e, where);
        made_element made;
        made.class_text = e.class_text;
        made.page = e.page;
        made.clsid = class_id_of(made.class_text, where);
        HRESULT hr = CoCreateInstance(made.clsid, nullptr, CLSCTX_INPROC_SERVER, IDispatch::iid,
                                      made.dispatch.put_void());
        if (FAILED(hr) || !made.dispatch)
            throw failure{where + ": class \"" + made.class_text + "\" cannot be created (" +
                          hex_of(hr) + ")"};

        com::ComPtr<IZElement> element;
        made.dispatch->QueryInterface(IZElement::iid, element.put_void());
        // Through the engine, which notes what the element makes: its own annotation then.
        if (element) host_document_.attach(e.page, element.get());

        elements_.push_back(std::move(made));
        if (reporting_) report_.add_element();
        if (!e.fault.empty()) throw failure{e.fault};
        run_calls(e, elements_.size() - 1, where);
    }

    // Calls on an element made or loaded before.
    void change_element(const element_description& e, const std::string& where)
    {
        if (static_cast<std::size_t>(e.existing) > elements_.size())
            throw failure{where + ": there is no element " + std::to_string(e.existing) +
                          " to change (the document has " + std::to_string(elements_.size()) + ")"};
        run_calls(e, static_cast<std::size_t>(e.existing - 1), where);
    }

    void run_calls(const element_description& e, std::size_t at, const std::string& where)
    {
        IDispatch* target = elements_[at].dispatch.get();
        for (std::size_t c = 0; c < e.calls.size(); ++c) {
            const call_description& call = e.calls[c];
            // Declared first so that the arguments go after the results, as Invoke left them.
            std::vector<com::Variant> values;
            call_result r;
            make_call(target, call, &values, &r);
            if (!r.error.empty())
                throw failure{where + ", call " + std::to_string(c + 1) + " " + call.text + ": " +
                              r.error};
            if (reporting_) report_.add_call(call, r, at);
        }
        collect_unusable(target);
    }

    // The engine's notes so far, then the file the element kept to itself, so that files are
    // named in the order the elements were given them.
    void collect_unusable(IDispatch* element)
    {
        const std::vector<host::unusable_file> noted = host_document_.unusable_files();
        for (; engine_noted_ < noted.size(); ++engine_noted_) unusable_.push_back(noted[engine_noted_]);
        if (element) note_missing_file(element, &unusable_);
    }

    void make_call(IDispatch* element, const call_description& call,
                   std::vector<com::Variant>* values, call_result* r)
    {
        if (!call.fault.empty()) {
            r->error = call.fault;
            return;
        }
        com::ComPtr<IDispatch> target(element);
        for (const path_step& step : call.path) {
            target = reach(target.get(), step, &r->error);
            if (!target) {
                r->error = "\"" + call.member + "\" stops at \"" + step.text + "\": " + r->error;
                return;
            }
        }
        com::ComPtr<IDispatch> owner;
        DISPID id = DISPID_UNKNOWN;
        if (!find_member(target.get(), call.name, &owner, &id, r)) {
            if (!call.path.empty()) r->error = "\"" + call.member + "\": " + r->error;
            return;
        }
        values->resize(call.arguments.size());
        std::vector<bool> is_out(call.arguments.size(), false);
        for (std::size_t i = 0; i < call.arguments.size(); ++i) {
            bool out = false;
            if (!make_argument(call.arguments[i], &(*values)[i], &out, &r->error)) return;
            is_out[i] = out;
        }
        invoke_member(owner.get(), id, flags_of(call.kind), call.name, *values, is_out, r);
        if (!call.path.empty() && !r->error.empty())
            r->error = "\"" + call.member + "\": " + r->error;
    }

    // One step of a member path: a property get, with its index, that must give an object.
    com::ComPtr<IDispatch> reach(IDispatch* from, const path_step& step, std::string* error)
    {
        call_result r;
        com::ComPtr<IDispatch> owner, out;
        DISPID id = DISPID_UNKNOWN;
        if (!find_member(from, step.name, &owner, &id, &r)) {
            *error = r.error;
            return out;
        }
        std::vector<com::Variant> index(step.index.size());
        const std::vector<bool> is_out(step.index.size(), false);
        for (std::size_t i = 0; i < step.index.size(); ++i) {
            bool ignored = false;
            if (!make_argument(step.index[i], &index[i], &ignored, error)) return out;
        }
        invoke_member(owner.get(), id, DISPATCH_PROPERTYGET, step.name, index, is_out, &r);
        if (!r.error.empty()) {
            *error = r.error;
        } else if (FAILED(r.hr)) {
            const std::string scode =
                r.hr == DISP_E_EXCEPTION ? ", scode " + hex_of(r.scode) : std::string();
            *error = "the get failed (" + hex_of(r.hr) + scode + ")";
        } else if (r.value.vt() != VT_DISPATCH || !r.value->pdispVal) {
            *error = "it is not an object";
        } else {
            out = com::ComPtr<IDispatch>(r.value->pdispVal);
        }
        return out;
    }

    // Integers become VT_I4 (VT_I8 beyond 32 bits), other numbers VT_R8, strings VT_BSTR,
    // null a null VT_BSTR, references the object they name as VT_DISPATCH.
    bool make_argument(const argument& a, com::Variant* out, bool* is_out, std::string* error)
    {
        VARIANT* v = out->get();
        switch (a.kind) {
        case argument::kinds::boolean: *out = com::Variant::from_bool(a.boolean); break;
        case argument::kinds::integer:
            if (a.integer >= std::numeric_limits<LONG>::min() &&
                a.integer <= std::numeric_limits<LONG>::max()) {
                *out = com::Variant::from_i4(static_cast<LONG>(a.integer));
            } else {
                v->vt = VT_I8;
                v->llVal = a.integer;
            }
            break;
        case argument::kinds::real: *out = com::Variant::from_r8(a.real); break;
        case argument::kinds::string: *out = com::Variant::from_string(utf16_of(a.string)); break;
        case argument::kinds::null_string:
            v->vt = VT_BSTR;
            v->bstrVal = nullptr;
            break;
        case argument::kinds::object: {
            com::ComPtr<IDispatch> object = resolve_object(*a.object, error);
            if (!object) {
                if (error->empty()) *error = "no object " + a.object->text + " to refer to";
                return false;
            }
            v->vt = VT_DISPATCH;
            v->pdispVal = object.detach();
            break;
        }
        case argument::kinds::out: *is_out = true; break;
        case argument::kinds::fault: *error = a.string; return false;
        }
        return true;
    }

    // Objects a call can be given: the n-th element, a page's document view, and text ranges
    // over the words a page knows, by position or by their text.
    com::ComPtr<IDispatch> resolve_object(const reference& ref, std::string* error)
    {
        auto page_at = [&]() -> IZPrintContentPage* {
            if (!ref.number || *ref.number < 1 ||
                *ref.number > static_cast<long long>(pages_.size())) {
                *error = "there is no page " + ref.number_text;
                return nullptr;
            }
            return pages_[static_cast<std::size_t>(*ref.number - 1)].get();
        };
        com::ComPtr<IDispatch> out;
        if (ref.kind == reference::kinds::element) {
            if (ref.number && *ref.number >= 1 &&
                *ref.number <= static_cast<long long>(elements_.size()))
                out = elements_[static_cast<std::size_t>(*ref.number - 1)].dispatch;
            else
                *error = "no element " + ref.number_text + " to refer to";
        } else if (ref.kind == reference::kinds::view) {
            if (IZPrintContentPage* page = page_at()) page->get_DocumentView(out.put());
        } else {
            IZPrintContentPage* page = page_at();
            if (!page) return out;
            LONG first = ref.first, count = ref.count;
            if (ref.kind == reference::kinds::find) {
                const com::Bstr wanted(utf16_of(ref.wanted));
                if (FAILED(page->FindText(wanted.get(), &first)) || first < 1) {
                    *error = "page " + ref.number_text + " does not show " + ref.wanted_text;
                    return out;
                }
                // As many words as the text has.
                bool in_word = false;
                for (char c : ref.wanted) {
                    const bool space = c == ' ' || c == '\t';
                    if (!space && !in_word) ++count;
                    in_word = !space;
                }
            }
            if (FAILED(page->CreateTextRange(first, count, out.put())))
                *error = "no text range " + ref.text;
        }
        if (!out && error->empty()) *error = "no object " + ref.text + " to refer to";
        return out;
    }

    description& input_;
    // Declared first so that it closes last, once every element and page reference is gone.
    host::document host_document_;
    com::ComPtr<IZDocument> document_;
    std::vector<com::ComPtr<IZPrintContentPage>> pages_;
    std::vector<made_element> elements_;
    render_report report_;
    bool reporting_ = false;  // --report asked for one
    std::vector<host::unusable_file> unusable_;
    std::size_t engine_noted_ = 0;  // how many of the engine's notes are in unusable_
};

}  // namespace

int run_description(description& input, const std::string& name,
                    const render_options& options, std::FILE* err)
{
    element_classes classes;
    if (FAILED(use_element_classes(&classes))) {
        std::fprintf(err, "zcnt: the library's classes cannot be registered\n");
        return 1;
    }
    if (options.verbose) std::fprintf(err, "%s\n", describe(classes).c_str());
    int status = 0;
    std::unique_ptr<renderer> running;
    try {
        running = std::make_unique<renderer>(input);
        renderer& r = *running;
        r.run(options);
        std::string error;
        if (!check_unusable_files(r.unusable_files(), options.keep_going, err, &error))
            throw failure{error};
        // Everything is made before anything is written, and every output is renamed into
        // place only once all of them were written.
        output_files outputs;
        if (!options.save.empty()) {
            // The pages lie over a PDF made elsewhere: it goes with the document.
            if (!options.base_pdf.empty() &&
                !keep_original(options.base_pdf, options.save, &r.document(), &outputs, &error))
                throw failure{error};
            std::vector<BYTE> bytes;
            std::string message;
            const HRESULT hr = r.document().save_bytes(&bytes, &message);
            if (FAILED(hr))
                throw failure{options.save + ": " +
                              (message.empty() ? "cannot be saved (" + hex_of(hr) + ")" : message)};
            const std::string_view contents(reinterpret_cast<const char*>(bytes.data()), bytes.size());
            if (!outputs.add(options.save, contents, &error)) throw failure{error};
        }
        if (!options.report.empty() && !outputs.add(options.report, r.report(), &error))
            throw failure{error};
        if (!options.pdf.empty()) {
            std::string bytes;
            bool made = make_pdf_bytes(r.document(), options.flatten, err, &bytes, &error);
            if (made && !options.base_pdf.empty()) {
                // What lies over the input is all the document still gives: it goes before the
                // input is read, so that the two are not held together.
                running.reset();
                std::string layer;
                layer.swap(bytes);
                made = make_pdf_over(options.base_pdf, layer, err, &bytes, &error);
            }
            if (!made || !outputs.add(options.pdf, bytes, &error)) throw failure{error};
        }
        if (!outputs.commit(&error)) throw failure{error};
    } catch (const failure& f) {
        const std::string at = f.location.empty() ? name : name + ":" + f.location;
        std::fprintf(err, "zcnt: %s: %s\n", at.c_str(), f.message.c_str());
        status = 2;
    } catch (const std::exception& e) {
        std::fprintf(err, "zcnt: %s: %s\n", name.c_str(), e.what());
        status = 1;
    }
    if (options.leave_at_exit)
        keep_until_exit(std::move(running));
    else
        running.reset();
    cnt::module::revoke_classes();
    return status;
}

}  // namespace zcnt
