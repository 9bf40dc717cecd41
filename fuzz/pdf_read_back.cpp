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
        // Every object the cross-reference table lists is parsed. getAllObjects would also walk
        // every object's contents for references to objects the table lacks, which qpdf turns
        // into nulls without a warning; that walk was a third of the check's time.
        for (const auto& entry : q.getXRefTable()) (void)q.getObject(entry.first).getTypeCode();
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
