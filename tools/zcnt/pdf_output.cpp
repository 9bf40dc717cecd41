// The PDF output of zcnt render and zcnt demo.
#include "tools/zcnt/pdf_output.h"

#include <unistd.h>

#include <vector>

#include "host/output/pdf/overlay.h"

namespace zcnt {
namespace {

// Pages below this many finish before a bar would be seen.
constexpr LONG kBarFromPages = 50;

void draw_bar(std::FILE* err, LONG done, LONG total)
{
    const int width = 40;
    const int filled = static_cast<int>(static_cast<long long>(done) * width / total);
    std::fprintf(err, "\r[%.*s%*s] %ld/%ld pages", filled,
                 "########################################", width - filled, "",
                 static_cast<long>(done), static_cast<long>(total));
    if (done == total) std::fputc('\n', err);
    std::fflush(err);
}

host::pdf::write_options options_for(const host::document& doc, std::FILE* err, LONG* shown)
{
    host::pdf::write_options options;
    const bool terminal = ::isatty(::fileno(err)) == 1;
    if (terminal && doc.page_count() >= kBarFromPages) {
        options.progress = [err, shown](LONG done, LONG total) {
            // About a hundred redraws whatever the length.
            const LONG step = total / 100 + 1;
            if (done == total || done / step != *shown) {
                *shown = done / step;
                draw_bar(err, done, total);
            }
        };
    }
    return options;
}

void print_warnings(const host::pdf::write_report& report, std::FILE* err)
{
    for (const std::string& w : report.warnings) std::fprintf(err, "zcnt: warning: %s\n", w.c_str());
}

}  // namespace

bool make_pdf_bytes(const host::document& doc, bool flatten, std::FILE* err, std::string* bytes,
                    std::string* error)
{
    LONG shown = -1;
    host::pdf::write_options options = options_for(doc, err, &shown);
    options.flatten = flatten;
    host::pdf::write_report report;
    if (FAILED(host::pdf::write_pdf_bytes(doc.model(), options, bytes, &report, error)))
        return false;
    print_warnings(report, err);
    return true;
}

bool make_pdf_over(const std::string& base, const std::string& layer, std::FILE* err,
                   std::string* bytes, std::string* error)
{
    std::vector<std::string> warnings;
    if (FAILED(host::pdf::overlay_pdf(base, layer, bytes, &warnings, error))) return false;
    for (const std::string& w : warnings) std::fprintf(err, "zcnt: warning: %s\n", w.c_str());
    return true;
}

}  // namespace zcnt
