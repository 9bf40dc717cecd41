// zcnt render: a JSON description of pages and elements becomes a document. The JSON is read
// into a plain description first (description_parse.cpp), which render_run.cpp then runs.
#include "tools/zcnt/render.h"

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "module/class_map.h"
#include "tools/zcnt/description_parse.h"
#include "tools/zcnt/files.h"
#include "tools/zcnt/json_input.h"
#include "tools/zcnt/original_pdf.h"
#include "tools/zcnt/saved_document.h"

namespace zcnt {
namespace {

// `text` is the JSON as written, to find a fault's place in, or empty. Both are taken: once
// read into the description they are freed, before the run makes the document.
int render_json(nlohmann::json input, std::string text, const std::string& name,
                const render_options& options, std::FILE* err)
{
    auto parsed = std::make_unique<description>();
    try {
        *parsed = parse_description(std::move(input));
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

bool is_saved_document(const std::string& bytes)
{
    static constexpr char signature[] = "ZPJD\r\n\x1A\n";
    return bytes.compare(0, sizeof signature - 1, signature) == 0;
}

// A saved document run again: its pages are the description's, whose elements (from the
// changes, when there are any) are added to those it has or call them by number; the output
// lies over the PDF it lies over.
int render_saved(const std::string& bytes, const render_options& options, std::FILE* err)
{
    auto fail = [&](const std::string& text) {
        cnt::module::revoke_classes();
        std::fprintf(err, "zcnt: %s\n", text.c_str());
        return 2;
    };
    // The document's elements are made again by class id; the run revokes the classes.
    if (FAILED(cnt::module::register_classes())) return fail("the library's classes cannot be registered");
    host::document loaded;
    std::string message, error, text, where, cause;
    if (FAILED(host::document::load_bytes(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(),
                                          &loaded, &message)))
        return fail(options.input + ": " + message);
    render_options run = options;
    if (!find_original(options.input, loaded, &run.base_pdf, &error)) return fail(error);
    nlohmann::json input = nlohmann::json::object();
    if (!options.changes.empty()) {
        if (!read_file(options.changes, &text, &error)) return fail(error);
        if (!parse_json_text(text, &input, &where, &cause))
            return fail(options.changes + ":" + where + ": not valid JSON: " + cause);
        if (!input.is_object()) return fail(options.changes + ": not a valid JSON object");
        if (input.contains("pages"))
            return fail(options.changes + ": the pages are " + options.input + "'s; leave out \"pages\"");
    }
    input["pages"] = page_sizes(loaded);
    run.loaded = &loaded;
    return render_json(std::move(input), std::move(text),
                       options.changes.empty() ? options.input : options.changes, run, err);
}

}  // namespace

int render_description(nlohmann::json input, const std::string& name,
                       const render_options& options, std::FILE* err, std::string text)
{
    return render_json(std::move(input), std::move(text), name, options, err);
}

int run_render(const render_options& options, std::FILE* out, std::FILE* err)
{
    std::string text, error;
    if (!read_file(options.input, &text, &error)) {
        std::fprintf(err, "zcnt: %s\n", error.c_str());
        return 2;
    }
    // A .pjd may be saved over itself; nothing else is written over an input or twice.
    const bool saved = is_saved_document(text);
    std::string clash = clashing_output(
        {{"-o", options.pdf}, {"--report", options.report}, {"--save", options.save}},
        {options.changes, saved ? std::string() : options.input});
    if (clash.empty() && saved)
        clash = clashing_output({{"-o", options.pdf}, {"--report", options.report}}, {options.input});
    if (!clash.empty()) {
        std::fprintf(err, "zcnt: %s\n", clash.c_str());
        return 2;
    }
    int status = 0;
    nlohmann::json input;
    std::string where, cause;
    if (saved) {
        status = render_saved(text, options, err);
    } else if (!options.changes.empty()) {
        std::fprintf(err, "zcnt: %s: changes go with a saved .pjd document, not a description\n",
                     options.changes.c_str());
        return 2;
    } else if (text.compare(0, 5, "%PDF-") == 0) {
        // A user who has a PDF to mark wants annotate, which render's JSON error would not say.
        std::fprintf(err,
                     "zcnt: %s: a PDF file, not a description or a .pjd document "
                     "(zcnt annotate places elements on a PDF)\n",
                     options.input.c_str());
        return 2;
    } else if (!parse_json_text(text, &input, &where, &cause)) {
        std::fprintf(err, "zcnt: %s:%s: not valid JSON: %s\n", options.input.c_str(), where.c_str(),
                     cause.c_str());
        return 2;
    } else {
        status = render_json(std::move(input), std::move(text), options.input, options, err);
    }
    // What was written, as the demo tells it.
    if (status == 0)
        for (const std::string* path : {&options.pdf, &options.save, &options.report})
            if (!path->empty()) std::fprintf(out, "%s\n", path->c_str());
    return status;
}

}  // namespace zcnt
