// Fuzz target: arbitrary bytes as a PDF file whose first page is placed on a page of ours,
// which is then written as a PDF, compressed or not as the input's length says. Opening may
// fail with a result code and a message; a file that opened writes to a PDF that qpdf reads
// back without a warning, with one page, whatever objects the placed page dragged along.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "contentelements/zprint_objects.h"
#include "contentelements/zprint_page.h"
#include "fuzz/pdf_read_back.h"
#include "host/engine.h"
#include "host/output/pdf/pdf_writer.h"
#include "module/class_map.h"
#include "platform/com/com.h"

namespace {

void check(bool condition, const char* what)
{
    if (condition) return;
    std::fprintf(stderr, "placed PDF invariant broken: %s\n", what);
    std::abort();
}

template <typename I>
com::ComPtr<I> as(IUnknown* object)
{
    com::ComPtr<I> out;
    if (object) object->QueryInterface(I::iid, out.put_void());
    return out;
}

// The placed PDF is opened from a file, as a user's is: one in memory (/dev/shm) where there is
// one, since truncating a disk file for every input took a tenth of the run.
const std::string& input_path()
{
    static const std::string path = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/zcnt_pdf_place_fuzzer." + std::to_string(::getpid()) + ".pdf";
    return path;
}

void remove_input()
{
    ::unlink(input_path().c_str());
}

// The file stays open and is rewritten in place with the system calls: making, opening and
// removing it for every input cost more than the input's bytes do.
bool write_input(const std::uint8_t* data, std::size_t size)
{
    static const int fd = [] {
        const int made = ::open(input_path().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (made >= 0) std::atexit(remove_input);
        return made;
    }();
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) return false;
    for (std::size_t done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = SUCCEEDED(cnt::module::register_classes());
    if (!registered) std::abort();
    if (!write_input(data, size)) return 0;
    // The document comes first: making one registers the engine's classes.
    host::document doc;
    check(SUCCEEDED(doc.add_page(600, 400, 72)), "no page");
    com::ComPtr<IZPdfDocument> pdf;
    if (FAILED(CoCreateInstance(CLSID_ZPdfDocument, nullptr, 0x17, IZPdfDocument::iid,
                                pdf.put_void())))
        std::abort();
    const std::string path = input_path();
    com::Bstr file(std::u16string(path.begin(), path.end())), password(u"");
    if (FAILED(pdf->Open(file.get(), 0, password.get()))) return 0;

    com::ComPtr<IDispatch> d;
    doc.page_objects(1, d.put());
    auto objects = as<IZPageObjectList>(d.get());
    d.reset();
    doc.resources(1, d.put());
    auto resources = as<IZResourceList>(d.get());
    check(objects && resources, "no lists");
    LONG id = 0;
    resources->AddObject(pdf.get());
    resources->Add(*com::Variant::from_unknown(pdf.get()).get(), &id);
    com::ComPtr<IZPlacedPdfPage> placed;
    if (FAILED(CoCreateInstance(CLSID_ZPlacedPdfPage, nullptr, 0x17, IZPlacedPdfPage::iid,
                                placed.put_void())))
        std::abort();
    placed->putref_Document(pdf.get());
    placed->put_PageNumber(1);
    placed->SetPosition(50, 50, 500, 300);
    auto element = as<IZElement>(placed.get());
    check(static_cast<bool>(element), "placed page is no element");
    objects->AddElement(element.get());
    objects->Add(*com::Variant::from_unknown(element.get()).get(), &id);

    // One write an input: the input's length picks compressed or plain streams, so that the
    // mutations, which keep changing it, try both ways for every shape of placed page.
    host::pdf::write_options options;
    options.compress = size % 2 == 0;
    std::string bytes, message;
    const HRESULT hr = host::pdf::write_pdf_bytes(doc.model(), options, &bytes, nullptr, &message);
    if (FAILED(hr)) {
        check(!message.empty(), "failure without a message");
        check(bytes.empty(), "failure left output");
    } else if (std::string why; !reads_back_whole(bytes, 1, &why)) {
        std::fprintf(stderr, "%s\n", why.c_str());
        check(false, "the written file does not read back cleanly");
    }
    return 0;
}

#ifdef ZCNT_FUZZ_REPLAY_MAIN
#include "fuzz/replay_main.h"
#endif
