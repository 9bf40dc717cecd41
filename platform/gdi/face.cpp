// Face lookup: a LOGFONTA's face name mapped to an installed family, fontconfig or the
// process's private fonts choosing the file, and the process-wide caches of loaded faces,
// resolved names and sized fonts.
#include "platform/gdi/face.h"

#include <fontconfig/fontconfig.h>
#include <unistd.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/com/codepage.h"
#include "platform/com/regular_file.h"

namespace gdi {
namespace {

std::string lower(std::string s)
{
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string ansi_to_utf8(const std::string& ansi)
{
    const std::u16string wide = com::from_ansi(ansi);
    if (wide.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

// Everything below runs under one lock: FreeType faces and fontconfig's configuration are not
// safe to share between threads, and the caches hang off the same state.
struct Registry {
    std::mutex lock;
    FT_Library library = nullptr;
    bool fontconfig_ready = false;
    std::map<std::pair<std::string, int>, std::unique_ptr<Face>> faces;
    std::map<std::tuple<std::string, LONG, bool>, const Face*> resolved;
    std::map<std::pair<const Face*, UINT>, std::shared_ptr<const SizedFont>> sizes;
    std::vector<const Face*> private_faces;  // AddFontResourceExA, searched before fontconfig

    ~Registry()
    {
        sizes.clear();
        faces.clear();
        if (library != nullptr) FT_Done_FreeType(library);
    }
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

bool ensure_libraries(Registry& r)
{
    if (r.library == nullptr && FT_Init_FreeType(&r.library) != 0) {
        r.library = nullptr;
        return false;
    }
    if (!r.fontconfig_ready) r.fontconfig_ready = FcInit() == FcTrue;
    return r.fontconfig_ready;
}

const Face* face_for_file(Registry& r, const std::string& path, int index)
{
    const auto key = std::make_pair(path, index);
    if (auto it = r.faces.find(key); it != r.faces.end()) return it->second.get();
    auto face = load_face(r.library, path, index);
    if (!face) return nullptr;
    const Face* result = face.get();
    r.faces.emplace(key, std::move(face));
    return result;
}

bool family_matches(FcPattern* pattern, const std::string& wanted_utf8)
{
    const std::string wanted = lower(wanted_utf8);
    FcChar8* value = nullptr;
    for (int i = 0; FcPatternGetString(pattern, FC_FAMILY, i, &value) == FcResultMatch; ++i) {
        if (lower(reinterpret_cast<const char*>(value)) == wanted) return true;
    }
    return false;
}

// Asks fontconfig for `family`; with `exact`, a result of another family counts as no match.
const Face* match(Registry& r, const std::string& family_utf8, LONG weight, bool italic,
                  bool exact)
{
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return nullptr;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family_utf8.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight <= 0 ? FW_NORMAL : weight));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (found == nullptr) return nullptr;

    const Face* face = nullptr;
    FcChar8* file = nullptr;
    int index = 0;
    if ((!exact || family_matches(found, family_utf8)) &&
        FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch) {
        FcPatternGetInteger(found, FC_INDEX, 0, &index);
        face = face_for_file(r, reinterpret_cast<const char*>(file), index);
    }
    FcPatternDestroy(found);
    return face;
}

// The registered private face of `family` nearest the requested weight and slant.
const Face* match_private(const Registry& r, const std::string& family_ansi, LONG weight,
                          bool italic)
{
    const std::string wanted = lower(family_ansi);
    const bool bold = weight > 550;
    const Face* best = nullptr;
    int best_score = 0;
    for (const Face* face : r.private_faces) {
        if (lower(face->family) != wanted) continue;
        const int score = (face->bold == bold ? 2 : 0) + (face->italic == italic ? 1 : 0) + 1;
        if (score > best_score) {
            best = face;
            best_score = score;
        }
    }
    return best;
}

constexpr const char* fallback_family = "Liberation Sans";

}  // namespace

std::string substitute_family(const std::string& name) noexcept
{
    static const std::pair<const char*, const char*> table[] = {
        {"", "DejaVu Sans"},
        {"arial", "Liberation Sans"},
        {"helvetica", "Liberation Sans"},
        {"arial narrow", "Liberation Sans Narrow"},
        {"times new roman", "Liberation Serif"},
        {"times", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
        {"courier", "Liberation Mono"},
        {"tahoma", "DejaVu Sans"},
        {"ms sans serif", "DejaVu Sans"},
        {"ms shell dlg", "DejaVu Sans"},
        {"ms shell dlg 2", "DejaVu Sans"},
        {"microsoft sans serif", "DejaVu Sans"},
        {"system", "DejaVu Sans"},
    };
    const std::string key = lower(name);
    for (const auto& [from, to] : table) {
        if (key == from) return to;
    }
    return name;
}

const Face* resolve_face(const LOGFONTA& logfont) noexcept
{
    try {
        std::size_t length = 0;
        while (length < LF_FACESIZE && logfont.lfFaceName[length] != '\0') ++length;
        const std::string requested(logfont.lfFaceName, length);
        const LONG weight = logfont.lfWeight;
        const bool italic = logfont.lfItalic != 0;

        Registry& r = registry();
        std::lock_guard guard(r.lock);
        const auto key = std::make_tuple(lower(requested), weight, italic);
        if (auto it = r.resolved.find(key); it != r.resolved.end()) return it->second;
        if (!ensure_libraries(r)) return nullptr;

        const std::string substituted = substitute_family(requested);
        const std::string family = ansi_to_utf8(substituted);
        const Face* face = match_private(r, substituted, weight, italic);
        if (face == nullptr) face = match(r, family, weight, italic, true);
        if (face == nullptr) face = match(r, fallback_family, weight, italic, true);
        if (face == nullptr) face = match(r, family, weight, italic, false);
        if (face != nullptr) r.resolved.emplace(key, face);
        return face;
    } catch (...) {
        return nullptr;
    }
}

int register_private_font(const char* path) noexcept
{
    if (path == nullptr || *path == '\0') return 0;
    // FreeType would wait on a FIFO for ever: only a regular file is a font file.
    if (const int fd = com::open_regular_file(path); fd < 0)
        return 0;
    else
        ::close(fd);
    try {
        Registry& r = registry();
        std::lock_guard guard(r.lock);
        if (!ensure_libraries(r)) return 0;
        FT_Face probe = nullptr;
        if (FT_New_Face(r.library, path, -1, &probe) != 0) return 0;
        const int count = static_cast<int>(probe->num_faces);
        FT_Done_Face(probe);
        // The faces stay with this process, as FR_PRIVATE fonts do on Windows; fontconfig's
        // own configuration is left alone.
        int added = 0;
        for (int i = 0; i < count; ++i) {
            const Face* face = face_for_file(r, path, i);
            if (face == nullptr) continue;
            if (std::find(r.private_faces.begin(), r.private_faces.end(), face) ==
                r.private_faces.end()) {
                r.private_faces.push_back(face);
            }
            ++added;
        }
        // Earlier misses may now resolve to the new family.
        if (added > 0) r.resolved.clear();
        return added;
    } catch (...) {
        return 0;
    }
}

std::shared_ptr<const SizedFont> sized_font(const Face& face, UINT ppem) noexcept
{
    try {
        Registry& r = registry();
        std::lock_guard guard(r.lock);
        const auto key = std::make_pair(&face, ppem);
        if (auto it = r.sizes.find(key); it != r.sizes.end()) return it->second;
        // A program cycling through sizes must not grow the cache without bound; callers hold
        // their own references, so dropping everything is safe.
        if (r.sizes.size() >= 4096) r.sizes.clear();
        auto sized = std::make_shared<const SizedFont>(face, ppem);
        r.sizes.emplace(key, sized);
        return sized;
    } catch (...) {
        return nullptr;
    }
}

}  // namespace gdi
