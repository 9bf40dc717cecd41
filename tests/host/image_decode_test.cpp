// The image decoder on any format: damaged, truncated and oversized input refused with its
// message, unknown content and null arguments, and files recognised by content.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/image_builders.h"
#include "tests/shell/temp_tree.h"

namespace {

using namespace image_test;

std::vector<std::pair<const char*, bytes>> small_files()
{
    bmp_parts b;
    b.width = 3, b.height = 2, b.bits = 8, b.colours_used = 4;
    b.palette = palette_of(colours(4));
    b.data = pack_rows({{0, 1, 2}, {3, 2, 1}}, 8);
    return {
        {"png", png_file({.width = 3, .height = 3, .colour_type = 6})},
        {"jpeg grey", jpeg_write(8, 8, 1, JCS_GRAYSCALE, gradient(8, 8, 1))},
        {"jpeg rgb", jpeg_write(16, 8, 3, JCS_RGB, gradient(16, 8, 3))},
        {"jpeg progressive", jpeg_write(16, 16, 3, JCS_RGB, gradient(16, 16, 3), {true, false, 90})},
        {"bmp", make_bmp(b)},
    };
}

std::size_t find_frame(const bytes& file)
{
    for (std::size_t i = 2; i + 1 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) return i;
    ADD_FAILURE() << "no frame header";
    return 0;
}

TEST(image_any, damaged_headers_and_sizes_are_refused)
{
    const std::vector<bytes> one_row{{0}};
    bytes bad_crc = png_by_hand(1, 1, 8, 0, one_row);
    bad_crc[29] ^= 0x01;

    const bytes jpeg = jpeg_write(16, 16, 1, JCS_GRAYSCALE, gradient(16, 16, 1));
    const std::size_t sof = find_frame(jpeg);
    auto jpeg_sized = [&](std::uint32_t w, std::uint32_t h) {
        bytes b = jpeg;
        b[sof + 5] = static_cast<BYTE>(h >> 8), b[sof + 6] = static_cast<BYTE>(h);
        b[sof + 7] = static_cast<BYTE>(w >> 8), b[sof + 8] = static_cast<BYTE>(w);
        return b;
    };
    bytes twelve_bit = jpeg;
    twelve_bit[sof + 4] = 12;

    bmp_parts p;
    p.width = 2, p.height = 2, p.bits = 24;
    p.data = pack_rows({{1, 2}, {3, 4}}, 24);
    const bytes bmp = make_bmp(p);
    ASSERT_EQ(decode(bmp).hr, S_OK);
    bytes depth7 = bmp;
    depth7[28] = 7;
    p.compression = 2, p.bits = 4, p.palette = palette_of(colours(16)), p.data = {5, 0x12};

    // E_INVALIDARG with this message; "" for any message, nullptr for none checked. PNG and
    // huge BMP sizes are also refused by probing.
    const struct {
        const char* name;
        bytes file;
        const char* message;
        bool probe;
    } cases[] = {
        {"png checksum", bad_crc, nullptr, false},
        {"png filter method", png_by_hand(1, 1, 8, 0, one_row, {}, 1), "", false},
        {"png huge", png_by_hand(100000, 100000, 8, 0, one_row), "image too large: 100000 x 100000", true},
        // Within the limits but far more pixels than the data could hold: refused, not allocated.
        {"png short data", png_by_hand(16000, 16000, 8, 2, one_row), "", false},
        {"png empty", png_by_hand(0, 5, 8, 0, one_row), "image is empty: 0 x 5", false},
        {"png wide", png_by_hand(70000, 1, 8, 0, one_row), "image too large: 70000 x 1", false},
        {"png depth 3", png_by_hand(1, 1, 3, 0, one_row), "", false},
        {"png rows missing", png_by_hand(4, 4, 8, 0, {{1, 2, 3, 4}}), "", false},
        {"jpeg huge", jpeg_sized(65535, 65535), "image too large: 65535 x 65535", false},
        {"jpeg empty", jpeg_sized(16, 0), "image is empty: 16 x 0", false},
        {"jpeg 12 bit", twelve_bit, nullptr, false},
        {"bmp 60000 wide, pixel data missing", patched32le(bmp, 18, 60000), nullptr, false},
        {"bmp huge", patched32le(patched32le(bmp, 18, 60000), 22, 60000), "image too large: 60000 x 60000",
         false},
        {"bmp wide", patched32le(bmp, 18, 70000), "image too large: 70000 x 2", false},
        {"bmp tall", patched32le(bmp, 22, 0x80000000u), "image too large: 2 x 2147483648", false},
        {"bmp empty", patched32le(bmp, 22, 0), "image is empty: 2 x 0", false},
        {"bmp negative width", patched32le(bmp, 18, 0xFFFFFFFEu), nullptr, false},
        {"bmp compression", patched32le(bmp, 30, 4), "unsupported BMP compression 4", false},
        {"bmp header size", patched32le(bmp, 14, 64), "unsupported BMP header size 64", false},
        {"bmp pixel offset past the end", patched32le(bmp, 10, 0xFFFFFF00u), nullptr, false},
        {"bmp depth", depth7, "unsupported BMP bit depth 7", false},
        // 16000 x 16000 is within the limits; its missing pixel data is noticed before allocating.
        {"bmp short data", patched32le(patched32le(bmp, 18, 16000), 22, 16000), "BMP pixel data truncated",
         false},
        {"bmp rle cut short", make_bmp(p), "BMP RLE data truncated", false},
    };
    for (const auto& c : cases)
        for (const bool keep : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.name << ", keep " << keep);
            const result r = decode(c.file, keep);
            EXPECT_EQ(r.hr, E_INVALIDARG);
            if (c.message) {
                EXPECT_TRUE(*c.message ? r.message == c.message : !r.message.empty()) << r.message;
            }
            if (!c.probe || keep) continue;
            std::string message;
            img::info i{};
            EXPECT_EQ(img::probe_bytes(c.file.data(), c.file.size(), &i, &message), E_INVALIDARG);
            EXPECT_EQ(message, c.message);
        }

