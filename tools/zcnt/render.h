// zcnt render doc.json [--save out.pjd] [--report report.json] [-o out.pdf]
#pragma once

#include <cstdio>
#include <string>

#include <nlohmann/json.hpp>

#include "tools/zcnt/render_run.h"

namespace zcnt {

// 0 when the whole document succeeded, 2 for bad input (one line on `err`), 1 otherwise. The
// paths written go to `out`, one a line.
int run_render(const render_options& options, std::FILE* out, std::FILE* err);
// The same for a description already read as JSON; `name` names it in messages, and `text`,
// the JSON as written when there is one, gives the place of a key it does not know.
int render_description(nlohmann::json input, const std::string& name,
                       const render_options& options, std::FILE* err,
                       std::string text = {});

}  // namespace zcnt
