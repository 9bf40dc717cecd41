// Two processes changing the registry at the same moment: the lock and the whole-file
// replacement must keep every key both of them created.
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/registry/registry_fixture.h"

namespace {

using namespace registry_test;

using ConcurrentWriters = RegistryFile;

constexpr int keys_each = 100;

// The child's exit status: 0 when it created all its keys.
int create_keys(int process, int start_signal)
{
    char go = 0;
    if (read(start_signal, &go, 1) < 0) return 2;
    for (int i = 0; i < keys_each; ++i) {
        const std::string name = "Race\\P" + std::to_string(process) + "_" + std::to_string(i);
        const std::u16string wide(name.begin(), name.end());
        if (RegistryFile::create(wide.c_str(), u"value") != ok) return 1;
    }
    return 0;
}

TEST_F(ConcurrentWriters, TwoProcessesLoseNoKey)
{
    ASSERT_EQ(ok, create(u"Race"));
    int start[2];
    ASSERT_EQ(0, pipe(start));
    pid_t children[2];
    for (int p = 0; p < 2; ++p) {
        children[p] = fork();
        ASSERT_GE(children[p], 0);
        if (children[p] == 0) {
            close(start[1]);
            _exit(create_keys(p, start[0]));
        }
    }
    close(start[0]);
    close(start[1]);  // both children start as the pipe closes

    for (pid_t child : children) {
        int exit_status = -1;
        ASSERT_EQ(child, waitpid(child, &exit_status, 0));
        EXPECT_TRUE(WIFEXITED(exit_status) && WEXITSTATUS(exit_status) == 0);
    }

    HKEY race = nullptr;
    ASSERT_EQ(ok, RegOpenKeyExW(HKEY_CLASSES_ROOT, u"Race", 0, KEY_READ, &race));
    DWORD count = 0;
    for (;; ++count) {
        char16_t name[64];
        DWORD size = 64;
        if (RegEnumKeyExW(race, count, name, &size, nullptr, nullptr, nullptr, nullptr) != ok)
            break;
    }
    RegCloseKey(race);
    EXPECT_EQ(2u * keys_each, count);
    EXPECT_EQ(u"value", read_string(u"Race\\P0_99"));
    EXPECT_EQ(u"value", read_string(u"Race\\P1_0"));
}

}  // namespace
