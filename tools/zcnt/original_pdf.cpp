// Keeping and finding the original of an annotated document.
#include "tools/zcnt/original_pdf.h"

#include <filesystem>
#include <system_error>

#include "host/io/content_key.h"

namespace zcnt {
namespace fs = std::filesystem;

bool keep_original(const std::string& pdf, const std::string& save, host::document* doc,
                   output_files* outputs, std::string* error)
{
    const std::string key = host::file_content_key(pdf);
    if (key.empty()) {
        *error = "cannot read " + pdf + " to keep it with " + save;
        return false;
    }
    // The key ends in ":hash"; the hash alone names the copy.
    const fs::path saved(save);
    const std::string folder = saved.stem().string() + "-files";
    const std::string name = folder + "/original-" + key.substr(key.rfind(':') + 1) + ".pdf";
    const fs::path target = saved.parent_path() / name;
    if (FAILED(doc->set_original({name, key}))) {
        *error = "out of memory";
        return false;
    }
    // A copy there already (the document saved again beside it) is kept as it is.
    if (host::file_content_key(target.string()) == key) return true;
    std::string bytes;
    return outputs->make_folder(target.parent_path().string(), error) &&
           read_file(pdf, &bytes, error) && outputs->add(target.string(), bytes, error);
}

bool find_original(const std::string& pjd, const host::document& doc, std::string* path,
                   std::string* error)
{
    const host::document::original_pdf original = doc.original();
    path->clear();
    if (original.file.empty()) return true;
    const std::string at = (fs::path(pjd).parent_path() / original.file).string();
    const std::string key = host::file_content_key(at);
    if (key.empty()) {
        *error = pjd + " lies over " + at + ", which cannot be read";
        return false;
    }
    if (key != original.key) {
        *error = at + " is not the PDF " + pjd + " was saved over: it changed since";
        return false;
    }
    *path = at;
    return true;
}

}  // namespace zcnt
