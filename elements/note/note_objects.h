// The host objects of a note besides its text: the outline shape, the font resource and the
// text objects that show one line each.
#pragma once

#include <vector>

#include "contentelements/zprint_page.h"
#include "core/element_state.h"
#include "elements/note/note_fields.h"
#include "platform/com/com_ptr.h"

namespace cnt::note {

// The outline shape over `position`, or nothing when the note has neither fill nor border.
HRESULT create_outline(const fields& f, const rect& position, IZPageObjectList* objects,
                       std::vector<LONG>& page_object_ids) noexcept;

// The font resource every line of the note uses, its id recorded in `resource_ids`.
HRESULT create_font(const fields& f, LONG resolution, IZResourceList* resources,
                    std::vector<LONG>& resource_ids, com::ComPtr<IZFont>* font) noexcept;

// One text object with `text` at the baseline point (x, y); `clip` is attached last when given.
HRESULT create_text_object(IZPageObjectList* objects, IZResourceList* resources,
                           std::vector<LONG>& page_object_ids, const OLECHAR* text, UINT length,
                           LONG x, LONG y, IZFont* font, OLE_COLOR colour,
                           IZClipFrame* clip) noexcept;

}  // namespace cnt::note
