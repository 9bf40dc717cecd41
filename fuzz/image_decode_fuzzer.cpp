// Fuzz target: arbitrary bytes through the image decoder, probing and decoding both ways.
//
// A decode that succeeds must agree with the probe and hand back buffers of exactly the declared
// size. Inputs that probe as more than a few million pixels are only probed: their refusal of
// oversized images is covered by the probe, and decoding them would only measure libFuzzer's
// memory limit.
// Build with -DZCNT_FUZZ_REPLAY_MAIN to replay files without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/output/image/decode.h"
#include "host/output/image/png_stream.h"

namespace {

constexpr std::uint64_t decode_limit = 1u << 22;

void check(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "image decoder invariant broken: %s\n", what);
    std::abort();
}

void decode(const uint8_t* data, size_t size, bool keep_jpeg, const host::image::info& probed)
{
    host::image::picture p;
    std::string message;
    const HRESULT hr = host::image::decode_bytes(data, size, keep_jpeg, &p, &message);
    if (FAILED(hr)) {
        check(hr == E_INVALIDARG || hr == E_OUTOFMEMORY, "unexpected failure code");
        check(!message.empty(), "failure without a message");
        check(p.pixels.empty() && p.alpha.empty() && p.jpeg.empty(), "failure left output");
        return;
    }
    check(p.kind == probed.kind && p.width == probed.width && p.height == probed.height,
          "decode disagrees with probe");
    check(p.components == 1 || p.components == 3, "components not 1 or 3");
    const std::uint64_t count = std::uint64_t(p.width) * std::uint64_t(p.height);
    if (!p.jpeg.empty()) {
        check(keep_jpeg && p.kind == host::image::format::jpeg, "jpeg bytes kept unasked");
        check(p.jpeg.size() == size && p.pixels.empty(), "kept jpeg with pixels or wrong size");
    } else {
        check(p.pixels.size() == count * std::uint64_t(p.components), "pixel buffer size");
    }
    check(p.alpha.empty() || p.alpha.size() == count, "alpha plane size");
}

// The PNG data a PDF would take as it is: only ever a whole, consistent description of it.
void direct(const uint8_t* data, size_t size, const host::image::info& probed)
{
    host::image::png_direct d;
    std::string message;
    const HRESULT hr = host::image::png_direct_data(data, size, &d, &message);
    if (FAILED(hr)) {
        check(hr == E_INVALIDARG || hr == E_OUTOFMEMORY, "unexpected direct failure code");
        check(!message.empty(), "direct failure without a message");
        return;
    }
    if (hr == S_FALSE) return;
    check(d.width == probed.width && d.height == probed.height, "direct data disagrees with probe");
    check(d.colours == 1 || d.colours == 3, "direct colours not 1 or 3");
    check(d.data.size() >= 2 && d.data.size() <= size, "direct data size");
    check(!d.indexed || d.palette.size() == std::size_t{3} << d.depth, "direct palette size");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    host::image::info probed{};
    std::string message;
    const HRESULT hr = host::image::probe_bytes(data, size, &probed, &message);
    if (FAILED(hr)) {
        check(hr == E_INVALIDARG, "probe failure code");
        check(!message.empty(), "probe failure without a message");
        host::image::picture p;
        check(FAILED(host::image::decode_bytes(data, size, false, &p, nullptr)),
              "decoded what the probe refused");
        return 0;
    }
    check(probed.width > 0 && probed.height > 0, "probe gave an empty size");
    check(std::uint64_t(probed.width) * std::uint64_t(probed.height) <= host::image::max_pixels,
          "probe passed an oversized image");
    if (std::uint64_t(probed.width) * std::uint64_t(probed.height) > decode_limit) return 0;
    decode(data, size, false, probed);
    decode(data, size, true, probed);
    if (probed.kind == host::image::format::png) direct(data, size, probed);
    return 0;
}

#ifdef ZCNT_FUZZ_REPLAY_MAIN
#include "fuzz/replay_main.h"
#endif
