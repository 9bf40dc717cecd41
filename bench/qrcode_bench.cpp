// An image element given a QR source of ten megabytes of digits, far more than any symbol
// holds: refused before the encoder or any conversion sees the text.
#include <benchmark/benchmark.h>

#include <string>

#include "contentelements/cnt_image.h"
#include "contentelements/zprint_objects.h"
#include "host/engine.h"
#include "module/class_map.h"
#include "platform/com/com.h"

namespace {

void BM_QrTenMegabyteText(benchmark::State& state)
{
    cnt::module::register_classes();
    host::document doc;
    doc.add_page(5950, 8420, 720);
    com::ComPtr<IZCntElementImage> image;
    CoCreateInstance(CLSID_ZCntElementImage, nullptr, CLSCTX_INPROC_SERVER,
                     IZCntElementImage::iid, image.put_void());
    com::ComPtr<IZElement> element;
    image->QueryInterface(IZElement::iid, element.put_void());
    com::ComPtr<IDispatch> objects, resources, document;
    doc.page_objects(1, objects.put());
    doc.resources(1, resources.put());
    doc.dispatch(document.put());
    element->Attach(objects.get(), resources.get(), document.get());
    image->SetPosition(0, 0, 1000, 1000);
    com::Bstr source(u"qrcode:" + std::u16string(std::size_t{10} << 20, u'7'));
    for (auto _ : state) benchmark::DoNotOptimize(image->put_ImageFile(source.get()));
    image.reset();
    element.reset();
    cnt::module::revoke_classes();
}
BENCHMARK(BM_QrTenMegabyteText)->Unit(benchmark::kMillisecond);

}  // namespace
