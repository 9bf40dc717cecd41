// zcnt: the ContentElements command-line tool. Parses the command line and runs one job.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "tools/zcnt/self_check.h"

int main(int argc, char** argv)
{
    CLI::App app{"zcnt: ContentElements, PDF content elements for a print-content engine"};
    app.set_version_flag("--version", std::string("zcnt ") + ZCNT_VERSION);
    app.require_subcommand(0, 1);

    bool quiet = false;
    auto* self_check = app.add_subcommand(
        "self-check", "create objects through the class table and drive them by name");
    self_check->add_flag("-q,--quiet", quiet, "print only the verdict");

    CLI11_PARSE(app, argc, argv);

    if (self_check->parsed() || app.get_subcommands().empty())
        return zcnt::run_self_check(quiet ? nullptr : stdout) ? 0 : 1;
    return 0;
}
