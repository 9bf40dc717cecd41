// Loading a .pjd file whose image elements place that same file, 1 to 16 times: each file is
// loaded once however often it is placed, so the time grows with the placements, not with
// their powers.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "contentelements/cnt_image.h"
#include "bench/bench_support.h"

namespace {

using bench_support::registered;

void place(const host::document& doc, const std::string& file,
           std::vector<com::ComPtr<IZCntElementImage>>* kept)
{
    auto image = bench_support::attached<IZCntElementImage>(doc, u"Orvane.ZCntElementImage.1");
    image->SetPosition(100, 100, 600, 600);
    com::Bstr name(std::u16string(file.begin(), file.end()));
    image->put_ImageFile(name.get());
    kept->push_back(image);
}

// The file placed `times` times on its own page.
void BM_LoadSelfPlacing(benchmark::State& state)
{
    registered classes;
    const std::string path = "/tmp/zcnt-harden-bench-" + std::to_string(::getpid()) + ".pjd";
    {
        host::document empty;
        empty.add_page(2480, 3508, 300);
        empty.save(path);
        host::document doc;
        doc.add_page(2480, 3508, 300);
        std::vector<com::ComPtr<IZCntElementImage>> images;
        for (int64_t i = 0; i < state.range(0); ++i) place(doc, path, &images);
        doc.save(path);
    }
    for (auto _ : state) {
        host::document loaded;
        benchmark::DoNotOptimize(host::document::load(path, &loaded));
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadSelfPlacing)->Arg(1)->Arg(4)->Arg(16)->Unit(benchmark::kMillisecond);

}  // namespace
