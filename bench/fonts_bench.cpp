// Speed of the font reader on what the note does with it: the width of a 100-character line
// (glyph lookup and advance sum on an open reader), and opening and closing a face.
#include <benchmark/benchmark.h>

#include <iterator>
#include <string_view>

#include "fonts/open_type_font.h"

namespace {

// Automatic note text of the usual kind, with a few characters outside ASCII.
constexpr char16_t kLine[] =
    u"Page 12 of 340 \u2013 printed by J\u00fcrgen M\u00fcller, 06.12.2026 22:52, "
    u"approved \u00e9t\u00e9 \u20ac 1.234,56 (draft) final!!";
static_assert(std::size(kLine) - 1 == 100);

void BM_OpenTypeFont_LineWidth(benchmark::State& state, const char* face)
{
    CZOpenTypeFont font;
    if (!font.Open(face, FALSE, FALSE, -1000)) {
        state.SkipWithError("the face did not open");
        return;
    }
    const std::u16string_view line(kLine, std::size(kLine) - 1);
    for (auto _ : state) {
        float width = 0;
        for (char16_t ch : line) {
            width += static_cast<float>(font.GetAdvanceWidth(font.GetGlyphIndex(ch))) * 13 /
                     font.GetUnitsPerEm();
        }
        benchmark::DoNotOptimize(width);
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * line.size()));
}
BENCHMARK_CAPTURE(BM_OpenTypeFont_LineWidth, LiberationSans, "Liberation Sans");
BENCHMARK_CAPTURE(BM_OpenTypeFont_LineWidth, DejaVuSans, "DejaVu Sans");

void BM_OpenTypeFont_OpenClose(benchmark::State& state, const char* face)
{
    CZOpenTypeFont font;
    for (auto _ : state) {
        const BOOL opened = font.Open(face, FALSE, FALSE, -1000);
        benchmark::DoNotOptimize(opened);
        font.Close();
    }
}
BENCHMARK_CAPTURE(BM_OpenTypeFont_OpenClose, LiberationSans, "Liberation Sans");
BENCHMARK_CAPTURE(BM_OpenTypeFont_OpenClose, DejaVuSans, "DejaVu Sans");

}  // namespace
