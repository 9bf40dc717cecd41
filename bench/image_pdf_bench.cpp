// Large PNG files written into a PDF: an RGB one, whose data goes in as it is, and an RGBA one,
// decoded row by row. Besides the time, the counters give the resident memory's high-water
// mark during the writing, above what the process held before it.
#include <benchmark/benchmark.h>

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "contentelements/cnt_image.h"
#include "host/engine.h"

namespace {

// A side × side gradient with a finer ripple, RGB or RGBA, in a temporary folder.
class large_png {
public:
    large_png(int side, bool alpha)
    {
        if (dir_.path().empty()) return;
        const int channels = alpha ? 4 : 3;
        std::vector<png_byte> pixels(std::size_t(side) * std::size_t(side) * std::size_t(channels));
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                png_byte* p = &pixels[(std::size_t(y) * std::size_t(side) + std::size_t(x)) * std::size_t(channels)];
                p[0] = static_cast<png_byte>(x * 255 / side);
                p[1] = static_cast<png_byte>(y * 255 / side);
                p[2] = static_cast<png_byte>((x ^ y) & 0x3F);
                if (alpha) p[3] = static_cast<png_byte>(255 - (x + y) * 127 / side);
            }
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(side);
        image.height = static_cast<png_uint_32>(side);
        image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
        const std::string path = dir_.path() + "/large.png";
        if (png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr)) path_ = path;
        png_image_free(&image);
    }
    const std::string& path() const { return path_; }

private:
    bench_support::temp_folder dir_{"zcnt-png-bench"};
    std::string path_;
};

void BM_WriteLargePngs(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    const bool alpha = state.range(1) != 0;
    const large_png png(side, alpha);
    if (png.path().empty()) {
        state.SkipWithError("could not write the PNG file");
        return;
    }
    bench_support::registered classes;
    host::document doc;
    doc.add_page(2480, 3508, 300);
    auto image = bench_support::attached<IZCntElementImage>(doc, u"Orvane.ZCntElementImage.1");
    if (!image) {
        state.SkipWithError("no image element");
        return;
    }
    image->SetPosition(100, 100, 2300, 2300);
    com::Bstr name(std::u16string(png.path().begin(), png.path().end()));
    if (image->put_ImageFile(name.get()) != S_OK) {
        state.SkipWithError("the PNG was not placed");
        return;
    }
    double before = 0, peak = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        before = bench_support::resident_peak_kib(true);
        std::string pdf;
        host::pdf::write_report report;
        if (FAILED(host::pdf::write_pdf_bytes(doc.model(), {}, &pdf, &report, nullptr)) || !report.warnings.empty()) {
            state.SkipWithError("the PDF was not written whole");
            return;
        }
        bytes = pdf.size();
        peak = std::max(peak, bench_support::resident_peak_kib(false) - before);
        benchmark::DoNotOptimize(pdf.data());
    }
    state.counters["pdf_bytes"] = double(bytes);
    state.counters["peak_rss_added_kib"] = peak;
}
BENCHMARK(BM_WriteLargePngs)->Args({4096, 1})->Args({4096, 0})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
