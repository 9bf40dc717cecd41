// The words a page knows, taken from the text objects on it.
#pragma once

#include "platform/com/types.h"

namespace host {

class page;

// The words of the text objects on `p` (see document::recognise_words).
HRESULT recognise_words(page* p, LONG* added) noexcept;

}  // namespace host
