// zcnt render: a JSON description of pages and elements becomes a document. The JSON is read
// into a plain description first (description_parse.cpp), which render_run.cpp then runs.
#include "tools/zcnt/render.h"

#include <cstdio>
#include <string>

#include "tools/zcnt/description_parse.h"
#include "tools/zcnt/files.h"

namespace zcnt {

int render_description(const nlohmann::json& input, const std::string& name,
                       const render_options& options, std::FILE* err)
{
    description parsed;
    try {
        parsed = parse_description(input);
    } catch (const std::exception& e) {
        std::fprintf(err, "zcnt: %s: %s\n", name.c_str(), e.what());
        return 1;
    }
    return run_description(parsed, name, options, err);
}

int run_render(const render_options& options, std::FILE* err)
{
    std::string text, error;
    if (!read_file(options.input, &text, &error)) {
        std::fprintf(err, "zcnt render: %s\n", error.c_str());
        return 2;
    }
    nlohmann::json input = nlohmann::json::parse(text, nullptr, false);
    if (input.is_discarded()) {
        std::fprintf(err, "zcnt render: %s: not valid JSON\n", options.input.c_str());
        return 2;
    }
    return render_description(input, options.input, options, err);
}

}  // namespace zcnt
