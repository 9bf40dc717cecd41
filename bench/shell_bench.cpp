// Speed of the shell services on the sizes the QR configuration lookup meets: a value read from
// a 200-key INI file, and a wildcard search over a 1000-file folder.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/shell/find_file.h"
#include "platform/shell/path_map.h"
#include "platform/shell/profile.h"

namespace {

// A scratch folder made with mkdtemp and removed with its contents at the end.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "zcnt-bench-XXXXXX").string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    const std::string& path() const { return path_; }
    std::string windows(const std::string& name) const
    {
        return shell::windows_path_from_native(path_) + "\\" + name;
    }

private:
    std::string path_;
};

void BM_GetPrivateProfileString_200Keys(benchmark::State& state)
{
    ScratchFolder folder;
    {
        std::ofstream ini(folder.path() + "/settings.ini");
        ini << "[other]\nx=1\n[qrcode]\n";
        for (int i = 0; i < 200; ++i) ini << "key" << i << " = value number " << i << "\r\n";
    }
    // Old enough for the parsed file to be cached, as a settled configuration file is.
    const auto settled = std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
    std::filesystem::last_write_time(folder.path() + "/settings.ini", settled);
    const std::string file = folder.windows("settings.ini");
    char value[256];
    for (auto _ : state) {
        const DWORD n = GetPrivateProfileStringA("QRCODE", "Key150", "", value, sizeof value,
                                                 file.c_str());
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_GetPrivateProfileString_200Keys);

void BM_FindFirstFile_1000Files(benchmark::State& state)
{
    ScratchFolder folder;
    for (int i = 0; i < 1000; ++i)
        std::ofstream(folder.path() + "/config" + std::to_string(i) + (i % 2 ? ".ini" : ".pjd"));
    const std::string pattern = folder.windows("*.INI");
    std::size_t found = 0;
    for (auto _ : state) {
        WIN32_FIND_DATAA data;
        HANDLE search = FindFirstFileA(pattern.c_str(), &data);
        if (search == INVALID_HANDLE_VALUE) {
            state.SkipWithError("search failed");
            break;
        }
        found = 1;
        while (FindNextFileA(search, &data)) ++found;
        FindClose(search);
    }
    state.counters["matches"] = static_cast<double>(found);
}
BENCHMARK(BM_FindFirstFile_1000Files);

}  // namespace
