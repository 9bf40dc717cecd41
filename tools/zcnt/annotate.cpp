// zcnt annotate: the input's pages and words read once, the description given its pages, each
// phrase found on every page and marked by a text mark element, then the run as render runs it.
#include "tools/zcnt/annotate.h"

#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/input/pdf_text.h"
#include "tools/zcnt/dispatch_call.h"
#include "tools/zcnt/files.h"
#include "tools/zcnt/json_input.h"
#include "tools/zcnt/render.h"

namespace zcnt {
namespace {

using nlohmann::json;

// The words of a phrase, split at white space, as UTF-16.
std::vector<std::u16string> words_of(const std::string& phrase)
{
    std::vector<std::u16string> out;
    std::u16string current;
    const std::u16string text = utf16_of(phrase);
    for (char16_t c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (!current.empty()) out.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) out.push_back(std::move(current));
    return out;
}

bool is_punctuation(char16_t c)
{
    return std::u16string_view(u".,;:!?\"'()[]{}\u2018\u2019\u201C\u201D\u00AB\u00BB\u2013\u2014").find(c) !=
           std::u16string_view::npos;
}

// A word of the page read as a word of the phrase: at the phrase's ends the page's word may
// carry punctuation the phrase leaves out ("revenue." for "revenue", "(net" for "net").
bool reads_as(std::u16string_view word, const std::u16string& wanted, bool first, bool last)
{
    if (word == wanted) return true;
    while (first && !word.empty() && is_punctuation(word.front())) word.remove_prefix(1);
    while (last && !word.empty() && is_punctuation(word.back())) word.remove_suffix(1);
    return word == wanted;
}

// A text mark over every run of the page's words that reads as the phrase; how many were made.
std::size_t mark_phrase(json& elements, const std::vector<host::input::pdf_page_text>& pages,
                        const std::string& phrase, int style, long long colour)
{
    const std::vector<std::u16string> wanted = words_of(phrase);
    if (wanted.empty()) return 0;
    std::size_t made = 0;
    for (std::size_t p = 0; p < pages.size(); ++p) {
        const auto& words = pages[p].words;
        for (std::size_t i = 0; i + wanted.size() <= words.size(); ++i) {
            bool same = true;
            for (std::size_t k = 0; k < wanted.size() && same; ++k)
                same = reads_as(words[i + k].text, wanted[k], k == 0, k + 1 == wanted.size());
            if (!same) continue;
            const long long page = static_cast<long long>(p + 1);
            elements.push_back(
                {{"page", page},
                 {"class", "Orvane.ZCntElementTextMark.1"},
                 {"calls", json::array({json::array(
                               {"MarkText", json{{"view", page}},
                                json{{"words", json::array({page, static_cast<long long>(i + 1),
                                                            static_cast<long long>(wanted.size())})}},
                                style, colour})})}});
            ++made;
            i += wanted.size() - 1;
        }
    }
    return made;
}

// Whether a value of the description refers to a page's words: {"find": …}, {"words": …} or
// {"view": …} anywhere in it. Walked with a stack of its own: a description may nest deeper
// than the thread's stack would take.
bool refers_to_words(const json& description)
{
    std::vector<const json*> open{&description};
    while (!open.empty()) {
        const json& j = *open.back();
        open.pop_back();
        if (j.is_object()) {
            for (auto it = j.begin(); it != j.end(); ++it) {
                if (it.key() == "find" || it.key() == "words" || it.key() == "view") return true;
                open.push_back(&it.value());
            }
        } else if (j.is_array()) {
            for (const json& v : j) open.push_back(&v);
        }
    }
    return false;
}

bool has_words(const std::vector<host::input::pdf_page_text>& pages)
{
    for (const auto& p : pages)
        if (!p.words.empty()) return true;
    return false;
}

}  // namespace

int run_annotate(const annotate_options& options, std::FILE* out, std::FILE* err)
{
    auto usage_error = [&](const std::string& text) {
        std::fprintf(err, "zcnt: %s\n", text.c_str());
        return 2;
    };
    if (options.output.empty()) return usage_error("annotate needs -o FILE for the annotated PDF");
    if (options.resolution < 72 || options.resolution > 7200)
        return usage_error("--resolution must be between 72 and 7200");
    const std::string clash = clashing_output({{"-o", options.output}, {"--save", options.save}},
                                              {options.input, options.description});
    if (!clash.empty()) return usage_error(clash);
    for (const auto* phrases : {&options.highlight, &options.underline, &options.strike})
        for (const std::string& phrase : *phrases)
            if (words_of(phrase).empty())
                return usage_error("\"" + phrase + "\" has no words to mark");

    json input = json::object();
    std::string text;
    if (!options.description.empty()) {
        std::string error, where, cause;
        if (!read_file(options.description, &text, &error)) return usage_error(error);
        if (!parse_json_text(text, &input, &where, &cause))
            return usage_error(options.description + ":" + where + ": not valid JSON: " + cause);
        if (!input.is_object())
            return usage_error(options.description + ": not a valid JSON object");
        if (input.contains("pages"))
            return usage_error(options.description + ": annotate takes its pages from " +
                               options.input + "; leave out \"pages\"");
    }
    // Words are read only where something uses them: a phrase to mark, a reference to a page's
    // words or view, or a saved document, which keeps them for whoever edits it next.
    const bool with_words = !options.highlight.empty() || !options.underline.empty() ||
                            !options.strike.empty() || !options.save.empty() ||
                            refers_to_words(input);
    std::vector<host::input::pdf_page_text> pages;
    std::string message;
    if (FAILED(host::input::read_pdf_text(options.input, &pages, &message, with_words)))
        return usage_error(message);
    input["pages"] = json::array();
    for (const host::input::pdf_page_text& p : pages)
        input["pages"].push_back({{"resolution", options.resolution},
                                  {"width", static_cast<long long>(p.width * options.resolution / 72)},
                                  {"height", static_cast<long long>(p.height * options.resolution / 72)}});
    if (!input.contains("elements")) input["elements"] = json::array();
    struct marking {
        const std::vector<std::string>& phrases;
        int style;
        long long colour;  // 0x00BBGGRR
    } markings[] = {{options.highlight, 0, 0x00FFFF}, {options.underline, 1, 0x1C1CC8},
                    {options.strike, 2, 0x1C1CC8}};
    for (const marking& m : markings)
        for (const std::string& phrase : m.phrases)
            if (mark_phrase(input["elements"], pages, phrase, m.style, m.colour) == 0)
                return usage_error("\"" + phrase + "\" is not in " + options.input +
                                   (has_words(pages) ? std::string()
                                                     : ", which has no text to find it in (a scan?)"));

    render_options render;
    render.pdf = options.output;
    render.save = options.save;
    render.keep_going = options.keep_going;
    render.flatten = options.flatten;
    render.base_pdf = options.input;
    render.base_pages = &pages;
    const std::string name = options.description.empty() ? options.input : options.description;
    // The description's own keys keep their places: the pages and the marks come after them.
    // Both are given up: the run frees them once read.
    const int status = render_description(std::move(input), name, render, err, std::move(text));
    if (status == 0) {
        std::fprintf(out, "%s\n", options.output.c_str());
        if (!options.save.empty()) std::fprintf(out, "%s\n", options.save.c_str());
    }
    return status;
}

}  // namespace zcnt
