// An image element given a QR source of ten megabytes of digits, far more than any symbol
// holds: refused before the encoder or any conversion sees the text.
#include <benchmark/benchmark.h>

#include <string>

#include "contentelements/cnt_image.h"
#include "bench/bench_support.h"

namespace {

void BM_QrTenMegabyteText(benchmark::State& state)
{
    cnt::module::register_classes();
    host::document doc;
    doc.add_page(5950, 8420, 720);
    auto image = bench_support::attached<IZCntElementImage>(doc, CLSID_ZCntElementImage);
    image->SetPosition(0, 0, 1000, 1000);
    com::Bstr source(u"qrcode:" + std::u16string(std::size_t{10} << 20, u'7'));
    for (auto _ : state) benchmark::DoNotOptimize(image->put_ImageFile(source.get()));
    image.reset();
    cnt::module::revoke_classes();
}
BENCHMARK(BM_QrTenMegabyteText)->Unit(benchmark::kMillisecond);

}  // namespace
