// What qpdf made of a PDF file opened for placing its pages (pdf_file.h). qpdf's objects and its
// reading of the file are not safe to use from two threads at once, and documents written on two
// threads may place pages of one opened file, so whoever reads it holds `reading` meanwhile.
#pragma once

#include <mutex>

#include <qpdf/QPDF.hh>

namespace host::pdf {

struct opened_pdf {
    QPDF pdf;
    std::mutex reading;
};

}  // namespace host::pdf
