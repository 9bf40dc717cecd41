// Runs the PDF tools directly (posix_spawnp, no shell) and parses what they print.
#include "tests/pdf/pdf_probe.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

extern char** environ;

namespace pdf_probe {

namespace {

struct fd_guard {
    int fd = -1;
    ~fd_guard() { reset(); }
    void reset()
    {
        if (fd >= 0) ::close(fd);
        fd = -1;
    }
};

// The children print numbers we parse, so their decimal point must not depend
// on the caller's locale.
std::vector<std::string> child_environment()
{
    std::vector<std::string> env;
    for (char** e = environ; e && *e; ++e) {
        if (std::strncmp(*e, "LC_ALL=", 7) != 0) env.emplace_back(*e);
    }
    env.emplace_back("LC_ALL=C");
    return env;
}

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string slice(const std::string& s, std::size_t from, std::size_t to)
{
    if (from >= s.size() || to <= from) return {};
    return trim(s.substr(from, to - from));
}

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
    if (argv.empty()) {
        result.err = "run: empty argument list";
        return result;
    }

    int out_pipe[2], err_pipe[2];
    if (::pipe2(out_pipe, O_CLOEXEC) != 0) {
        result.err = std::string("pipe: ") + std::strerror(errno);
        return result;
    }
    fd_guard out_read{out_pipe[0]}, out_write{out_pipe[1]};
    if (::pipe2(err_pipe, O_CLOEXEC) != 0) {
        result.err = std::string("pipe: ") + std::strerror(errno);
        return result;
    }
    fd_guard err_read{err_pipe[0]}, err_write{err_pipe[1]};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out_write.fd, 1);
    posix_spawn_file_actions_adddup2(&actions, err_write.fd, 2);

    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    auto env_strings = child_environment();
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
    // Our copies of the write ends must go, or the reads below never see EOF.
    out_write.reset();
    err_write.reset();

    // Both pipes are drained together so a child filling one cannot stall on it.
    pollfd fds[2] = {{out_read.fd, POLLIN, 0}, {err_read.fd, POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open_count = 2;
    char buffer[65536];
    while (open_count > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                sinks[i]->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                fds[i].fd = -1;  // poll ignores negative descriptors
                --open_count;
            }
        }
    }

    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0) {
        if (errno != EINTR) return result;
    }
    if (WIFEXITED(wstatus))
        result.status = WEXITSTATUS(wstatus);
    else if (WIFSIGNALED(wstatus))
        result.status = 128 + WTERMSIG(wstatus);
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

std::vector<font_row> parse_fonts(const std::string& pdffonts_output)
{
    std::vector<font_row> rows;
    const auto lines = lines_of(pdffonts_output);

    std::size_t i = 0;
    for (; i < lines.size(); ++i) {
        const auto& l = lines[i];
        if (!l.empty() && l[0] == '-' && l.find_first_not_of("- ") == std::string::npos) break;
    }
    if (i == lines.size()) return rows;

    // Each run of dashes is one column: name, type, encoding, emb, sub, uni, object ID.
    std::vector<std::size_t> starts;
    const auto& dashes = lines[i];
    for (std::size_t p = 0; p < dashes.size(); ++p) {
        if (dashes[p] == '-' && (p == 0 || dashes[p - 1] == ' ')) starts.push_back(p);
    }
    if (starts.size() < 6) return rows;

    for (++i; i < lines.size(); ++i) {
        const auto& line = lines[i];
        if (trim(line).empty()) continue;

        std::vector<std::pair<std::size_t, std::string>> tokens;
        for (std::size_t p = 0; p < line.size();) {
            if (line[p] == ' ') {
                ++p;
                continue;
            }
            const auto end = std::min(line.find(' ', p), line.size());
            tokens.emplace_back(p, line.substr(p, end - p));
            p = end;
        }
        // The object ID is "num gen", or "[none]" for fonts without one.
        const std::size_t tail = !tokens.empty() && tokens.back().second == "[none]" ? 4 : 5;
        if (tokens.size() < tail + 2) continue;
        const std::size_t emb_index = tokens.size() - tail;
        const std::size_t emb_pos = tokens[emb_index].first;

        // A name wider than its column pushes the rest of the row right; the
        // name is the only field long enough to do so.
        const std::size_t shift = emb_pos > starts[3] ? emb_pos - starts[3] : 0;
        font_row row;
        row.name = slice(line, 0, starts[1] + shift);
        row.type = slice(line, starts[1] + shift, starts[2] + shift);
        row.encoding = slice(line, starts[2] + shift, emb_pos);
        row.embedded = tokens[emb_index].second == "yes";
        row.subset = tokens[emb_index + 1].second == "yes";
        row.unicode = tokens[emb_index + 2].second == "yes";
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<font_row> fonts(const std::string& pdf)
{
    const auto r = run({"pdffonts", pdf});
    if (r.status != 0) return {};
    return parse_fonts(r.out);
}

int page_count(const std::string& pdf)
{
    const auto r = run({"pdfinfo", pdf});
    if (r.status != 0) return -1;
    for (const auto& line : lines_of(r.out)) {
        int n = 0;
        if (std::sscanf(line.c_str(), "Pages: %d", &n) == 1) return n;
    }
    return -1;
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

std::array<int, 3> raster::at(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    const auto i = (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) * 3;
    if (i + 2 >= rgb.size()) return {-1, -1, -1};
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool parse_ppm(const std::string& bytes, raster* out)
{
    std::size_t p = 0;
    auto is_space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; };
    // Header fields are separated by whitespace, and a comment runs to the end of its line.
    auto next_token = [&]() -> std::string {
        while (p < bytes.size()) {
            if (is_space(bytes[p])) {
                ++p;
            } else if (bytes[p] == '#') {
                while (p < bytes.size() && bytes[p] != '\n') ++p;
            } else {
                break;
            }
        }
        const auto start = p;
        while (p < bytes.size() && !is_space(bytes[p]) && bytes[p] != '#') ++p;
        return bytes.substr(start, p - start);
    };
    auto number = [](const std::string& s) -> long {
        if (s.empty() || s.size() > 9 || s.find_first_not_of("0123456789") != std::string::npos) return -1;
        return std::strtol(s.c_str(), nullptr, 10);
    };

    if (next_token() != "P6") return false;
    const long w = number(next_token());
    const long h = number(next_token());
    const long maxval = number(next_token());
    if (w <= 0 || h <= 0 || maxval != 255) return false;
    // Exactly one whitespace byte separates the header from the samples.
    if (p >= bytes.size() || !is_space(bytes[p])) return false;
    ++p;
    const auto size = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3;
    if (bytes.size() - p < size) return false;

    out->width = static_cast<int>(w);
    out->height = static_cast<int>(h);
    out->rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(p),
                    bytes.begin() + static_cast<std::ptrdiff_t>(p + size));
    return true;
}

bool render(const std::string& pdf, int page, int dpi, raster* out)
{
    scoped_dir dir;
    if (dir.path().empty()) return false;
    const auto prefix = dir.file("page");
    const auto p = std::to_string(page);
    const auto r = run({"pdftoppm", "-r", std::to_string(dpi), "-f", p, "-l", p, "-singlefile", pdf, prefix});
    if (r.status != 0) return false;
    std::ifstream in(prefix + ".ppm", std::ios::binary);
    if (!in) return false;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parse_ppm(bytes, out);
}

std::string temp_dir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/pdf_probe.XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!::mkdtemp(buffer.data())) return {};
    return std::string(buffer.data());
}

scoped_dir::scoped_dir() : path_(temp_dir()) {}

scoped_dir::~scoped_dir()
{
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace pdf_probe
