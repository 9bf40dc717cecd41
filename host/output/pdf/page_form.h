// A page of an opened PDF file as a form XObject of the file being written.
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

namespace host::pdf {

class object_writer;

// The form is made in `out` from the first: its content is the page's content streams decoded
// and joined, its resources, group and box (the trim box, else the crop box, else the media
// box) are the page's own or inherited ones copied over, and a turned or scaled page gets the
// matrix that shows it upright. Nothing is added to the page's file, so nothing there has to be
// read that the page does not use. Throws what qpdf throws; the page's file must stay open
// until `out` is written.
QPDFObjectHandle page_as_form(QPDF& out, QPDFPageObjectHelper page);

// The same form for a file that `file` writes: the page's resources, group and box are not
// copied into `out` but written by `file` straight from the page's file, each object of it
// once however many forms use it.
QPDFObjectHandle page_as_form(QPDF& out, object_writer& file, QPDFPageObjectHelper page);

}  // namespace host::pdf
