// What the engine benchmarks share: the library's classes in the process's class table for the
// length of a benchmark, and an element created by class id or ProgID and attached to a page
// the way the engine attaches it.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "host/engine.h"
#include "module/class_map.h"
#include "platform/com/com.h"

namespace bench_support {

struct registered {
    registered() { cnt::module::register_classes(); }
    ~registered() { cnt::module::revoke_classes(); }
};

// The resident high-water mark, in KiB, reset to the present size first when asked.
inline double resident_peak_kib(bool reset)
{
    if (reset) std::ofstream("/proc/self/clear_refs") << "5";
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6);
    return 0;
}

// A new folder under the system's temporary one, removed with everything in it; path() is empty
// when it could not be made.
class temp_folder {
public:
    explicit temp_folder(const char* prefix)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~temp_folder()
    {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    temp_folder(const temp_folder&) = delete;
    temp_folder& operator=(const temp_folder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// A new element of `clsid`, attached to page `page` of `doc`; null when it cannot be made.
template <typename I>
com::ComPtr<I> attached(const host::document& doc, REFCLSID clsid, LONG page = 1)
{
    com::ComPtr<I> element;
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, I::iid, element.put_void());
    if (!element || FAILED(doc.attach(page, element.get()))) return {};
    return element;
}

template <typename I>
com::ComPtr<I> attached(const host::document& doc, const char16_t* progid, LONG page = 1)
{
    CLSID clsid{};
    CLSIDFromProgID(progid, &clsid);
    return attached<I>(doc, clsid, page);
}

// A line of Arial the host places itself through page `page`'s lists, as any caller would;
// `size` in page units, `colour` 0x00BBGGRR.
inline void host_text(const host::document& doc, LONG page, LONG x, LONG y,
                      const std::u16string& text, LONG size = 100, OLE_COLOR colour = 0)
{
    com::ComPtr<IDispatch> o, r, made_font, made_text;
    doc.page_objects(page, o.put());
    doc.resources(page, r.put());
    com::ComPtr<IZPageObjectList> objects;
    com::ComPtr<IZResourceList> resources;
    o->QueryInterface(IZPageObjectList::iid, objects.put_void());
    r->QueryInterface(IZResourceList::iid, resources.put_void());
    resources->Create(zeKindFont, made_font.put());
    objects->Create(zeKindTextObject, made_text.put());
    com::ComPtr<IZFont> font;
    com::ComPtr<IZTextObject> line;
    made_font->QueryInterface(IZFont::iid, font.put_void());
    made_text->QueryInterface(IZTextObject::iid, line.put_void());
    com::Bstr face(u"Arial"), body(text);
    font->put_FaceName(face.get());
    font->put_Size(size);
    line->put_Text(body.get());
    line->put_X(x);
    line->put_Y(y);
    line->putref_Font(font.get());
    line->put_Color(colour);
    VARIANT v{};
    v.vt = VT_UNKNOWN;
    LONG id = 0;
    v.punkVal = font.get();
    resources->Add(v, &id);
    v.punkVal = line.get();
    objects->Add(v, &id);
}

}  // namespace bench_support
