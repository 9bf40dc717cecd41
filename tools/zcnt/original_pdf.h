// The PDF an annotated document lies over, kept with its .pjd: a copy in "<stem>-files/" beside
// the .pjd, named by its content, which the .pjd names with its content key, so that a later run
// writes the document over the very pages it was made for.
#pragma once

#include <string>

#include "host/engine.h"
#include "tools/zcnt/files.h"

namespace zcnt {

// Records in `doc` the copy of `pdf` that goes beside `save`, and adds that copy to `outputs`
// unless the file there holds it already.
bool keep_original(const std::string& pdf, const std::string& save, host::document* doc,
                   output_files* outputs, std::string* error);

// The path of the PDF the document loaded from `pjd` lies over, checked against its content
// key; empty when the document lies over none.
bool find_original(const std::string& pjd, const host::document& doc, std::string* path,
                   std::string* error);

}  // namespace zcnt
