// Where a document keeps its element container: the first object of its collection that
// answers IZCntElementContainer. Elements look for it at Attach; tools ask for it to report on
// and hit-test a document.
#pragma once

#include "contentelements/cnt_container.h"
#include "contentelements/zprint_page.h"

// *container gets a reference, or null with S_FALSE when the document holds none.
inline HRESULT FindElementContainer(IZDocument* document,
                                    IZCntElementContainer** container) noexcept
{
    if (!container) return E_POINTER;
    *container = nullptr;
    if (!document) return E_POINTER;
    LONG count = 0;
    document->get_Count(&count);
    for (LONG i = 1; i <= count && !*container; ++i) {
        IDispatch* item = nullptr;
        if (FAILED(document->get_Item(i, &item)) || !item) continue;
        item->QueryInterface(IZCntElementContainer::iid, reinterpret_cast<void**>(container));
        item->Release();
    }
    return *container ? S_OK : S_FALSE;
}
