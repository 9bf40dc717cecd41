// The stamp element's entry point: the rest of the library creates it only through this.
#pragma once

#include "contentelements/cnt_stamp.h"

namespace cnt {

// A new stamp, stand-alone or as the inner object of an aggregate.
HRESULT create_stamp(IUnknown* outer, REFIID riid, void** ppv) noexcept;

}  // namespace cnt
