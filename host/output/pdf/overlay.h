// Annotating a PDF made elsewhere: the pages our writer made for it (a layer, one page for each
// of its pages, of the size each shows) are laid over its pages, upright as a viewer shows them,
// and the layer's annotations, form fields and layers join its own. Everything the file had
// stays: content, fonts, links, fields, outlines, metadata. The file itself is only read.
#pragma once

#include <string>
#include <vector>

#include "platform/com/types.h"

namespace host::pdf {

// `layer`: the PDF bytes our writer made. E_INVALIDARG when the page counts differ or either file
// cannot be read, E_ACCESSDENIED for an input locked with a password; `message` names the cause.
// An input encrypted without a password is written unencrypted, with a warning.
HRESULT overlay_pdf(const std::string& input, const std::string& layer, std::string* out,
                    std::vector<std::string>* warnings, std::string* message) noexcept;

}  // namespace host::pdf
