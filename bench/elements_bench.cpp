// Rebuilds of the text elements in the engine: a note with 100 words of wrapped text, a stamp
// fitting its two texts, a page break showing all its markers.
#include <benchmark/benchmark.h>

#include <string>

#include "contentelements/cnt_note.h"
#include "contentelements/cnt_pagebreak.h"
#include "contentelements/cnt_stamp.h"
#include "bench/bench_support.h"

namespace {

using bench_support::attached;
using bench_support::registered;

void BM_NoteRebuild100Words(benchmark::State& state)
{
    registered classes;
    host::document doc;
    doc.add_page(5950, 8420, 720);
    auto note = attached<IZCntElementNote>(doc, u"Orvane.ZCntElementNote.1");
    std::u16string words;
    const char16_t* sample[] = {u"review", u"the", u"figures", u"of", u"quarterly", u"table"};
    for (int i = 0; i < 100; ++i) {
        if (i) words += u' ';
        words += sample[i % 6];
    }
    com::Bstr text(words), face(u"Arial");
    note->SetPosition(500, 500, 3000, 3000);
    note->SetNoteData(text.get(), 0, face.get(), 100, 0, 0, 0xCCFFFF, 0, zeCntNoteStyleRectangle,
                      0, 0, 0);
    LONG x = 0;
    for (auto _ : state) note->SetPosition(500 + (x++ & 1), 500, 3000, 3000);
}
BENCHMARK(BM_NoteRebuild100Words)->Unit(benchmark::kMicrosecond);

void BM_StampFit(benchmark::State& state)
{
    registered classes;
    host::document doc;
    doc.add_page(5950, 8420, 720);
    auto stamp = attached<IZCntElementStamp>(doc, u"Orvane.ZCntElementStamp.1");
    com::Bstr header(u"APPROVED"), content(u"2026-12-06 J. Doe"), face(u"Arial");
    stamp->SetPosition(1000, 1000, 500, 300);
    stamp->SetStampData(header.get(), 0xFF, face.get(), 70, -1, 0, content.get(), 0xFF,
                        face.get(), 0, 0, 0xFFFFFFFF, 0xFF, zeCntStampStyleRectangle, 0, 20, 15);
    for (auto _ : state) stamp->put_HeaderTextColor(0xFF);
}
BENCHMARK(BM_StampFit)->Unit(benchmark::kMicrosecond);

void BM_PageBreakShow(benchmark::State& state)
{
    registered classes;
    host::document doc;
    doc.add_page(2480, 3508, 300);
    auto marker = attached<IZCntElementPageBreak>(doc, u"Orvane.ZCntElementPageBreak.1");
    marker->SetPosition(0, 0, 2000, 3000);
    marker->put_PageBreakPosY(1500);
    for (auto _ : state) marker->ShowPageBreakElements();
}
BENCHMARK(BM_PageBreakShow)->Unit(benchmark::kMicrosecond);

}  // namespace
