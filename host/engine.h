// The engine's C++ face for the tool and the tests: make a document and its pages, hand an
// element the page's lists and the document for its Attach, look at what a page holds, keep
// the call journal, save and load .pjd files, write PDF files (host::pdf::write_pdf), and write
// any other output the way the engine writes its own (host::write_file_atomically).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/io/files.h"
#include "host/model/context.h"
#include "host/model/journal.h"
#include "host/output/pdf/pdf_writer.h"
#include "platform/com/com.h"

namespace host {
namespace input {
struct pdf_page_text;
}

class document_object;

struct object_view {
    std::string kind;  // "shape", "text", …; "element" (or "object") for objects not the engine's
    LONG id = 0;       // 0 for an object kept without an id
    std::vector<std::pair<std::string, std::string>> properties;
};

struct element_view {
    LONG id = 0;  // in the page object list; 0 when only given to AddElement
    com::ComPtr<IUnknown> object;
};

class document {
public:
    // An empty document; `ok()` is false only when there was no memory for it.
    document();
    ~document();  // closes: every cycle between the document and its objects is broken
    document(document&&) noexcept;
    document& operator=(document&&) noexcept;
    document(const document&) = delete;
    document& operator=(const document&) = delete;

    bool ok() const noexcept { return doc_ != nullptr; }

    // Appends a page; its number (from 1) goes to *number.
    HRESULT add_page(LONG width, LONG height, LONG resolution, LONG* number = nullptr) noexcept;
    LONG page_count() const noexcept;
    // 0 for a number out of range.
    LONG page_id(LONG number) const noexcept;

    // New references, for an element's Attach(page objects, resources, document).
    HRESULT page(LONG number, IDispatch** out) const noexcept;
    HRESULT page_objects(LONG number, IDispatch** out) const noexcept;
    HRESULT resources(LONG number, IDispatch** out) const noexcept;
    HRESULT dispatch(IDispatch** out) const noexcept;
    // Attaches `element` to page `number` through a view of the page that notes what the
    // element makes, so that the PDF writer can write it as the element's own annotation;
    // the element's Attach result. E_INVALIDARG for a page out of range or an object that is
    // not an element.
    HRESULT attach(LONG number, IUnknown* element) const noexcept;

    // A page's objects in list order, with kind, id and properties; its resources likewise
    // (those kept without an id last).
    std::vector<object_view> objects(LONG number) const;
    std::vector<object_view> resource_objects(LONG number) const;
    std::vector<object_view> find(LONG number, std::string_view kind) const;
    // The objects on a page that answer IZElement or IPersistStreamInit.
    std::vector<element_view> elements(LONG number) const;
    // The document's object collection (the element container among them).
    std::vector<com::ComPtr<IDispatch>> document_objects() const;

    // Adds to the words page `number` knows those of the text objects on it now (turned text
    // left out), each with its box in page units and the id of its text object, so that a text
    // range and a text mark find them. *added gets their count.
    HRESULT recognise_words(LONG number, LONG* added = nullptr) noexcept;

    host::journal& journal() noexcept;

    // Every file the document's objects were given and could not use (missing, damaged,
    // encrypted, empty), in the order they were given.
    std::vector<unusable_file> unusable_files() const;

    // .pjd: `message` gets one line naming the cause of a failure.
    HRESULT save(const std::string& path, std::string* message = nullptr) const noexcept;
    HRESULT save_bytes(std::vector<BYTE>* bytes, std::string* message = nullptr) const noexcept;
    static HRESULT load(const std::string& path, document* out,
                        std::string* message = nullptr) noexcept;
    static HRESULT load_bytes(const BYTE* data, std::size_t size, document* out,
                              std::string* message = nullptr) noexcept;

    // PDF: every page, as host::pdf::write_pdf writes it; `message` as for .pjd files.
    HRESULT write_pdf(const std::string& path, const pdf::write_options& options,
                      pdf::write_report* report, std::string* message = nullptr) const noexcept;

    // Annotating a PDF made elsewhere. add_pdf_pages appends a page for every page of `path`,
    // of the size it shows (its rotation applied) at `resolution` units per inch, knowing the
    // words found on it (so that text marks find them); the file is only read. E_INVALIDARG for
    // a file that is no PDF, has no pages or a page without a size, E_ACCESSDENIED for one
    // locked with a password. write_pdf_over gives `input` with these pages laid over its own
    // (annotations, fields and layers added, everything it had kept); its warnings go to the
    // report.
    HRESULT add_pdf_pages(const std::string& path, LONG resolution,
                          std::string* message = nullptr) noexcept;
    // The same for pages read already (input/pdf_text.h); `path` names them in messages. Pages
    // given as an rvalue give up their words to the document's pages (their sizes stay).
    HRESULT add_pdf_pages(const std::vector<input::pdf_page_text>& pages, const std::string& path,
                          LONG resolution, std::string* message = nullptr) noexcept;
    HRESULT add_pdf_pages(std::vector<input::pdf_page_text>&& pages, const std::string& path,
                          LONG resolution, std::string* message = nullptr) noexcept;
    HRESULT write_pdf_over(const std::string& input, const pdf::write_options& options,
                           std::string* bytes, pdf::write_report* report,
                           std::string* message = nullptr) const noexcept;

    // The PDF made elsewhere that a saved annotated document lies over: its file name as the
    // .pjd gives it (relative to the .pjd's folder) and its content key (host/io/content_key.h);
    // both empty for a document of our own pages. Saved in the .pjd, loaded with it.
    struct original_pdf {
        std::string file, key;
    };
    HRESULT set_original(const original_pdf& original) noexcept;
    original_pdf original() const;

    // The document model behind this face, for the engine's own tests and benchmarks.
    document_object* model() const noexcept { return doc_; }

private:
    void close() noexcept;
    document_object* doc_ = nullptr;  // one reference
};

}  // namespace host
