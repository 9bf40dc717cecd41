// The text mark element's entry point: the rest of the library creates it only through this,
// so its class stays private to its folder.
#pragma once

#include "contentelements/cnt_textmark.h"

namespace cnt {

// A new text mark element, stand-alone or as the inner object of an aggregate.
HRESULT create_textmark(IUnknown* outer, REFIID riid, void** ppv) noexcept;

}  // namespace cnt
