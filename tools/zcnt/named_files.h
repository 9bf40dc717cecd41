// Files an element was told to show but never handed to the engine. The image element places
// nothing for a picture or PDF file that does not exist, and says nothing: the engine, which
// notes every file it cannot use, never sees the name. The tool asks the element for it.
#pragma once

#include <vector>

#include "host/engine.h"
#include "platform/com/com.h"

namespace zcnt {

// Adds the file `element` shows (its ImageFile) to `files` when that file cannot be found,
// unless it is listed already; an element without such a property, a QR code source or an
// empty name adds nothing.
void note_missing_file(IDispatch* element, std::vector<host::unusable_file>* files);

}  // namespace zcnt
