// The document view and text ranges over the words a page knows.
#pragma once

#include "platform/com/types.h"

struct IDispatch;

namespace host {

class page;

// The document view and text ranges of a page's words.
HRESULT make_document_view(page* p, IDispatch** out) noexcept;
HRESULT make_text_range(page* p, LONG first_word, LONG count, IDispatch** out) noexcept;

}  // namespace host
