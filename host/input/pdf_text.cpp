// Words and page sizes of an existing PDF through poppler's C++ library.
#include "host/input/pdf_text.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>

#include <poppler/cpp/poppler-document.h>
#include <poppler/cpp/poppler-global.h>
#include <poppler/cpp/poppler-page.h>

#include "platform/com/regular_file.h"

namespace host::input {
namespace {

// poppler reports what it repairs on stderr unless told otherwise.
void quiet(const std::string&, void*) {}

std::u16string text_of(const poppler::ustring& s)
{
    return std::u16string(s.begin(), s.end());
}

}  // namespace

HRESULT read_pdf_text(const std::string& path, std::vector<pdf_page_text>* pages,
                      std::string* message, bool with_words) noexcept
{
    if (!pages || !message) return E_POINTER;
    pages->clear();
    try {
        // Opened by us first, so that a FIFO or a folder is refused instead of waited on.
        std::FILE* file = com::fopen_regular_file(path.c_str());
        if (!file) {
            const int error = errno;
            *message = "cannot open " + path + ": " + com::open_failure(error);
            return STG_E_FILENOTFOUND;
        }
        std::fclose(file);
        poppler::set_debug_error_function(quiet, nullptr);
        std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(path));
        if (!doc) {
            *message = path + " is not a PDF file poppler can read";
            return E_INVALIDARG;
        }
        if (doc->is_locked()) {
            *message = path + " is locked with a password";
            return E_ACCESSDENIED;
        }
        const int count = doc->pages();
        if (count <= 0) {
            *message = path + " has no pages";
            return E_INVALIDARG;
        }
        pages->reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            std::unique_ptr<poppler::page> p(doc->create_page(i));
            pdf_page_text out;
            if (p) {
                const poppler::rectf box = p->page_rect(poppler::crop_box);
                switch (p->orientation()) {
                case poppler::page::landscape: out.rotation = 90; break;
                case poppler::page::upside_down: out.rotation = 180; break;
                case poppler::page::seascape: out.rotation = 270; break;
                default: out.rotation = 0; break;
                }
                const bool turned = out.rotation == 90 || out.rotation == 270;
                out.width = turned ? box.height() : box.width();
                out.height = turned ? box.width() : box.height();
                if (with_words) {
                    for (const poppler::text_box& t : p->text_list()) {
                        const poppler::rectf b = t.bbox();
                        out.words.push_back(
                            {text_of(t.text()), b.left(), b.top(), b.right(), b.bottom()});
                    }
                }
            }
            pages->push_back(std::move(out));
        }
    } catch (const std::bad_alloc&) {
        pages->clear();
        *message = "out of memory while reading " + path;
        return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        pages->clear();
        *message = path + " cannot be read: " + e.what();
        return E_INVALIDARG;
    }
    return S_OK;
}

}  // namespace host::input
