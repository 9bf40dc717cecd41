// The file an element shows, when it is missing; see named_files.h.
#include "tools/zcnt/named_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "contentelements/cnt_image.h"
#include "elements/qrcode/qr_source.h"
#include "host/io/files.h"
#include "platform/com/raii.h"
#include "tools/zcnt/dispatch_call.h"

namespace zcnt {

void note_missing_file(IDispatch* element, std::vector<host::unusable_file>* files)
{
    com::ComPtr<IZCntElementImage> image;
    if (!element || FAILED(element->QueryInterface(IZCntElementImage::iid, image.put_void())) ||
        !image)
        return;
    com::Bstr shown;
    if (FAILED(image->get_ImageFile(shown.put()))) return;
    const std::u16string_view file = shown.view();
    if (file.empty() || cnt::qrcode::is_qr_source(file)) return;
    struct stat st {};
    // A file that is there reached the engine, which noted whatever it could not use of it.
    if (::stat(host::native_path(file).c_str(), &st) == 0) return;
    const std::string cause = std::strerror(errno);
    const std::string name = utf8_of(file);
    for (const host::unusable_file& f : *files)
        if (f.file == name) return;
    files->push_back({name, cause});
}

}  // namespace zcnt
