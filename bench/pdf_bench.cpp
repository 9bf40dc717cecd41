// The whole road to a PDF file: a 1 000-page document with ten elements a page (four notes, two
// stamps, two links, a page break, a page-number footer) built through the elements'
// interfaces, their host objects, and the PDF written in memory. The same pages as
// bench/reportlab_pages.py makes, so that bench/compare_reportlab.py can set the two side by side.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

#include <memory>
#include <string>

#include "contentelements/cnt_link.h"
#include "contentelements/cnt_note.h"
#include "contentelements/cnt_pagebreak.h"
#include "contentelements/cnt_stamp.h"
#include "contentelements/zprint_page.h"
#include "bench/bench_support.h"
#include "host/engine.h"
#include "host/output/pdf/pdf_writer.h"
#include "module/class_map.h"
#include "platform/com/com.h"

namespace {

// US Letter at 720 units per inch: ten units to the point.
constexpr LONG kRes = 720, kWidth = 6120, kHeight = 7920;
constexpr int kElementsPerPage = 10;

struct registered {
    registered()
    {
        cnt::module::register_classes();
        // As the tool does: keep deflate's buffers in the heap instead of fresh mappings.
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    }
    ~registered() { cnt::module::revoke_classes(); }
};

const char16_t* const kSubjects[] = {u"figures", u"captions", u"totals", u"references",
                                     u"margins", u"headings", u"dates", u"signatures"};

std::u16string number(long v)
{
    std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}

template <typename I>
com::ComPtr<I> attached(const host::document& doc, LONG page, const char16_t* progid)
{
    return bench_support::attached<I>(doc, progid, page);
}

void build_page(const host::document& doc, LONG page)
{
    const com::Bstr arial(u"Arial");
    for (int n = 0; n < 4; ++n) {
        auto note = attached<IZCntElementNote>(doc, page, u"Orvane.ZCntElementNote.1");
        const std::u16string text =
            u"Review note " + number(n + 1) + u" on page " + number(page) + u": check the " +
            kSubjects[(page * 4 + n) % 8] + u" in section " + number(page % 17 + 1) +
            u" against the source table and correct any value that differs from revision " +
            number(page % 9 + 1) + u" before release.";
        const com::Bstr body(text);
        const LONG left = 400 + (n % 2) * 3000;
        const LONG top = kHeight - (6000 - (n / 2) * 900) - 560;
        note->SetPosition(left, top, 2300, 560);
        note->SetNoteData(body.get(), 0, arial.get(), 100, 0, 0, 0xE0FFFF, 0x404040,
                          zeCntNoteStyleRectangle, 0, 0, 0);
    }
    const char16_t* words[] = {u"APPROVED", u"DRAFT"};
    for (int n = 0; n < 2; ++n) {
        auto stamp = attached<IZCntElementStamp>(doc, page, u"Orvane.ZCntElementStamp.1");
        const com::Bstr header(words[n]), content(u"");
        stamp->SetPosition(n == 0 ? 600 : 3800, kHeight - 3000 - 360, 1600, 360);
        stamp->SetStampData(header.get(), 0x0000CC, arial.get(), 100, -1, 0, content.get(),
                            0x0000CC, arial.get(), 0, 0, 0xFFFFFFFF, 0x0000CC,
                            zeCntStampStyleRectangle, 0, 50, 15);
    }
    for (int n = 0; n < 2; ++n) {
        auto link = attached<IZCntElementLink>(doc, page, u"Orvane.ZCntElementLink.1");
        const LONG x = n == 0 ? 400 : 3400, y = kHeight - 2400;
        const com::Bstr url(u"https://example.com/docs/page/" + number(page) + u"/item/" +
                            number(n + 1));
        link->SetPosition(x, y - 100, 1600, 130);
        link->SetLinkData(url.get(), 0xFFFFFFFF, 0);
        bench_support::host_text(doc, page, x, y,
                                 u"See item " + number(n + 1) + u" of page " + number(page) +
                                     u" online",
                                 100, 0xCC0000);
    }
    auto marker = attached<IZCntElementPageBreak>(doc, page, u"Orvane.ZCntElementPageBreak.1");
    marker->put_PageBreakPosY(kHeight - 1800);
    marker->SetPosition(0, 0, kWidth, kHeight);
    auto footer = attached<IZCntElementNote>(doc, page, u"Orvane.ZCntElementNote.1");
    const com::Bstr footer_text(u"Page $p of $P");
    footer->SetPosition(kWidth / 2 - 800, kHeight - 400, 1600, 200);
    footer->SetNoteData(footer_text.get(), 0, arial.get(), 90, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF,
                        zeCntNoteStyleAutoTextPageNumber, 0, 0, 0);
}

host::document build_document(LONG pages)
{
    host::document doc;
    for (LONG p = 1; p <= pages; ++p) doc.add_page(kWidth, kHeight, kRes);
    for (LONG p = 1; p <= pages; ++p) build_page(doc, p);
    return doc;
}

// Fonts are found and loaded once per process; that belongs to no page.
void warm_up()
{
    static const bool done = [] {
        host::document doc = build_document(1);
        std::string pdf;
        host::pdf::write_pdf_bytes(doc.model(), {}, &pdf, nullptr, nullptr);
        return true;
    }();
    (void)done;
}

std::size_t heap_in_use() { return mallinfo2().uordblks; }

double peak_rss_kib()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss);  // KiB on Linux
}