    // Damaged entropy data either decodes to something or fails cleanly.
    for (std::size_t at = sof + 20; at < jpeg.size() - 2; at += 7) {
        bytes b = jpeg;
        b[at] ^= 0x5A;
        for (const bool keep : {false, true}) {
            const HRESULT hr = decode(b, keep).hr;
            EXPECT_TRUE(hr == S_OK || hr == E_INVALIDARG) << at;
        }
    }
}

TEST(image_any, every_truncation_fails_cleanly)
{
    for (const auto& [name, file] : small_files()) {
        SCOPED_TRACE(name);
        const probed whole = probe(file);
        ASSERT_EQ(std::get<0>(whole), S_OK);
        for (std::size_t n = 0; n < file.size(); ++n) {
            const bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
            for (const bool keep : {false, true}) {
                const result r = decode(cut, keep);
                EXPECT_EQ(r.hr, E_INVALIDARG) << n << " bytes, keep " << keep;
                EXPECT_FALSE(r.message.empty()) << n;
                EXPECT_TRUE(r.picture.pixels.empty() && r.picture.jpeg.empty()) << n;
            }
            const probed part = probe(cut);
            if (std::get<0>(part) != E_INVALIDARG) {
                EXPECT_EQ(part, whole) << n;
            }
        }
    }
}

