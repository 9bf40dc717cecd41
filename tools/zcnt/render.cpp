// zcnt render: a JSON description of pages and elements becomes a document. The JSON is read
// into a plain description first (description_parse.cpp), which render_run.cpp then runs.
#include "tools/zcnt/render.h"

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "tools/zcnt/description_parse.h"
#include "tools/zcnt/files.h"
#include "tools/zcnt/json_input.h"

namespace zcnt {
namespace {

// `text` is the JSON as written, to find a fault's place in, or empty. Both are taken: once
// read into the description they are freed, before the run makes the document.
int render_json(nlohmann::json input, std::string text, const std::string& name,
                const render_options& options, std::FILE* err)
{
    auto parsed = std::make_unique<description>();
    try {
        *parsed = parse_description(input);
    } catch (const std::exception& e) {
        std::fprintf(err, "zcnt: %s: %s\n", name.c_str(), e.what());
        return 1;
    }
    if (!parsed->fault_key.empty()) parsed->fault_location = key_line_column(text, parsed->fault_key);
    nlohmann::json().swap(input);
    std::string().swap(text);
    const int status = run_description(*parsed, name, options, err);
    if (options.leave_at_exit) keep_until_exit(std::move(parsed));
    return status;
}

}  // namespace

int render_description(nlohmann::json input, const std::string& name,
                       const render_options& options, std::FILE* err, const std::string& text)
{
    return render_json(std::move(input), text, name, options, err);
}

int run_render(const render_options& options, std::FILE* out, std::FILE* err)
{
    std::string text, error;
    if (!read_file(options.input, &text, &error)) {
        std::fprintf(err, "zcnt: %s\n", error.c_str());
        return 2;
    }
    nlohmann::json input;
    std::string where, cause;
    if (!parse_json_text(text, &input, &where, &cause)) {
        std::fprintf(err, "zcnt: %s:%s: not valid JSON: %s\n", options.input.c_str(), where.c_str(),
                     cause.c_str());
        return 2;
    }
    const int status = render_json(std::move(input), std::move(text), options.input, options, err);
    // What was written, as the demo tells it.
    if (status == 0)
        for (const std::string* path : {&options.pdf, &options.save, &options.report})
            if (!path->empty()) std::fprintf(out, "%s\n", path->c_str());
    return status;
}

}  // namespace zcnt
