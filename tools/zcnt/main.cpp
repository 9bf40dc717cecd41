// zcnt: the ContentElements command-line tool. Parses the command line and runs one job.
#include <CLI/CLI.hpp>

#include <malloc.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/zcnt/annotate.h"
#include "tools/zcnt/demo.h"
#include "tools/zcnt/draw_field.h"
#include "tools/zcnt/form_data.h"
#include "tools/zcnt/inspect.h"
#include "tools/zcnt/measure.h"
#include "tools/zcnt/register.h"
#include "tools/zcnt/render.h"
#include "tools/zcnt/self_check.h"

namespace {

// CLI11's words said plainly: "Could not convert: page = x", "--save: 1 required TEXT
// missing", "The following argument was not expected: frob".
std::string plain_message(const CLI::App& app, const CLI::ParseError& e)
{
    const std::string message = e.what();
    const std::size_t colon = message.find(": ");
    const std::string before = message.substr(0, colon);
    const std::string after = colon == std::string::npos ? std::string() : message.substr(colon + 2);
    if (dynamic_cast<const CLI::ConversionError*>(&e) && before == "Could not convert") {
        const std::size_t equals = after.find(" = ");
        if (equals != std::string::npos)
            return after.substr(0, equals) + " must be a number, not \"" + after.substr(equals + 3) +
                   "\"";
    }
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) && after.rfind("At Most ", 0) == 0)
        return before + " is given more than once";
    if (dynamic_cast<const CLI::ValidationError*>(&e) && !after.empty()) return before + " " + after;
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) && message.find(" required ") != std::string::npos)
        return before + " needs a value";
    if (dynamic_cast<const CLI::ExtrasError*>(&e) && !after.empty()) {
        if (after.find(' ') != std::string::npos) {
            // Listed last first.
            std::string in_order, rest = after;
            for (std::size_t space; (space = rest.rfind(' ')) != std::string::npos; rest.resize(space))
                in_order += rest.substr(space + 1) + " ";
            return "unexpected arguments " + in_order + rest;
        }
        if (after.front() == '-') return "unknown option " + after;
        if (app.get_subcommands().empty()) return "unknown command \"" + after + "\"";
        return "unexpected argument \"" + after + "\"";
    }
    return message;
}

// A file given as "" (a variable a script left unset) is a mistake, not "no file".
const CLI::Validator file_name(
    [](std::string& value) { return value.empty() ? std::string("needs a file name") : std::string(); },
    "");

// A usage error is one line, as every other error, and points at the help of the command
// that was being read.
int usage_error(const CLI::App& app, const CLI::ParseError& e)
{
    std::string command = "zcnt";
    for (const CLI::App* sub : app.get_subcommands()) command += " " + sub->get_name();
    std::fprintf(stderr, "zcnt: %s (see %s --help)\n", plain_message(app, e).c_str(),
                 command.c_str());
    return 2;
}

