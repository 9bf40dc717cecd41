// Checks written PDF files with the real command-line tools (qpdf, poppler),
// so tests judge our output the way independent readers see it.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "tests/shell/temp_tree.h"

namespace pdf_probe {

struct run_result {
    int status = -1;  // exit code; 128 + signal if killed; 127 if it could not start
    std::string out;
    std::string err;
};

// Runs argv[0] found on PATH with the arguments passed verbatim (no shell).
run_result run(const std::vector<std::string>& argv);

// True when `qpdf --check` exits 0 and reports no warning; output gets its text.
bool qpdf_check(const std::string& pdf, std::string* output = nullptr);

// Text as pdftotext extracts it in UTF-8; page 0 means every page.
std::string text(const std::string& pdf, int page = 0);

struct font_row {
    std::string name, type, encoding;
    bool embedded = false, subset = false, unicode = false;
};

std::vector<font_row> fonts(const std::string& pdf);

struct page_info {
    double width = 0, height = 0;
};

// One entry a page; none if pdfinfo cannot read the file.
std::vector<page_info> page_sizes(const std::string& pdf);

using rgb = std::array<int, 3>;

struct raster {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;  // rows top to bottom, 3 bytes a pixel
    // {-1, -1, -1} outside the image.
    std::array<int, 3> at(int x, int y) const;
};

enum class renderer { poppler, mupdf };
// Renders one page (1-based) at dpi with pdftoppm, or with MuPDF's mutool draw.
bool render(const std::string& pdf, int page, int dpi, raster* out,
            renderer with = renderer::poppler);

// The pixel at (x, y) is `want` within `tolerance` in every channel.
::testing::AssertionResult colour_at(const raster& r, int x, int y, rgb want, int tolerance = 10);
// Pixels darker than paper in [x0, x1) x [y0, y1).
int inked(const raster& r, int x0, int y0, int x1, int y1);

// A classic PDF file of `objects`, numbered from 1; the first is the catalog.
std::string hand_pdf(const std::vector<std::string>& objects);
using shell_test::read_all;

// A fresh folder, removed with its contents when done; file() is the path of a name in it.
class scoped_dir : public shell_test::TempTree {
public:
    const std::string& path() const { return root(); }
    std::string file(const std::string& name) const { return root() + "/" + name; }
};

}  // namespace pdf_probe
