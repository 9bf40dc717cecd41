// The showcase document: A4 pages at 720 units per inch, each with a title line and body text
// the host places itself, and the elements on top: review notes, automatic page numbers, an
// "APPROVED" stamp at an angle, a link, a page break; and an order form of every field kind.
#include "tools/zcnt/demo.h"

#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "tools/zcnt/demo_assets.h"
#include "tools/zcnt/files.h"
#include "tools/zcnt/render.h"

namespace zcnt {
namespace {

using nlohmann::json;

constexpr long long kWidth = 5953, kHeight = 8419, kMargin = 720;
// Colours are 0x00BBGGRR.
constexpr long long kInk = 0x202020, kBlue = 0xB05000, kRed = 0x1C1CC8, kGreen = 0x2E7D32;
constexpr long long kYellow = 0xCCFFFF, kOrange = 0x0080FF, kPaleGreen = 0xE0F5E0, kNone = -1;

json text(long long page, long long x, long long y, const char* body, long long size = 110,
          bool bold = false, long long colour = kInk)
{
    return {{"page", page}, {"x", x}, {"y", y}, {"text", body}, {"font", "Arial"},
            {"size", size}, {"bold", bold}, {"color", colour}};
}

json element(long long page, const char* progid, json calls)
{
    return {{"page", page}, {"class", progid}, {"calls", std::move(calls)}};
}

json note(long long page, long long left, long long top, long long width, long long height,
          const char* body, long long fill, long long border, int style, long long size = 110)
{
    return element(page, "Orvane.ZCntElementNote.1",
                   json::array({json::array({"SetPosition", left, top, width, height}),
                                json::array({"SetNoteData", body, kInk, "Arial", size, false, false,
                                             fill, border, style, false, false, 0})}));
}

json footer(long long page)
{
    return note(page, kMargin, kHeight - 560, 2200, 260, "Page $p of $P", kNone, kNone, 4, 90);
}

json stamp(long long page, long long left, long long top, const char* header, const char* content,
           long long colour, int style, int transparency, int inclination)
{
    return element(page, "Orvane.ZCntElementStamp.1",
                   json::array({json::array({"SetPosition", left, top, 1400, 500}),
                                json::array({"SetStampData", header, colour, "Arial", 60, true, false,
                                             content, colour, "Arial", false, false, kNone, colour,
                                             style, false, transparency, inclination})}));
}

void title(json& texts, long long page, const char* heading, std::initializer_list<const char*> body)
{
    texts.push_back(text(page, kMargin, 1000, heading, 200, true));
    long long y = 1500;
    for (const char* line : body) {
        texts.push_back(text(page, kMargin, y, line));
        y += 190;
    }
}

json image(long long page, long long left, long long top, long long width, long long height,
           const std::string& file)
{
    return element(page, "Orvane.ZCntElementImage.1",
                   json::array({json::array({"SetPosition", left, top, width, height}),
                                json::array({"put", "ImageFile", file})}));
}

json text_mark(long long page, const char* words, int style, long long colour)
{
    return element(page, "Orvane.ZCntElementTextMark.1",
                   json::array({json::array({"MarkText", json{{"view", page}},
                                             json{{"find", json::array({page, words})}}, style,
                                             colour})}));
}

void review_page(json& d, long long p)
{
    title(d["texts"], p, "Quarterly report \xE2\x80\x94 review copy",
          {"The figures in this report cover the third quarter. Sales grew by 12 % over the",
           "same quarter last year, driven by the new product line and the autumn campaign.",
           "Costs rose by 4 %, mostly for freight. The second table gives the regional split."});
    d["elements"].push_back(note(p, kMargin, 2300, 2700, 1100,
                                 "Please check the figures in the second table before Monday's "
                                 "review. Gr\xC3\xBC\xC3\x9F" "e, Zo\xC3\xAB",
                                 kYellow, kOrange, 1));
    d["elements"].push_back(stamp(p, 3700, 2600, "APPROVED", "2026-12-07", kRed, 0, 20, 15));
    d["texts"].push_back(text(p, kMargin, 4200, "Read the full report online: https://example.org/report",
                              110, false, kBlue));
    d["elements"].push_back(element(
        p, "Orvane.ZCntElementLink.1",
        json::array({json::array({"SetPosition", kMargin - 40, 4040, 4200, 220}),
                     json::array({"SetLinkData", "https://example.org/report", kBlue, false}),
                     json::array({"put", "Description", "Full report"})})));
    // The host's own text, marked: a highlight and an underline.
    d["elements"].push_back(text_mark(p, "Sales grew by 12 %", 0, 0x00FFFF));
    d["elements"].push_back(text_mark(p, "second table", 1, kRed));
    d["texts"].push_back(text(p, 4300, 6650, "Scan for the report:", 90));
    d["elements"].push_back(image(p, 4300, 6750, 1000, 1000, "qrcode:https://example.org/report"));
    d["elements"].push_back(footer(p));
}

void layout_page(json& d, long long p, const std::string& assets)
{
    title(d["texts"], p, "Layout markers",
          {"A page break marker shows where the text flow continues on the next page.",
           "The draft stamp is half transparent, so the text below it stays readable."});
    d["texts"].push_back(text(p, 3300, 3050, "Text under the draft stamp stays readable."));
    d["elements"].push_back(note(p, kMargin, 2200, 2300, 1000,
                                 "Ask the printer about the paper weight for the cover.",
                                 kPaleGreen, kGreen, 2));
    d["elements"].push_back(stamp(p, 3400, 2500, "DRAFT", "not for release", kRed, 1, 50, 0));
    d["elements"].push_back(element(
        p, "Orvane.ZCntElementPageBreak.1",
        json::array({json::array({"put", "PageBreakPosY", 5200}),
                     json::array({"SetPosition", kMargin, 4600, kWidth - 2 * kMargin, 1200})})));
    d["texts"].push_back(text(p, kMargin, 5980, "Product photo", 90, true));
    d["elements"].push_back(image(p, kMargin, 6050, 2400, 1800, assets + "/product.png"));
    d["texts"].push_back(text(p, 3400, 5980, "Data sheet (a placed PDF page)", 90, true));
    d["elements"].push_back(element(
        p, "Orvane.ZCntElementImage.1",
        json::array({json::array({"SetPosition", 3400, 6050, 1800, 1900}),
                     json::array({"SetImageData", assets + "/datasheet.pdf", true, 0x808080, false})})));
    d["elements"].push_back(footer(p));
}

void signoff_page(json& d, long long p)
{
    title(d["texts"], p, "Sign-off",
          {"Reviewed by the finance team. Questions go to the controller's office."});
    d["elements"].push_back(note(p, kMargin, 2000, 4400, 1200,
                                 "Summary: the report is ready for print once the second table "
                                 "is corrected. The cover stays as it is; the appendix moves to "
                                 "the back.",
                                 kNone, kNone, 3));
    d["elements"].push_back(stamp(p, 3300, 3600, "APPROVED", "Finance", kGreen, 0, 0, -10));
    d["elements"].push_back(note(p, kMargin, 3800, 2400, 600, "Checked by", 0xF0F0F0, 0x808080, 0));
    d["elements"].push_back(footer(p));
}

json field(long long page, const char* kind, long long left, long long top, long long width,
           long long height, const char* name, json more = json::array())
{
    json calls = json::array({json::array({"SetPosition", left, top, width, height}),
                              json::array({"put", "Name", name}),
                              json::array({"put", "Appearance.BorderColor", 0x808080}),
                              json::array({"put", "Appearance.FillColor", 0xFFF8F0})});
    for (auto& c : more) calls.push_back(std::move(c));
    return element(page, (std::string("Orvane.ZCntElementField") + kind + ".1").c_str(),
                   std::move(calls));
}

// The choices of a combo or list box as (display name, export value) pairs.
json choices(std::initializer_list<std::pair<const char*, const char*>> items)
{
    json calls = json::array();
    long long n = 0;
    for (const auto& [shown, exported] : items) {
        ++n;
        const std::string item = "ChoiceItems.Item(" + std::to_string(n) + ")";
        calls.push_back(json::array({"ChoiceItems.Add"}));
        calls.push_back(json::array({"put", item + ".DisplayName", shown}));
        calls.push_back(json::array({"put", item + ".ExportValue", exported}));
    }
    return calls;
}

// A form to fill in a viewer: every kind of field, the answers read back by `zcnt form-data`.
void order_page(json& d, long long p)
{
    title(d["texts"], p, "Order form",
          {"Fill in the fields in your PDF viewer, save the file, and read the answers back",
           "with zcnt form-data."});
    auto label = [&](long long y, const char* body) {
        d["texts"].push_back(text(p, kMargin, y, body, 100));
    };
    auto& e = d["elements"];
    label(2250, "Name");
    e.push_back(field(p, "Text", 2200, 2080, 2800, 240, "customer",
                      json::array({json::array({"put", "MappingName", "Customer"}),
                                   json::array({"put", "TextAttributes.FontSize", 110})})));
    label(2650, "Colour");
    json colour = choices({{"Blue", "B"}, {"Red", "R"}, {"Green", "G"}});
    colour.push_back(json::array({"put", "DefaultValue", "B"}));
    e.push_back(field(p, "Combo", 2200, 2480, 1800, 240, "colour", colour));
    label(3050, "Sizes");
    json sizes = choices({{"Small", "S"}, {"Medium", "M"}, {"Large", "L"}});
    sizes.push_back(json::array({"put", "MultiSelect", true}));
    e.push_back(field(p, "List", 2200, 2880, 1800, 700, "sizes", sizes));
    label(3850, "Gift wrap");
    e.push_back(field(p, "Check", 2200, 3680, 240, 240, "gift"));

    // The delivery section, framed by a group.
    e.push_back(field(p, "Group", kMargin - 120, 4250, 4600, 1500, "delivery",
                      json::array({json::array({"put", "Description", "Delivery"})})));
    label(4650, "Standard");
    e.push_back(field(p, "Radio", 2200, 4480, 240, 240, "speed",
                      json::array({json::array({"put", "DefaultValue", true})})));
    label(5050, "Express");
    e.push_back(field(p, "Radio", 2200, 4880, 240, 240, "speed"));
    label(5450, "Date");
    e.push_back(field(p, "DateTime", 2200, 5280, 1800, 240, "date"));

    e.push_back(field(p, "Button", kMargin, 6100, 1600, 320, "send",
                      json::array({json::array({"put", "Description", "Send the order"}),
                                   json::array({"put", "Export", false})})));
    e.push_back(footer(p));
}

}  // namespace

json demo_description(long long pages, const std::string& assets)
{
    json d;
    d["pages"] = json::array();
    d["texts"] = json::array();
    d["elements"] = json::array();
    for (long long p = 1; p <= pages; ++p) {
        d["pages"].push_back({{"resolution", 720}, {"width", kWidth}, {"height", kHeight}});
        switch ((p - 1) % 4) {
        case 0: review_page(d, p); break;
        case 1: layout_page(d, p, assets); break;
        case 2: signoff_page(d, p); break;
        default: order_page(d, p); break;
        }
    }
    return d;
}

namespace {

// Where the demo's pictures live: beside the saved document (which refers to them; a folder
// made for them goes again when the demo fails), or in a temporary folder that goes when the
// demo is done.
class asset_folder {
public:
    bool make(const demo_options& options, std::string* error)
    {
        namespace fs = std::filesystem;
        std::error_code ec;
        if (!options.save.empty()) {
            fs::path saved(options.save);
            path_ = fs::absolute(saved.parent_path() / (saved.stem().string() + "-files"), ec).string();
            if (ec) {
                *error = "cannot make " + path_ + ": " + ec.message();
                return false;
            }
            return made_.make(path_, error);
        }
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zcnt-demo-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            *error = "cannot make a temporary folder: " + std::string(std::strerror(errno));
            return false;
        }
        path_ = pattern;
        temporary_ = true;
        return true;
    }
    ~asset_folder()
    {
        std::error_code ec;
        if (temporary_) std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    void keep() { made_.keep(); }

private:
    made_folders made_;
    std::string path_;
    bool temporary_ = false;
};

}  // namespace

int run_demo(const demo_options& options, std::FILE* out, std::FILE* err)
{
    if (options.pages < 1 || options.pages > 100000) {
        std::fprintf(err, "zcnt: --pages must be between 1 and 100000\n");
        return 2;
    }
    if (options.output.empty()) {
        std::fprintf(err, "zcnt: -o needs a file name\n");
        return 2;
    }
    const std::string clash =
        clashing_output({{"-o", options.output}, {"--save", options.save}}, {});
    if (!clash.empty()) {
        std::fprintf(err, "zcnt: %s\n", clash.c_str());
        return 2;
    }
    asset_folder assets;
    std::string error;
    if (!assets.make(options, &error) || !write_product_photo(assets.path() + "/product.png", &error)) {
        std::fprintf(err, "zcnt: %s\n", error.c_str());
        return 2;
    }
    render_options sheet;
    sheet.pdf = assets.path() + "/datasheet.pdf";
    if (const int status = render_description(datasheet_description(), "demo data sheet", sheet, err))
        return status;
    render_options render;
    render.save = options.save;
    render.pdf = options.output;
    render.flatten = options.flatten;
    render.leave_at_exit = options.leave_at_exit;
    const int status =
        render_description(demo_description(options.pages, assets.path()), "demo", render, err);
    if (status == 0) {
        assets.keep();
        std::fprintf(out, "%s\n", options.output.c_str());
        if (!options.save.empty()) std::fprintf(out, "%s\n", options.save.c_str());
    }
    return status;
}

}  // namespace zcnt