// Elements, host objects and PDF, all of it, as the comparison with ReportLab counts it.
void BM_PdfWholeRoad(benchmark::State& state)
{
    registered classes;
    warm_up();
    // The high-water mark before the first document: the process, its libraries and the fonts.
    static const double baseline_kib = peak_rss_kib();
    const auto pages = static_cast<LONG>(state.range(0));
    std::size_t bytes = 0, heap_per_element = 0;
    double build_rss_per_element = 0;
    for (auto _ : state) {
        const std::size_t heap_before = heap_in_use();
        auto doc = std::make_unique<host::document>(build_document(pages));
        heap_per_element = (heap_in_use() - heap_before) / (std::size_t(pages) * kElementsPerPage);
        // The same high-water mark once the pages are built, before the PDF: what writing adds.
        // Only the first pass shows it; later ones start from the first one's peak.
        if (build_rss_per_element == 0)
            build_rss_per_element =
                (peak_rss_kib() - baseline_kib) * 1024.0 / (double(pages) * kElementsPerPage);
        std::string pdf;
        host::pdf::write_pdf_bytes(doc->model(), {}, &pdf, nullptr, nullptr);
        bytes = pdf.size();
        benchmark::DoNotOptimize(pdf.data());
        // Closing the document is not part of making the pages (nor is it in the comparison).
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["pages_per_second"] =
        benchmark::Counter(double(pages), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["pdf_bytes"] = double(bytes);
    state.counters["heap_bytes_per_element"] = double(heap_per_element);
    state.counters["peak_rss_kib"] = peak_rss_kib();
    // Meaningful when this benchmark runs first in its process (as it does by default).
    state.counters["peak_rss_bytes_per_element"] =
        (peak_rss_kib() - baseline_kib) * 1024.0 / (double(pages) * kElementsPerPage);
    state.counters["peak_rss_bytes_per_element_built"] = build_rss_per_element;
}
BENCHMARK(BM_PdfWholeRoad)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The two halves apart: building the pages, and writing pages already built.
void BM_PdfBuildPages(benchmark::State& state)
{
    registered classes;
    warm_up();
    const auto pages = static_cast<LONG>(state.range(0));
    for (auto _ : state) {
        auto doc = std::make_unique<host::document>(build_document(pages));
        benchmark::DoNotOptimize(doc->page_count());
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.counters["pages_per_second"] =
        benchmark::Counter(double(pages), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PdfBuildPages)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PdfWriteOnly(benchmark::State& state)
{
    registered classes;
    warm_up();
    const auto pages = static_cast<LONG>(state.range(0));
    host::document doc = build_document(pages);
    for (auto _ : state) {
        std::string pdf;
        host::pdf::write_pdf_bytes(doc.model(), {}, &pdf, nullptr, nullptr);
        benchmark::DoNotOptimize(pdf.data());
    }
    state.counters["pages_per_second"] =
        benchmark::Counter(double(pages), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_PdfWriteOnly)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
