// The image element's entry point: the rest of the library creates it only through this.
#pragma once

#include "contentelements/cnt_image.h"

namespace cnt {

// A new image element; it cannot be the inner object of an aggregate.
HRESULT create_image(IUnknown* outer, REFIID riid, void** ppv) noexcept;

}  // namespace cnt
