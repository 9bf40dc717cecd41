// Opening a PDF file with qpdf, every failure caught and named.
#include "host/output/pdf/pdf_file.h"
#include "host/output/pdf/opened_pdf.h"
#include "host/output/pdf/pdf_names.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>

#include <qpdf/Buffer.hh>
#include <qpdf/BufferInputSource.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include "host/io/content_key.h"
#include "platform/com/regular_file.h"

namespace host::pdf {
namespace {

// Files up to this size are read whole before qpdf parses them: its file source seeks and
// reads again for every line it scans, which for a damaged file (its cross-references rebuilt
// by scanning) is a pair of system calls a line. Larger files are parsed from the file.
constexpr long kReadWholeUpTo = 16L << 20;

// The bytes of `file` as qpdf's input, or null when it is large or cannot be read at once (the
// caller then lets qpdf read the file itself); `key` gets the bytes' content key.
std::shared_ptr<InputSource> read_small(const std::string& path, std::FILE* file, std::string* key)
{
    if (std::fseek(file, 0, SEEK_END) != 0) return nullptr;
    const long size = std::ftell(file);
    if (size < 0 || size > kReadWholeUpTo || std::fseek(file, 0, SEEK_SET) != 0) return nullptr;
    try {
        auto buffer = std::make_unique<Buffer>(static_cast<std::size_t>(size));
        const std::size_t n =
            size == 0 ? 0 : std::fread(buffer->getBuffer(), 1, buffer->getSize(), file);
        if (n != buffer->getSize() || std::fgetc(file) != EOF) return nullptr;
        *key = file_bytes_key(buffer->getBuffer(), buffer->getSize());
        auto source = std::make_shared<BufferInputSource>(path, buffer.get(), true);
        buffer.release();
        return source;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

opened_pdfs::file& opened_pdfs::entry(const std::string& key, const std::string& password)
{
    if (files_.size() >= sweep_at_) {
        for (auto it = files_.begin(); it != files_.end();)
            it = it->second.pdf.expired() ? files_.erase(it) : std::next(it);
        sweep_at_ = std::max<std::size_t>(16, 2 * files_.size());
    }
    return files_[{key, password}];
}

pdf_file::pdf_file() noexcept = default;
pdf_file::~pdf_file() = default;

void pdf_file::close() noexcept
{
    pdf_.reset();
    sizes_.clear();
    content_key_.clear();
}

HRESULT pdf_file::open(const std::string& path, const std::string& password,
                       std::string* message, opened_pdfs* cache) noexcept
{
    close();
    auto fail = [&](HRESULT hr, const std::string& text) {
        if (message) {
            try {
                *message = text;
            } catch (...) {
            }
        }
        close();
        return hr;
    };
    try {
        path_ = path;
        // Opened here rather than by qpdf, so that a FIFO is refused instead of waited on.
        // Held until qpdf takes it over, so that no failure on the way leaves it open.
        com::file_ptr file(com::fopen_regular_file(path.c_str()));
        if (file == nullptr) {
            const int error = errno;
            return fail(STG_E_FILENOTFOUND,
                        "cannot open " + path + ": " + com::open_failure(error));
        }
        const char* const secret = password.empty() ? nullptr : password.c_str();
        std::string key;
        std::shared_ptr<InputSource> bytes = read_small(path, file.get(), &key);
        // Hashed through the file opened, not by its path, which may name another by now.
        if (!bytes) key = file_content_key(path, file.get());
        auto* known = cache && !key.empty() ? &cache->entry(key, password) : nullptr;
        if (known) {
            if (std::shared_ptr<opened_pdf> same = known->pdf.lock()) {
                pdf_ = std::move(same);
                sizes_ = known->sizes;
                content_key_ = std::move(key);
                return S_OK;
            }
        }
        auto opened = std::make_shared<opened_pdf>();
        QPDF& pdf = opened->pdf;
        pdf.setSuppressWarnings(true);
        pdf.setAttemptRecovery(true);
        if (bytes) {
            file.reset();
            pdf.processInputSource(bytes, secret);
        } else {
            std::rewind(file.get());
            pdf.processFile(path.c_str(), file.release(), true, secret);
        }
        std::vector<size> sizes;
        for (QPDFPageObjectHelper& page : QPDFPageDocumentHelper(pdf).getAllPages()) {
            QPDFObjectHandle box = page.getTrimBox();
            if (!box.isRectangle()) return fail(E_INVALIDARG, "damaged PDF file " + path + ": a page has no size");
            QPDFObjectHandle::Rectangle r = box.getArrayAsRectangle();
            double w = std::fabs(r.urx - r.llx), h = std::fabs(r.ury - r.lly);
            QPDFObjectHandle rotate = page.getAttribute(name::Rotate, false);
            if (rotate.isInteger()) {
                const long long turns = ((rotate.getIntValue() / 90) % 4 + 4) % 4;
                if (turns % 2) std::swap(w, h);
            }
            if (!std::isfinite(w) || !std::isfinite(h))
                return fail(E_INVALIDARG, "damaged PDF file " + path + ": a page size is not a number");
            sizes.push_back({w, h});
        }
        if (known) *known = {opened, sizes};
        pdf_ = std::move(opened);
        sizes_ = std::move(sizes);
        content_key_ = std::move(key);
        return S_OK;
    } catch (const QPDFExc& e) {
        if (e.getErrorCode() == qpdf_e_password)
            return fail(E_ACCESSDENIED, "PDF file " + path + " needs a password");
        return fail(E_INVALIDARG, std::string("damaged PDF file: ") + e.what());
    } catch (const std::bad_alloc&) {
        return fail(E_OUTOFMEMORY, "out of memory opening " + path);
    } catch (const std::exception& e) {
        return fail(E_INVALIDARG, std::string("damaged PDF file ") + path + ": " + e.what());
    }
}

bool pdf_file::page_size(LONG number, double* width, double* height) const noexcept
{
    if (number < 1 || number > page_count()) return false;
    const size& s = sizes_[static_cast<std::size_t>(number - 1)];
    if (width) *width = s.width;
    if (height) *height = s.height;
    return true;
}

}  // namespace host::pdf
