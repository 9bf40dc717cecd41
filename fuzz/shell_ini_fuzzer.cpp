// Fuzz target: arbitrary bytes as an INI file, read back the way the profile functions read it.
//
// Every section name, key list, value and section listing is requested at several buffer sizes;
// results must stay inside the buffer (guard characters after it must survive), counts must be
// below the size, and the text must be NUL-terminated where the count says. Build with
// -DZCNT_FUZZ_REPLAY_MAIN to replay files without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/shell/profile_data.h"

namespace {

constexpr DWORD sizes[] = {1, 2, 3, 4, 7, 16, 300};
constexpr char16_t kGuard = 0xBEEF;

void check(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "profile invariant broken: %s\n", what);
    std::abort();
}

// Runs one query into a guarded buffer and checks what came back.
template <typename Query>
void guarded(DWORD size, Query query)
{
    std::vector<char16_t> buffer(size + 8, kGuard);
    const DWORD count = query(buffer.data(), size);
    for (DWORD i = size; i < size + 8; ++i) check(buffer[i] == kGuard, "write past the buffer");
    check(count < size || (size == 0 && count == 0), "count not below the size");
    check(buffer[count] == u'\0', "result not terminated");
}

std::vector<std::u16string> split_list(const std::u16string& list)
{
    std::vector<std::u16string> items;
    std::size_t at = 0;
    while (at < list.size() && list[at]) {
        const std::size_t end = list.find(u'\0', at);
        items.push_back(list.substr(at, end - at));
        at = end + 1;
    }
    return items;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const shell::profile_data profile =
        shell::parse_profile(std::string_view(reinterpret_cast<const char*>(data), size));

    std::u16string names(4096, u'\0');
    shell::profile_string(profile, nullptr, nullptr, u"", names.data(), 4096);
    for (DWORD s : sizes)
        guarded(s, [&](char16_t* b, DWORD n) {
            return shell::profile_string(profile, nullptr, nullptr, u"", b, n);
        });

    for (const std::u16string& section : split_list(names)) {
        std::u16string keys(4096, u'\0');
        shell::profile_string(profile, section.c_str(), nullptr, u"none", keys.data(), 4096);
        for (DWORD s : sizes) {
            guarded(s, [&](char16_t* b, DWORD n) {
                return shell::profile_string(profile, section.c_str(), nullptr, u"d ", b, n);
            });
            guarded(s, [&](char16_t* b, DWORD n) {
                return shell::profile_section_lines(profile, section.c_str(), b, n);
            });
        }
        for (const std::u16string& key : split_list(keys)) {
            for (DWORD s : sizes)
                guarded(s, [&](char16_t* b, DWORD n) {
                    return shell::profile_string(profile, section.c_str(), key.c_str(), u"'q'", b, n);
                });
            char16_t value[30];
            shell::profile_string(profile, section.c_str(), key.c_str(), u"", value, 30);
            shell::profile_integer(value);
        }
    }
    return 0;
}

#ifdef ZCNT_FUZZ_REPLAY_MAIN
#include "fuzz/replay_main.h"
#endif
