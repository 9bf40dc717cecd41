// The engine at its limits, once each: a 10 000-page document (a link on every page) built,
// kept as .pjd, loaded and written as PDF; 100 000 links on one page built, kept and loaded; a
// link whose address is the longest string a record holds, saved and loaded; and the largest
// picture an image takes (16384 × 16384), placed and written as PDF. Besides the time, each
// gives the resident memory's high-water mark above what the process held before it.
#include <benchmark/benchmark.h>

#include <png.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "contentelements/cnt_image.h"
#include "contentelements/cnt_link.h"
#include "core/record_io.h"
#include "host/engine.h"
#include "platform/com/streams.h"

namespace {

using bench_support::resident_peak_kib;

// Times one pass of `run` and reports its memory; `run` gives false when something failed.
template <typename Run>
void once(benchmark::State& state, Run run)
{
    bench_support::registered classes;
    double peak = 0;
    for (auto _ : state) {
        const double before = resident_peak_kib(true);
        if (!run()) {
            state.SkipWithError("a step failed");
            return;
        }
        peak = std::max(peak, resident_peak_kib(false) - before);
    }
    state.counters["peak_rss_added_MiB"] = peak / 1024;
}

bool add_link(const host::document& doc, LONG page, LONG i, BSTR url)
{
    auto link = bench_support::attached<IZCntElementLink>(doc, u"Orvane.ZCntElementLink.1", page);
    return link && link->SetPosition((i * 7) % 2000, (i * 13) % 3000, 100, 50) == S_OK &&
           link->SetLinkData(url, 0xFF, 0) == S_OK;
}

// Kept as .pjd bytes and loaded again; the sizes go to the counters.
bool round_trip(benchmark::State& state, const host::document& doc)
{
    std::vector<BYTE> pjd;
    host::document loaded;
    if (FAILED(doc.save_bytes(&pjd)) ||
        FAILED(host::document::load_bytes(pjd.data(), pjd.size(), &loaded)))
        return false;
    state.counters["pjd_MiB"] = double(pjd.size()) / (1 << 20);
    return true;
}

bool pdf_of(benchmark::State& state, const host::document& doc)
{
    std::string pdf;
    host::pdf::write_report report;
    if (FAILED(host::pdf::write_pdf_bytes(doc.model(), {}, &pdf, &report, nullptr)) ||
        !report.warnings.empty())
        return false;
    state.counters["pdf_MiB"] = double(pdf.size()) / (1 << 20);
    return true;
}

void BM_Limits_TenThousandPages(benchmark::State& state)
{
    com::Bstr url(u"https://example.org/a/page");
    once(state, [&] {
        host::document doc;
        for (LONG page = 1; page <= 10000; ++page)
            if (FAILED(doc.add_page(2480, 3508, 300)) || !add_link(doc, page, page, url.get()))
                return false;
        return round_trip(state, doc) && pdf_of(state, doc);
    });
}
BENCHMARK(BM_Limits_TenThousandPages)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Limits_HundredThousandLinksOnAPage(benchmark::State& state)
{
    com::Bstr url(u"https://example.org/a/page");
    once(state, [&] {
        host::document doc;
        if (FAILED(doc.add_page(2480, 3508, 300))) return false;
        for (LONG i = 0; i < 100000; ++i)
            if (!add_link(doc, 1, i, url.get())) return false;
        return round_trip(state, doc);
    });
}
BENCHMARK(BM_Limits_HundredThousandLinksOnAPage)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The longest string a record takes: a megabyte with its terminator.
void BM_Limits_LongestString(benchmark::State& state)
{
    com::Bstr url(std::u16string(cnt::record::max_string_units, u'x'));
    once(state, [&] {
        host::document doc;
        if (FAILED(doc.add_page(2480, 3508, 300)) || !add_link(doc, 1, 0, url.get())) return false;
        return round_trip(state, doc);
    });
}
BENCHMARK(BM_Limits_LongestString)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A grey 16384 × 16384 PNG of bands, written row by row so that the pixels are never held whole.
bool write_largest_png(const std::string& path)
{
    constexpr png_uint_32 side = 16384;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png && info && !setjmp(png_jmpbuf(png));
    if (ok) {
        png_init_io(png, f);
        png_set_IHDR(png, info, side, side, 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        std::vector<png_byte> row(side);
        for (png_uint_32 y = 0; y < side; ++y) {
            for (png_uint_32 x = 0; x < side; ++x) row[x] = static_cast<png_byte>(((x ^ y) >> 6) * 37);
            png_write_row(png, row.data());
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0 && ok;
}

void BM_Limits_LargestImage(benchmark::State& state)
{
    bench_support::temp_folder folder("zcnt-limits-bench");
    const std::string path = folder.path() + "/largest.png";
    if (folder.path().empty() || !write_largest_png(path)) {
        state.SkipWithError("could not write the PNG file");
        return;
    }
    once(state, [&] {
        host::document doc;
        if (FAILED(doc.add_page(2480, 3508, 300))) return false;
        auto image = bench_support::attached<IZCntElementImage>(doc, u"Orvane.ZCntElementImage.1");
        com::Bstr name(std::u16string(path.begin(), path.end()));
        return image && image->SetPosition(100, 100, 2300, 2300) == S_OK &&
               image->put_ImageFile(name.get()) == S_OK && pdf_of(state, doc);
    });
}
BENCHMARK(BM_Limits_LargestImage)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
