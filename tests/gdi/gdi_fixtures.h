// Small owners for the handles the GDI tests create, so that a failed assertion leaks nothing.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace gdi_test {

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
    HFONT font() const { return font_; }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
};

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

inline std::string face_name(HDC dc)
{
    char name[LF_FACESIZE] = {};
    GetTextFaceA(dc, LF_FACESIZE, name);
    return name;
}

inline std::vector<unsigned char> read_file(const std::string& path)
{
    std::vector<unsigned char> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        unsigned char chunk[65536];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(f);
    }
    return bytes;
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
