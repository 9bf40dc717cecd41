// qpdf reading a written file back for the placed-PDF fuzz target.
#include "fuzz/pdf_read_back.h"

#include <exception>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

bool reads_back_whole(const std::string& pdf, std::size_t pages, std::string* why)
{
    QPDF q;
    q.setSuppressWarnings(true);
    try {
        q.processMemoryFile("written", pdf.data(), pdf.size());
        const std::size_t found = QPDFPageDocumentHelper(q).getAllPages().size();
        if (found != pages) {
            *why = std::to_string(found) + " pages";
            return false;
        }
        for (QPDFObjectHandle o : q.getAllObjects()) (void)o.getTypeCode();
    } catch (const std::exception& e) {
        *why = e.what();
        return false;
    }
    if (q.anyWarnings()) {
        *why = "warnings";
        for (const auto& w : q.getWarnings()) {
            *why += '\n';
            *why += w.what();
        }
        return false;
    }
    return true;
}
