// Bitmap resources: a module's .bmp bytes become a bitmap with the right pixels, whatever the
// depth and row order; unknown ids and damaged bytes give null and the error Windows sets.
#include <gtest/gtest.h>

#include <vector>

#include "gdi_fixtures.h"
#include "platform/com/last_error.h"
#include "platform/gdi/resources.h"

namespace {

using gdi_test::put;

HINSTANCE module_a() { return reinterpret_cast<HINSTANCE>(0x1000); }

// A 2 x 2 .bmp: top-left red, top-right green, bottom-left blue, bottom-right white.
std::vector<BYTE> bmp(int bits, bool top_down, bool file_header)
{
    std::vector<BYTE> info;
    put(info, 40);
    put(info, 2);
    put(info, static_cast<std::uint32_t>(top_down ? -2 : 2));
    put(info, 1, 2);
    put(info, static_cast<std::uint32_t>(bits), 2);
    for (std::uint32_t v : {0u, 0u, 0u, 0u, bits == 8 ? 4u : 0u, 0u}) put(info, v);
    const BYTE colours[4][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {255, 255, 255}};  // B G R
    std::vector<BYTE> rows[2];  // [0] top, [1] bottom
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) {
            const int index = r * 2 + c;
            if (bits == 8) {
                rows[r].push_back(static_cast<BYTE>(index));
            } else {
                rows[r].insert(rows[r].end(), colours[index], colours[index] + 3);
                if (bits == 32) rows[r].push_back(0);
            }
        }
        while (rows[r].size() % 4) rows[r].push_back(0);
    }
    if (bits == 8)
        for (const auto& c : colours) {
            info.insert(info.end(), c, c + 3);
            info.push_back(0);
        }
    for (int r : top_down ? std::vector<int>{0, 1} : std::vector<int>{1, 0})
        info.insert(info.end(), rows[r].begin(), rows[r].end());
    if (!file_header) return info;
    std::vector<BYTE> file{'B', 'M'};
    for (std::uint32_t v : {static_cast<std::uint32_t>(14 + info.size()), 0u, 14u + 40u + (bits == 8 ? 16u : 0u)})
        put(file, v);
    file.insert(file.end(), info.begin(), info.end());
    return file;
}

TEST(BitmapResources, LoadWithTheirPixelsAtEveryDepthAndRowOrder)
{
    struct variant {
        int bits;
        bool top_down, file_header;
    } variants[] = {{24, false, true}, {24, true, false}, {32, false, false}, {8, false, true}};
    UINT id = 201;
    for (const auto& v : variants) {
        SCOPED_TRACE(v.bits);
        static std::vector<std::vector<BYTE>> keep;  // resources outlive their use
        keep.push_back(bmp(v.bits, v.top_down, v.file_header));
        ASSERT_TRUE(RegisterBitmapResource(module_a(), id, keep.back().data(),
                                           static_cast<DWORD>(keep.back().size())));
        HBITMAP bitmap = LoadBitmapA(module_a(), MAKEINTRESOURCEA(id));
        ASSERT_NE(bitmap, nullptr);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, bitmap);
        // COLORREF 0x00BBGGRR: red, green, blue, white.
        gdi_test::expect_pixels(dc, {{0, 0, 0x0000FFu}, {1, 0, 0x00FF00u}, {0, 1, 0xFF0000u}, {1, 1, 0xFFFFFFu}});
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
        ++id;
    }
}

TEST(BitmapResources, UnknownIdsOtherModulesAndDamagedBytesGiveNull)
{
    static const std::vector<BYTE> good = bmp(24, false, true);
    ASSERT_TRUE(RegisterBitmapResource(module_a(), 300, good.data(), static_cast<DWORD>(good.size())));
    SetLastError(0);
    EXPECT_EQ(LoadBitmapA(module_a(), MAKEINTRESOURCEA(399)), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(LoadBitmapA(reinterpret_cast<HINSTANCE>(0x2000), MAKEINTRESOURCEA(300)), nullptr);
    EXPECT_EQ(LoadImageA(module_a(), MAKEINTRESOURCEA(300), 1, 0, 0, 0), nullptr);  // an icon

    // Every truncation and a few hostile headers.
    static std::vector<std::vector<BYTE>> bad;
    for (std::size_t n = 0; n < good.size(); ++n) bad.emplace_back(good.begin(), good.begin() + n);
    auto huge = good;
    huge[14 + 4] = 0xFF;  // width 255 with the same few bytes
    bad.push_back(huge);
    auto rle = good;
    rle[14 + 16] = 1;  // compressed
    bad.push_back(rle);
    UINT id = 1000;
    for (const auto& b : bad) {
        ASSERT_TRUE(RegisterBitmapResource(module_a(), id, b.data(), static_cast<DWORD>(b.size())) ||
                    b.empty());
        if (!b.empty()) {
            SetLastError(0);
            EXPECT_EQ(LoadBitmapA(module_a(), MAKEINTRESOURCEA(id)), nullptr) << b.size();
            EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA);
        }
        ++id;
    }
}

}  // namespace
