// What an element is given at Attach when the host wants to know what it makes: a view of its
// page whose page object list notes, for every object added through it, that this element made
// it (list_entry::maker). Everything else is the page's own: the view forwards each call, so
// the element cannot tell the difference and the journal records the same calls.
#pragma once

#include "host/model/page.h"

namespace host {

// The page a view made below shows, when `object` is one (*objects_list: its page object list
// rather than the view itself); null for any other object.
page* page_of_view(IUnknown* object, bool* objects_list) noexcept;

// A new view of `p` for `element` (any interface of it); E_OUTOFMEMORY without memory.
HRESULT make_element_view(page* p, IUnknown* element, IZPrintContentPage** view) noexcept;
// Attach(the view's page object list, the page's resources, document): the element's result.
HRESULT attach_through_view(page* p, IZElement* element, IDispatch* document) noexcept;

}  // namespace host
