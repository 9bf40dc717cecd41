// Writing a 1 000-page document whose pages each hold a note, a stamp, a text mark and five form
// fields: the elements as annotations with appearance streams and an interactive form, against
// the same pages flattened into their content.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "bench/bench_support.h"
#include "contentelements/cnt_fields.h"
#include "contentelements/cnt_formfield.h"
#include "contentelements/cnt_note.h"
#include "contentelements/cnt_stamp.h"
#include "contentelements/cnt_textmark.h"
#include "contentelements/zprint_page.h"
#include "host/output/pdf/pdf_writer.h"

namespace {

constexpr LONG kRes = 720, kWidth = 5950, kHeight = 8420;

template <typename I>
com::ComPtr<I> field(const host::document& doc, LONG page, const char16_t* progid, LONG top,
                     const char16_t* name)
{
    auto f = bench_support::attached<I>(doc, progid, page);
    com::ComPtr<IZCntElementBase> base;
    com::ComPtr<IZCntElementFormField> form;
    f->QueryInterface(IZCntElementBase::iid, base.put_void());
    f->QueryInterface(IZCntElementFormField::iid, form.put_void());
    base->SetPosition(2500, top, 2000, 240);
    com::Bstr n(name);
    form->put_Name(n.get());
    return f;
}

void build_page(host::document& doc, LONG page)
{
    bench_support::host_text(doc, page, 600, 1200,
                             u"Please mark the totals of this quarter in the table", 110);
    doc.recognise_words(page);
    const com::Bstr arial(u"Arial"), body(u"Check the totals against the ledger before release."),
        header(u"APPROVED"), content(u"Finance");
    auto note = bench_support::attached<IZCntElementNote>(doc, u"Orvane.ZCntElementNote.1", page);
    note->SetPosition(600, 1600, 2600, 700);
    note->SetNoteData(body.get(), 0, arial.get(), 100, 0, 0, 0xE0FFFF, 0x404040,
                      zeCntNoteStyleRectangle, 0, 0, 0);
    auto stamp = bench_support::attached<IZCntElementStamp>(doc, u"Orvane.ZCntElementStamp.1", page);
    stamp->SetPosition(3500, 1600, 1600, 600);
    stamp->SetStampData(header.get(), 0x1C1CC8, arial.get(), 60, -1, 0, content.get(), 0x1C1CC8,
                        arial.get(), 0, 0, 0xFFFFFFFF, 0x1C1CC8, zeCntStampStyleRectangle, 0, 0, 12);
    auto mark = bench_support::attached<IZCntElementTextMark>(doc, u"Orvane.ZCntElementTextMark.1", page);
    com::ComPtr<IDispatch> p, view, range;
    doc.page(page, p.put());
    com::ComPtr<IZPrintContentPage> host_page;
    p->QueryInterface(IZPrintContentPage::iid, host_page.put_void());
    host_page->get_DocumentView(view.put());
    host_page->CreateTextRange(4, 3, range.put());
    mark->MarkText(view.get(), range.get(), zeCntMarkTextHighlight, 0x00FFFF);

    field<IZCntElementFieldText>(doc, page, u"Orvane.ZCntElementFieldText.1", 3000, u"name");
    auto combo = field<IZCntElementFieldCombo>(doc, page, u"Orvane.ZCntElementFieldCombo.1", 3400, u"colour");
    com::ComPtr<IZCntChoiceFieldOptionCollection> items;
    combo->get_ChoiceItems(items.put());
    for (const char16_t* shown : {u"Blue", u"Red", u"Green"}) {
        com::ComPtr<IZCntChoiceFieldOption> o;
        items->Add(o.put());
        com::Bstr text(shown);
        o->put_DisplayName(text.get());
    }
    field<IZCntElementFieldCheck>(doc, page, u"Orvane.ZCntElementFieldCheck.1", 3800, u"gift");
    field<IZCntElementFieldRadio>(doc, page, u"Orvane.ZCntElementFieldRadio.1", 4200, u"speed");
    field<IZCntElementFieldDateTime>(doc, page, u"Orvane.ZCntElementFieldDateTime.1", 4600, u"date");
}

void BM_WriteAnnotatedPages(benchmark::State& state)
{
    bench_support::registered classes;
    constexpr LONG kPages = 1000;
    auto doc = std::make_unique<host::document>();
    for (LONG p = 1; p <= kPages; ++p) doc->add_page(kWidth, kHeight, kRes);
    for (LONG p = 1; p <= kPages; ++p) build_page(*doc, p);
    host::pdf::write_options options;
    options.flatten = state.range(0) != 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string pdf;
        host::pdf::write_pdf_bytes(doc->model(), options, &pdf, nullptr, nullptr);
        bytes = pdf.size();
        benchmark::DoNotOptimize(pdf.data());
    }
    state.SetLabel(options.flatten ? "flattened" : "annotations and form");
    state.counters["pages_per_second"] =
        benchmark::Counter(double(kPages), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pdf_bytes"] = double(bytes);
}
BENCHMARK(BM_WriteAnnotatedPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
