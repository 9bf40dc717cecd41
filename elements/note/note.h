// The note element's entry point: the rest of the library creates it only through this, so its
// class stays private to its folder.
#pragma once

#include "contentelements/cnt_note.h"

namespace cnt {

// A new note, stand-alone or as the inner object of an aggregate.
HRESULT create_note(IUnknown* outer, REFIID riid, void** ppv) noexcept;

}  // namespace cnt
