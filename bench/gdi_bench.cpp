// Text measuring on the "DISPLAY" context with warm caches: one line's extent, a font's
// creation and selection, and word-wrapped layout.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/gdi/gdi.h"

namespace {

std::string words(int count)
{
    static const char* const vocabulary[] = {"measure", "the", "note", "text", "wraps", "at",
                                             "spaces", "between", "words", "of", "Windows-1252"};
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text.push_back(' ');
        text += vocabulary[i % 11];
    }
    return text;
}

class Display {
public:
    explicit Display(int height)
        : dc_(CreateDCA("DISPLAY", nullptr, nullptr, nullptr)),
          font_(CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                            "Arial")),
          old_(SelectObject(dc_, font_))
    {
    }
    ~Display()
    {
        SelectObject(dc_, old_);
        DeleteObject(font_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
};

void BM_Gdi_TextExtent100Chars(benchmark::State& state)
{
    Display display(-13);
    const std::string line = words(40).substr(0, 100);
    SIZE size{};
    GetTextExtentPoint32A(display.dc(), line.data(), static_cast<int>(line.size()), &size);
    for (auto _ : state) {
        BOOL ok = GetTextExtentPoint32A(display.dc(), line.data(), static_cast<int>(line.size()),
                                        &size);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(size);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 100);
}
BENCHMARK(BM_Gdi_TextExtent100Chars);

void BM_Gdi_CreateSelectDeleteFont(benchmark::State& state)
{
    Display display(-13);
    TEXTMETRICA tm{};
    GetTextMetricsA(display.dc(), &tm);  // faces and sizes are cached from here on
    for (auto _ : state) {
        HFONT font = CreateFontA(-325, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                 "Arial");
        HGDIOBJ old = SelectObject(display.dc(), font);
        BOOL ok = GetTextMetricsA(display.dc(), &tm);
        SelectObject(display.dc(), old);
        DeleteObject(font);
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_Gdi_CreateSelectDeleteFont);

void BM_Gdi_DrawTextWordBreak100Words(benchmark::State& state)
{
    Display display(-13);
    const std::string text = words(100);
    for (auto _ : state) {
        RECT rect{0, 0, 300, 0};
        int height = DrawTextA(display.dc(), text.data(), static_cast<int>(text.size()), &rect,
                               DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        benchmark::DoNotOptimize(height);
    }
}
BENCHMARK(BM_Gdi_DrawTextWordBreak100Words);

}  // namespace
