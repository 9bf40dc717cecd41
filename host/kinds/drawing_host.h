// The drawing host the engine hands a form field's Draw as its seventh argument: it belongs to
// the device context the field paints on, and the background the field asks for becomes that
// context's background colour.
#pragma once

#include "contentelements/zprint_objects.h"
#include "platform/gdi/gdi.h"

namespace host {

// *out := a new drawing host for `dc`, which must outlive it.
HRESULT make_drawing_host(HDC dc, IZDrawingHost** out) noexcept;

}  // namespace host
