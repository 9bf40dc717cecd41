// Runs the PDF tools directly (posix_spawnp, no shell) and parses what they print and draw.
#include "tests/pdf/pdf_probe.h"

#include <fcntl.h>
#include <png.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <sstream>
#include <utility>

extern char** environ;

namespace pdf_probe {

namespace {

std::vector<std::string> lines_of(const std::string& s)
{
    std::vector<std::string> lines;
    std::istringstream in(s);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

run_result run(const std::vector<std::string>& argv)
{
    run_result result;
    scoped_dir dir;
    if (argv.empty() || dir.path().empty()) {
        result.err = "run: no arguments or no folder for the output";
        return result;
    }
    // The output goes to files, so that a child printing much never stalls on a full pipe.
    const std::string out = dir.file("out"), err = dir.file("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    // The children print numbers we parse, so their decimal point must not depend on the
    // caller's locale.
    std::vector<std::string> env_strings{"LC_ALL=C"};
    for (char** e = environ; e && *e; ++e)
        if (std::strncmp(*e, "LC_ALL=", 7) != 0) env_strings.emplace_back(*e);
    std::vector<char*> env;
    for (auto& e : env_strings) env.push_back(e.data());
    env.push_back(nullptr);

    pid_t pid = -1;
    const int spawn_error = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawn_error != 0) {
        result.status = 127;
        result.err = argv[0] + ": " + std::strerror(spawn_error);
        return result;
    }
    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0) {
        if (errno != EINTR) return result;
    }
    if (WIFEXITED(wstatus))
        result.status = WEXITSTATUS(wstatus);
    else if (WIFSIGNALED(wstatus))
        result.status = 128 + WTERMSIG(wstatus);
    result.out = read_all(out);
    result.err = read_all(err);
    return result;
}

bool qpdf_check(const std::string& pdf, std::string* output)
{
    const auto r = run({"qpdf", "--check", pdf});
    const std::string all = r.out + r.err;
    if (output) *output = all;
    return r.status == 0 && all.find("WARNING") == std::string::npos;
}

std::string text(const std::string& pdf, int page)
{
    std::vector<std::string> argv{"pdftotext", "-enc", "UTF-8"};
    if (page > 0) {
        const auto p = std::to_string(page);
        argv.insert(argv.end(), {"-f", p, "-l", p});
    }
    argv.insert(argv.end(), {pdf, "-"});
    auto r = run(argv);
    return r.status == 0 ? std::move(r.out) : std::string();
}

std::vector<font_row> fonts(const std::string& pdf)
{
    // Below the dashes a row a font: its name, its type (words), encoding, emb, sub, uni, and the
    // object number and generation, or "[none]".
    std::vector<font_row> rows;
    const auto r = run({"pdffonts", pdf});
    bool below_dashes = false;
    for (const auto& line : lines_of(r.status == 0 ? r.out : std::string())) {
        std::istringstream in(line);
        const std::vector<std::string> w{std::istream_iterator<std::string>(in), {}};
        if (!below_dashes) {
            below_dashes = !w.empty() && w[0].rfind("---", 0) == 0;
            continue;
        }
        const std::size_t id_words = !w.empty() && w.back() == "[none]" ? 1 : 2;
        if (w.size() < id_words + 6) continue;
        const std::size_t emb = w.size() - id_words - 3;
        font_row row{w[0], w[1], w[emb - 1], w[emb] == "yes", w[emb + 1] == "yes", w[emb + 2] == "yes"};
        for (std::size_t i = 2; i + 1 < emb; ++i) row.type += " " + w[i];
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<page_info> page_sizes(const std::string& pdf)
{
    std::vector<page_info> sizes;
    const auto r = run({"pdfinfo", "-f", "1", "-l", "9999", pdf});
    if (r.status != 0) return sizes;
    for (const auto& line : lines_of(r.out)) {
        int number = 0;
        page_info info;
        if (std::sscanf(line.c_str(), "Page %d size: %lf x %lf", &number, &info.width, &info.height) == 3)
            sizes.push_back(info);
    }
    return sizes;
}

::testing::AssertionResult colour_at(const raster& r, int x, int y, rgb want, int tolerance)
{
    const rgb got = r.at(x, y);
    for (int i = 0; i < 3; ++i) {
        if (std::abs(got[i] - want[i]) > tolerance)
            return ::testing::AssertionFailure()
                   << "pixel (" << x << ", " << y << ") is (" << got[0] << ", " << got[1] << ", "
                   << got[2] << "), expected (" << want[0] << ", " << want[1] << ", " << want[2]
                   << ") within " << tolerance;
    }
    return ::testing::AssertionSuccess();
}

int inked(const raster& r, int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const rgb p = r.at(x, y);
            if (p[0] < 200 || p[1] < 200 || p[2] < 200) ++n;
        }
    return n;
}

std::string hand_pdf(const std::vector<std::string>& objects)
{
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    const std::string size = std::to_string(objects.size() + 1);
    pdf += "xref\n0 " + size + "\n0000000000 65535 f \n";
    for (auto off : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", off);
        pdf += entry;
    }
    return pdf + "trailer\n<< /Size " + size + " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) +
           "\n%%EOF\n";
}

std::array<int, 3> raster::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    const auto i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    if (i + 2 >= rgb.size()) return {-1, -1, -1};
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool render(const std::string& pdf, int page, int dpi, raster* out, renderer with)
{
    scoped_dir dir;
    if (dir.path().empty()) return false;
    const auto prefix = dir.file("page");
    const auto p = std::to_string(page);
    const auto r = with == renderer::mupdf
                       ? run({"mutool", "draw", "-r", std::to_string(dpi), "-o", prefix + ".png", pdf, p})
                       : run({"pdftoppm", "-png", "-r", std::to_string(dpi), "-f", p, "-l", p,
                              "-singlefile", pdf, prefix});
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (r.status != 0 || !png_image_begin_read_from_file(&png, (prefix + ".png").c_str())) return false;
    png.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, rgb.data(), 0, nullptr)) return false;
    out->width = static_cast<int>(png.width);
    out->height = static_cast<int>(png.height);
    out->rgb = std::move(rgb);
    return true;
}

}  // namespace pdf_probe
