// The IZRect that link objects, clip frames, placed images and placed pages hand out: a view of
// the rectangle stored in its owner, which it keeps alive. Its journal name is the owner's with
// ".rect" appended.
#pragma once

#include "host/kinds/host_object.h"

namespace host {

struct rect_data {
    LONG left = 0, top = 0, right = 0, bottom = 0;
};

// *out := a new view of `data` inside `owner`.
HRESULT make_rect_view(host_object* owner, rect_data* data, IZRect** out) noexcept;

void describe_rect(const rect_data& r, property_list& out);
void save_rect(const rect_data& r, byte_writer& out);
void load_rect(rect_data& r, byte_reader& in);

}  // namespace host
