// zcnt inspect doc.pjd [--json] and zcnt hit doc.pjd PAGE X Y [--hit-width W]
#pragma once

#include <cstdio>
#include <string>

namespace zcnt {

int run_inspect(const std::string& path, bool as_json, std::FILE* out, std::FILE* err);
int run_hit(const std::string& path, long long page, long long x, long long y,
            long long hit_width, std::FILE* out, std::FILE* err);

}  // namespace zcnt
