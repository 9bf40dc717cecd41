// The font a DC realises from its selected LOGFONTA and its mapping, and text measured with it
// in device pixels and in logical units.
#pragma once

#include <memory>
#include <string_view>

#include "platform/gdi/face.h"
#include "platform/gdi/objects.h"

namespace gdi {

// The selected font at the DC's current scale; null when no face can be found.
const SizedFont* realise(Dc& dc) noexcept;

// Device pixels to logical units, GDI_ROUND(v * |window ext / viewport ext|).
LONG width_to_logical(const Dc& dc, std::int64_t device) noexcept;
LONG height_to_logical(const Dc& dc, std::int64_t device) noexcept;

// Width of narrow text in device pixels: the sum of each character's rounded advance.
std::int64_t device_extent(const SizedFont& font, std::string_view text) noexcept;

}  // namespace gdi
