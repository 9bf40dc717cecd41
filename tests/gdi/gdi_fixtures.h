// Small owners for the handles the GDI tests create, so that a failed assertion leaks nothing,
// and compact readers for what the tests compare.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi_test {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF tint = 0xFAE7E7;  // the form fields' box colour

class Display {
public:
    Display() : dc_(CreateDCA("DISPLAY", nullptr, nullptr, nullptr)) {}
    ~Display()
    {
        if (dc_ != nullptr) DeleteDC(dc_);
    }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

// A font created and selected for the lifetime of the object.
class Selected {
public:
    Selected(HDC dc, int height, const char* face, int weight = 0, bool italic = false)
        : dc_(dc),
          font_(CreateFontA(height, 0, 0, 0, weight, italic ? 1 : 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                            0, face)),
          old_(SelectObject(dc, font_))
    {
    }
    ~Selected()
    {
        SelectObject(dc_, old_);
        DeleteObject(font_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
};

// A memory DC holding a fresh 32-bit bitmap filled white.
class Canvas {
public:
    Canvas(int width, int height)
    {
        Display screen;
        bitmap_ = CreateCompatibleBitmap(screen.get(), width, height);
        dc_ = CreateCompatibleDC(screen.get());
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas()
    {
        SelectObject(dc_, old_);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC dc() const { return dc_; }
    HBITMAP bitmap() const { return bitmap_; }
    COLORREF at(int x, int y) const { return GetPixel(dc_, x, y); }

    int count(COLORREF color, RECT area) const
    {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) n += at(x, y) == color ? 1 : 0;
        return n;
    }

private:
    HBITMAP bitmap_ = nullptr;
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// Each {x, y, colour} read back from the DC.
inline void expect_pixels(HDC dc, const std::vector<std::tuple<int, int, COLORREF>>& want)
{
    for (const auto& [x, y, colour] : want) EXPECT_EQ(GetPixel(dc, x, y), colour) << x << "," << y;
}

inline TEXTMETRICA metrics(HDC dc)
{
    TEXTMETRICA tm{};
    EXPECT_TRUE(GetTextMetricsA(dc, &tm));
    return tm;
}

inline SIZE extent(HDC dc, const std::string& text)
{
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size));
    return size;
}

inline std::vector<LONG> sides(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

inline std::vector<LONG> sides(const SIZE& s) { return {s.cx, s.cy}; }

inline SIZE window_ext(HDC dc)
{
    SIZE ext{};
    GetWindowExtEx(dc, &ext);
    return ext;
}

inline SIZE viewport_ext(HDC dc)
{
    SIZE ext{};
    GetViewportExtEx(dc, &ext);
    return ext;
}

inline std::string face_name(HDC dc)
{
    char name[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, name);
    return name;
}

// The family name that outline metrics carry behind their fixed fields.
inline const char* family_of(const OUTLINETEXTMETRICA* otm)
{
    return reinterpret_cast<const char*>(otm) + reinterpret_cast<std::uintptr_t>(otm->otmpFamilyName);
}

// Appends `v` as `size` little-endian bytes, as the BMP headers store their fields.
inline void put(std::vector<BYTE>& b, std::uint32_t v, int size = 4)
{
    for (int i = 0; i < size; ++i) b.push_back(static_cast<BYTE>(v >> (8 * i)));
}

inline std::vector<unsigned char> read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The whole font file behind the selected font, as GetFontData returns it.
inline std::vector<unsigned char> font_file(HDC dc)
{
    const DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
    if (size == GDI_ERROR) return {};
    std::vector<unsigned char> bytes(size);
    EXPECT_EQ(GetFontData(dc, 0, 0, bytes.data(), size), size);
    return bytes;
}

constexpr const char* liberation_dir = "/usr/share/fonts/truetype/liberation/";
constexpr const char* dejavu_dir = "/usr/share/fonts/truetype/dejavu/";

}  // namespace gdi_test
