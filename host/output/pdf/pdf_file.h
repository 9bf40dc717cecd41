// A PDF file opened for placing its pages elsewhere: qpdf parses it (it is untrusted input), and
// the page sizes are read once. Sizes are in points, of the page's trim box (falling back to the
// crop box and the media box) turned by the page's /Rotate.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/com/types.h"

namespace host::pdf {

struct opened_pdf;  // opened_pdf.h
class opened_pdfs;

class pdf_file {
public:
    pdf_file() noexcept;
    ~pdf_file();
    pdf_file(const pdf_file&) = delete;
    pdf_file& operator=(const pdf_file&) = delete;

    // STG_E_FILENOTFOUND for a file that cannot be read, E_INVALIDARG for one that is not a
    // PDF or is damaged beyond repair, E_ACCESSDENIED for a wrong password; `message` names it.
    // With a `cache`, bytes another pdf_file of the same cache opened with the same password
    // are not parsed again: the two share what qpdf made of them.
    HRESULT open(const std::string& path, const std::string& password, std::string* message,
                 opened_pdfs* cache = nullptr) noexcept;
    void close() noexcept;

    bool is_open() const noexcept { return pdf_ != nullptr; }
    LONG page_count() const noexcept { return static_cast<LONG>(sizes_.size()); }
    // False for a number outside 1..page_count().
    bool page_size(LONG number, double* width, double* height) const noexcept;
    const std::string& path() const noexcept { return path_; }
    // What tells the bytes opened apart from others (host/io/content_key.h): taken when the file
    // was opened, so that a file changed on disk since is not taken for what was read then.
    // Empty when the bytes could not be hashed.
    const std::string& content_key() const noexcept { return content_key_; }

    // For the PDF writer, which copies pages out of it; null when not open. Shared, so that a
    // write goes on with what it read from though the file is closed or opened again meanwhile.
    const std::shared_ptr<opened_pdf>& opened() const noexcept { return pdf_; }

    struct size {
        double width, height;
    };

private:
    std::shared_ptr<opened_pdf> pdf_;
    std::vector<size> sizes_;
    std::string path_;
    std::string content_key_;
};

// The files opened through it, by content key and password. Weak: the pdf_files that opened a
// file own what qpdf made of it; the cache only finds it while one of them is open.
class opened_pdfs {
public:
    struct file {
        std::weak_ptr<opened_pdf> pdf;
        std::vector<pdf_file::size> sizes;
    };
    // The entry of the bytes with `key` opened with `password`, made empty when there is none.
    // Entries of files no longer open are dropped now and then, so that a document opening many
    // files one after another does not keep each one's page sizes.
    file& entry(const std::string& key, const std::string& password);

private:
    std::map<std::pair<std::string, std::string>, file> files_;
    std::size_t sweep_at_ = 16;
};

}  // namespace host::pdf