TEST(image_any, unknown_content_and_null_arguments_are_refused)
{
    const std::vector<bytes> inputs{
        {},
        {'B'},
        {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0},
        {0x89, 'P', 'N', 'X', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13},
        {0xFF, 0xD8, 0x00},
        bytes(100, 'x'),
    };
    for (const bytes& in : inputs) {
        for (const bool keep : {false, true}) {
            const result r = decode(in, keep);
            EXPECT_EQ(r.hr, E_INVALIDARG);
            EXPECT_EQ(r.message, "not a PNG, JPEG or BMP image");
        }
        img::info i{};
        std::string message;
        EXPECT_EQ(img::probe_bytes(in.data(), in.size(), &i, &message), E_INVALIDARG);
        EXPECT_EQ(message, "not a PNG, JPEG or BMP image");
    }

    const bytes file = small_files()[0].second;
    img::picture p{};
    img::info i{};
    EXPECT_EQ(img::decode_bytes(file.data(), file.size(), false, nullptr, nullptr), E_POINTER);
    EXPECT_EQ(img::probe_bytes(file.data(), file.size(), nullptr, nullptr), E_POINTER);
    EXPECT_EQ(img::decode_bytes(nullptr, 10, false, &p, nullptr), E_POINTER);
    EXPECT_EQ(img::decode_bytes(nullptr, 0, false, &p, nullptr), E_INVALIDARG);
    // No message wanted: the result alone.
    EXPECT_EQ(img::decode_bytes(file.data(), file.size(), false, &p, nullptr), S_OK);
    EXPECT_EQ(img::probe_bytes(file.data(), 4, &i, nullptr), E_INVALIDARG);
}

// `content` as the file `name` of a fresh folder; its path.
struct temp_file {
    shell_test::TempTree folder;
    std::string path;
    temp_file(const std::string& name, const bytes& content) : path(folder.root() + "/" + name)
    {
        folder.file(name, std::string(content.begin(), content.end()));
    }
};

TEST(image_file, content_decides_not_the_name)
{
    const bytes rgb = pattern(4 * 2 * 3, 5);
    const temp_file file("image_decode_test_really_png.jpg", png_file({.width = 4, .height = 2, .pixels = rgb}));
    img::picture p{};
    std::string message;
    ASSERT_EQ(img::decode_file(file.path, true, &p, &message), S_OK) << message;
    EXPECT_EQ(p.kind, img::format::png);
    EXPECT_EQ(p.pixels, rgb);
    EXPECT_TRUE(p.jpeg.empty());
    img::info i{};
    EXPECT_EQ(img::probe_file(file.path, &i, &message), S_OK) << message;
    EXPECT_EQ((probed{S_OK, i.kind, i.width, i.height}), (probed{S_OK, img::format::png, 4, 2}));

    const bytes jpeg = jpeg_write(8, 8, 3, JCS_RGB, gradient(8, 8, 3));
    const temp_file named_bmp("image_decode_test_really_jpeg.bmp", jpeg);
    ASSERT_EQ(img::decode_file(named_bmp.path, true, &p, &message), S_OK) << message;
    EXPECT_EQ(p.kind, img::format::jpeg);
    EXPECT_EQ(p.jpeg, jpeg);
}

TEST(image_file, missing_and_unreadable_files)
{
    const shell_test::TempTree folder;
    const std::string missing = folder.root() + "/no_such_file.png";
    img::picture p{};
    img::info i{};
    std::string message;
    EXPECT_EQ(img::decode_file(missing, false, &p, &message), STG_E_FILENOTFOUND);
    EXPECT_EQ(message.rfind("cannot open " + missing + ": ", 0), 0u) << message;
    message.clear();
    EXPECT_EQ(img::probe_file(missing, &i, &message), STG_E_FILENOTFOUND);
    EXPECT_EQ(message.rfind("cannot open " + missing + ": ", 0), 0u) << message;
    // A directory opens on Linux but cannot be read.
    EXPECT_EQ(img::decode_file(folder.root(), false, &p, &message), STG_E_FILENOTFOUND);
    EXPECT_EQ(message.rfind("cannot open ", 0), 0u) << message;

    const temp_file damaged("image_decode_test_damaged.png", bytes{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0});
    EXPECT_EQ(img::decode_file(damaged.path, false, &p, &message), E_INVALIDARG);
    EXPECT_EQ(img::probe_file(damaged.path, &i, &message), E_INVALIDARG);
}

}  // namespace
