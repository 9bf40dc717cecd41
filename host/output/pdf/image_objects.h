// Image XObjects from image resources: files decoded (a JPEG is taken as it is), pixels given
// directly (a QR symbol's 1-bit rows) kept sharp.
#pragma once

#include <string>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include "host/output/paint.h"

namespace host::pdf {

// The image as a new XObject in `out`; an uninitialised handle and `error` on failure.
QPDFObjectHandle image_xobject(QPDF& out, const image_data& image, std::string* error);

}  // namespace host::pdf
