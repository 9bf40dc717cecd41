// A text mark in the engine: highlighting and underlining a range of 500 words laid out in
// lines on one page, each mark replacing the one before.
#include <benchmark/benchmark.h>

#include "contentelements/cnt_textmark.h"
#include "contentelements/zprint_page.h"
#include "elements/textmark/textmark.h"
#include "host/engine.h"
#include "module/class_map.h"
#include "platform/com/com.h"

namespace {

constexpr LONG kWords = 500;
constexpr LONG kWordsPerLine = 12;

struct marked_page {
    host::document doc;
    com::ComPtr<IZCntElementTextMark> mark;
    com::ComPtr<IDispatch> view, range;

    marked_page()
    {
        cnt::module::register_classes();  // Attach makes the document's container by class id
        doc.add_page(2550, 3300, 300);
        com::ComPtr<IDispatch> p, objects, resources;
        doc.page(1, p.put());
        doc.page_objects(1, objects.put());
        doc.resources(1, resources.put());
        com::ComPtr<IZPrintContentPage> page;
        p->QueryInterface(IZPrintContentPage::iid, page.put_void());
        com::ComPtr<IZPageObjectList> list;
        page->get_PageObjects(list.put());
        // One text object per line shows the line's words.
        com::Bstr word(u"word");
        LONG line_object = 0;
        for (LONG i = 0; i < kWords; ++i) {
            const LONG column = i % kWordsPerLine, line = i / kWordsPerLine;
            if (column == 0) {
                com::ComPtr<IDispatch> text;
                list->Create(zeKindTextObject, text.put());
                VARIANT v;
                VariantInit(&v);
                v.vt = VT_UNKNOWN;
                v.punkVal = text.get();
                list->Add(v, &line_object);
            }
            const LONG left = 100 + column * 190, top = 100 + line * 60;
            page->AddWord(word.get(), left, top, left + 170, top + 40, line_object);
        }
        page->get_DocumentView(view.put());
        page->CreateTextRange(1, kWords, range.put());
        cnt::create_textmark(nullptr, IZCntElementTextMark::iid, mark.put_void());
        com::ComPtr<IZElement> e;
        mark->QueryInterface(IZElement::iid, e.put_void());
        com::ComPtr<IDispatch> document;
        doc.dispatch(document.put());
        e->Attach(objects.get(), resources.get(), document.get());
    }
};

void BM_TextMarkHighlight500Words(benchmark::State& state)
{
    marked_page page;
    for (auto _ : state)
        benchmark::DoNotOptimize(page.mark->MarkText(page.view.get(), page.range.get(),
                                                     zeCntMarkTextHighlight, 0x0000FFFF));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kWords);
}
BENCHMARK(BM_TextMarkHighlight500Words)->Unit(benchmark::kMicrosecond);

void BM_TextMarkUnderline500Words(benchmark::State& state)
{
    marked_page page;
    for (auto _ : state)
        benchmark::DoNotOptimize(page.mark->MarkText(page.view.get(), page.range.get(),
                                                     zeCntMarkTextUnderline, 0x000000FF));
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * kWords);
}
BENCHMARK(BM_TextMarkUnderline500Words)->Unit(benchmark::kMicrosecond);

}  // namespace