// Output redirected to a full disk is a failure, not a short file and success.
int flushed(int status)
{
    if (status != 0 || (std::fflush(stdout) == 0 && !std::ferror(stdout))) return status;
    std::fprintf(stderr, "zcnt: cannot write the standard output: %s\n", std::strerror(errno));
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    // The PDF writer deflates every stream; with glibc's defaults each deflate state is a fresh
    // mapping that is unmapped again, which costs more than the compression itself.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);

    CLI::App app{"zcnt: ContentElements, PDF content elements for a print-content engine", "zcnt"};
    app.set_version_flag("--version", std::string("zcnt ") + ZCNT_VERSION);
    app.require_subcommand(0, 1);

    bool quiet = false;
    auto* self_check = app.add_subcommand(
        "self-check", "create objects through the class table, save and reload them");
    self_check->add_flag("-q,--quiet", quiet, "print only the verdict");

    zcnt::render_options render;
    render.leave_at_exit = true;  // the process ends once the command has run
    auto* render_cmd = app.add_subcommand(
        "render", "build a document from a JSON description, driving every element by name");
    render_cmd->add_option("document", render.input,
                           "the JSON description, or a .pjd document to go on with")
        ->required()
        ->check(file_name);
    render_cmd->add_option("changes", render.changes,
                           "with a .pjd document: JSON elements to add, or {\"element\": N, \"calls\"} "
                           "to call its N-th element")
        ->check(file_name);
    render_cmd->add_option("--save", render.save, "write the document as a .pjd file")
        ->check(file_name);
    render_cmd->add_option("-o,--output", render.pdf, "write the pages as a PDF file")
        ->check(file_name);
    render_cmd->add_option("--report", render.report,
                           "write a JSON report of the elements, host objects and hits")
        ->check(file_name);
    render_cmd->add_flag("--keep-going", render.keep_going,
                         "warn about pictures and documents that cannot be used, and go on");
    render_cmd->add_flag("--flatten", render.flatten,
                         "draw notes, stamps and text marks into the page instead of as "
                         "annotations, and print page-break markers");
    render_cmd->add_flag("-v,--verbose", render.verbose,
                         "say whether the classes come from the registry or the built-in table");

    zcnt::demo_options demo;
    demo.leave_at_exit = true;
    auto* demo_cmd = app.add_subcommand(
        "demo", "write a showcase of every element kind as a PDF file and print its path");
    demo_cmd->add_option("-o,--output", demo.output, "the PDF file (demo.pdf)")->check(file_name);
    demo_cmd->add_option("--save", demo.save, "also write the document as a .pjd file")
        ->check(file_name);
    demo_cmd->add_option("--pages", demo.pages, "repeat the showcase pages to this many (4)");
    demo_cmd->add_flag("--flatten", demo.flatten, "as render --flatten");

    std::string pjd;
    bool as_json = false;
    auto* inspect = app.add_subcommand("inspect", "list the pages, objects and elements of a .pjd file");
    inspect->add_option("document", pjd, "the .pjd file")->check(file_name)->required();
    inspect->add_flag("--json", as_json, "print JSON");

    long long page = 1, x = 0, y = 0, hit_width = 0;
    auto* hit = app.add_subcommand("hit", "find the element under a point of a page of a .pjd file");
    hit->add_option("document", pjd, "the .pjd file")->check(file_name)->required();
    hit->add_option("page", page, "page number, from 1")->required();
    hit->add_option("x", x, "x in page units")->required();
    hit->add_option("y", y, "y in page units")->required();
    hit->add_option("--hit-width", hit_width, "width of a stationery element's border band");

    zcnt::draw_field_options field;
    auto* draw_field = app.add_subcommand(
        "draw-field", "write a form field's design-time picture of a .pjd file as a PNG file");
    draw_field->add_option("document", field.document, "the .pjd file")
        ->check(file_name)->required();
    draw_field->add_option("name", field.name, "the field's Name (f1, f2 … for unnamed ones)")
        ->required();
    draw_field->add_option("-o,--output", field.output, "the PNG file")
        ->check(file_name)->required();
    draw_field->add_option("--scale", field.scale_text,
                           "the picture at 96 dpi times this (1), above 0 and at most 16");

    std::string filled;
    auto* form_data = app.add_subcommand(
        "form-data", "print the answers of a filled-in PDF form as JSON");
    form_data->add_option("pdf", filled, "the filled-in PDF file")->check(file_name)->required();
    zcnt::annotate_options annotate;
    auto* annotate_cmd = app.add_subcommand(
        "annotate", "lay elements and marks over the pages of an existing PDF file");
    annotate_cmd->add_option("pdf", annotate.input, "the PDF file to annotate (only read)")
        ->check(file_name)->required();
    annotate_cmd->add_option("document", annotate.description,
                             "JSON elements as for render, without \"pages\"")
        ->check(file_name);
    annotate_cmd->add_option("-o,--output", annotate.output, "the annotated PDF file")
        ->check(file_name)->required();
    annotate_cmd->add_option("--save", annotate.save, "also write the document as a .pjd file")
        ->check(file_name);
    annotate_cmd->add_option("--highlight", annotate.highlight, "highlight every occurrence of a phrase");
    annotate_cmd->add_option("--underline", annotate.underline, "underline every occurrence of a phrase");
    annotate_cmd->add_option("--strike", annotate.strike, "strike out every occurrence of a phrase");
    annotate_cmd->add_option("--resolution", annotate.resolution, "page units per inch (720)");
    annotate_cmd->add_flag("--keep-going", annotate.keep_going,
                           "warn about pictures and documents that cannot be used, and go on");
    annotate_cmd->add_flag("--flatten", annotate.flatten, "as render --flatten");

    zcnt::measure_options measure;
    auto* measure_cmd = app.add_subcommand(
        "measure", "show the font file, metrics and text extent the elements would measure");
    measure_cmd->add_option("face", measure.face, "face name, as an element gives it")->required();
    measure_cmd->add_option("size", measure.size_tenths, "size in tenths of a point")->required();
    measure_cmd->add_option("text", measure.text, "the text to measure")->required();
    measure_cmd->add_option("--resolution", measure.resolution, "page units per inch (720)");

    zcnt::registry_commands registry_cmds(app);

    // Without a command: the usage, as for any other usage error.
    if (argc <= 1) {
        std::fputs(app.help().c_str(), stderr);
        return 2;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end the parse too, with success.
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return flushed(app.exit(e));
        return usage_error(app, e);
    }

    return flushed([&] {
        if (registry_cmds.parsed()) return registry_cmds.run(stdout, stderr);
        if (render_cmd->parsed()) return zcnt::run_render(render, stdout, stderr);
        if (demo_cmd->parsed()) return zcnt::run_demo(demo, stdout, stderr);
        if (annotate_cmd->parsed()) return zcnt::run_annotate(annotate, stdout, stderr);
        if (measure_cmd->parsed()) return zcnt::run_measure(measure, stdout, stderr);
        if (inspect->parsed()) return zcnt::run_inspect(pjd, as_json, stdout, stderr);
        if (draw_field->parsed()) return zcnt::run_draw_field(field, stderr);
        if (form_data->parsed()) return zcnt::run_form_data(filled, stdout, stderr);
        if (hit->parsed()) return zcnt::run_hit(pjd, page, x, y, hit_width, stdout, stderr);
        if (self_check->parsed()) return zcnt::run_self_check(stdout, quiet) ? 0 : 1;
        std::fputs(app.help().c_str(), stderr);
        return 2;
    }());
}
