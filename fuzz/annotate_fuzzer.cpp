// Fuzz target: arbitrary bytes as a PDF file to annotate. Reading its pages and words may fail
// with a result code and a message; a file that reads gets a highlight over its first word and a
// note on its first page, and the annotated file is either refused with a message and nothing
// made, or written as a PDF file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include <poppler/cpp/poppler-document.h>

#include "contentelements/cnt_note.h"
#include "contentelements/cnt_textmark.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "host/input/pdf_text.h"
#include "host/output/pdf/pdf_writer.h"
#include "module/class_map.h"
#include "platform/com/com.h"

namespace {

void check(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "annotate invariant broken: %s\n", what);
    std::abort();
}

const std::string& input_path()
{
    static const std::string path = "/tmp/zcnt_annotate_fuzzer." + std::to_string(::getpid()) + ".pdf";
    return path;
}

template <typename I>
com::ComPtr<I> created(REFCLSID clsid)
{
    com::ComPtr<I> out;
    CoCreateInstance(clsid, nullptr, 0x17, I::iid, out.put_void());
    check(static_cast<bool>(out), "an element class cannot be created");
    return out;
}

// poppler sets up its global parameters (a scan of its font and encoding folders) when its
// first document is made and drops them with its last one. A document of our own, kept for
// the whole run, keeps them: the runs then measure the inputs, not that set-up.
bool poppler_kept_ready()
{
    static const char tiny[] =
        "%PDF-1.4\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
        "2 0 obj<</Type/Pages/Kids[]/Count 0>>endobj\n"
        "trailer<</Root 1 0 R>>\n%%EOF\n";
    static const std::unique_ptr<poppler::document> kept(
        poppler::document::load_from_raw_data(tiny, static_cast<int>(sizeof tiny - 1)));
    return kept != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = SUCCEEDED(cnt::module::register_classes());
    if (!registered) std::abort();
    static const bool ready = poppler_kept_ready();
    check(ready, "poppler cannot be kept ready");
    const std::string path = input_path();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out) return 0;
    }
    std::vector<host::input::pdf_page_text> pages;
    std::string message;
    if (FAILED(host::input::read_pdf_text(path, &pages, &message))) {
        check(!message.empty() && pages.empty(), "a failed read without a message");
        ::unlink(path.c_str());
        return 0;
    }
    // Few pages keep the runs fast; the pages themselves are what is being tried.
    if (pages.size() > 16) pages.resize(16);
    host::document doc;
    if (FAILED(doc.add_pdf_pages(pages, path, 720, &message))) {
        check(!message.empty(), "refused pages without a message");
        ::unlink(path.c_str());
        return 0;
    }
    auto note = created<IZCntElementNote>(CLSID_ZCntElementNote);
    doc.attach(1, note.get());
    com::Bstr text(u"Checked");
    note->SetPosition(100, 100, 2000, 500);
    note->put_Text(text.get());
    if (!pages.front().words.empty()) {
        auto mark = created<IZCntElementTextMark>(CLSID_ZCntElementTextMark);
        doc.attach(1, mark.get());
        com::ComPtr<IDispatch> p, view, range;
        doc.page(1, p.put());
        com::ComPtr<IZPrintContentPage> page;
        p->QueryInterface(IZPrintContentPage::iid, page.put_void());
        page->get_DocumentView(view.put());
        page->CreateTextRange(1, 1, range.put());
        mark->MarkText(view.get(), range.get(), zeCntMarkTextHighlight, 0x00FFFF);
    }
    std::string bytes;
    const HRESULT hr = doc.write_pdf_over(path, {}, &bytes, nullptr, &message);
    if (FAILED(hr)) {
        check(!message.empty() && bytes.empty(), "a failed write without a message or with output");
    } else {
        check(bytes.compare(0, 5, "%PDF-") == 0, "the annotated file is no PDF");
    }
    ::unlink(path.c_str());
    return 0;
}

#ifdef ZCNT_FUZZ_REPLAY_MAIN
#include "fuzz/replay_main.h"
#endif
