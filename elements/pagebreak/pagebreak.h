// The page break element's entry point: the rest of the library creates it only through this.
#pragma once

#include "contentelements/cnt_pagebreak.h"

namespace cnt {

// A new page break marker; it cannot be the inner object of an aggregate.
HRESULT create_page_break(IUnknown* outer, REFIID riid, void** ppv) noexcept;

}  // namespace cnt
