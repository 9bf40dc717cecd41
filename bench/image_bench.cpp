// Rebuilds of the image element in the engine: a PNG file and a QR code of 200 characters, each
// moved back and forth so that every iteration rebuilds. A rebuild removes the element's image
// resource and makes it anew (loading the file again), so the figures include that.
#include <benchmark/benchmark.h>

#include <png.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "contentelements/cnt_image.h"
#include "contentelements/zprint_objects.h"
#include "host/engine.h"
#include "module/class_map.h"
#include "platform/com/com.h"

namespace {

struct registered {
    registered() { cnt::module::register_classes(); }
    ~registered() { cnt::module::revoke_classes(); }
};

// A temporary folder holding a 512 × 512 RGB gradient written with libpng's simplified API.
class png_file {
public:
    png_file()
    {
        if (dir_.path().empty()) return;
        constexpr int side = 512;
        std::vector<png_byte> pixels(std::size_t{side} * side * 3);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) {
                png_byte* p = &pixels[(std::size_t(y) * side + std::size_t(x)) * 3];
                p[0] = static_cast<png_byte>(x / 2);
                p[1] = static_cast<png_byte>(y / 2);
                p[2] = static_cast<png_byte>((x + y) / 4);
            }
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = side;
        image.height = side;
        image.format = PNG_FORMAT_RGB;
        const std::string path = dir_.path() + "/gradient.png";
        if (png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr))
            path_ = path;
        png_image_free(&image);
    }
    const std::string& path() const { return path_; }

private:
    bench_support::temp_folder dir_{"zcnt-image-bench"};
    std::string path_;
};

com::ComPtr<IZCntElementImage> attached_image(const host::document& doc)
{
    CLSID clsid{};
    CLSIDFromProgID(u"Orvane.ZCntElementImage.1", &clsid);
    com::ComPtr<IZCntElementImage> image;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IZCntElementImage::iid,
                     image.put_void());
    if (!image) return image;
    com::ComPtr<IZElement> e;
    image->QueryInterface(IZElement::iid, e.put_void());
    com::ComPtr<IDispatch> objects, resources, document;
    doc.page_objects(1, objects.put());
    doc.resources(1, resources.put());
    doc.dispatch(document.put());
    e->Attach(objects.get(), resources.get(), document.get());
    return image;
}

// Shows `file` and then moves the element by one unit each iteration.
void rebuild_loop(benchmark::State& state, const std::u16string& file)
{
    registered classes;
    host::document doc;
    doc.add_page(2480, 3508, 300);
    auto image = attached_image(doc);
    if (!image) {
        state.SkipWithError("no image element");
        return;
    }
    image->SetPosition(200, 200, 1200, 1200);
    com::Bstr name(file);
    if (image->put_ImageFile(name.get()) != S_OK || doc.find(1, "placed_image").empty()) {
        state.SkipWithError("the image element placed no image");
        return;
    }
    LONG x = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(image->SetPosition(200 + (x++ & 1), 200, 1200, 1200));
}

void BM_ImageRebuildPng(benchmark::State& state)
{
    const png_file png;
    if (png.path().empty()) {
        state.SkipWithError("could not write the PNG file");
        return;
    }
    rebuild_loop(state, std::u16string(png.path().begin(), png.path().end()));
}
BENCHMARK(BM_ImageRebuildPng)->Unit(benchmark::kMicrosecond);

void BM_QrRebuild200Characters(benchmark::State& state)
{
    std::u16string text = u"qrcode:";
    const char16_t words[] = u"harbour lights guide the boats home ";
    while (text.size() < 7 + 200) text += words;
    text.resize(7 + 200);
    rebuild_loop(state, text);
}
BENCHMARK(BM_QrRebuild200Characters)->Unit(benchmark::kMicrosecond);

}  // namespace
