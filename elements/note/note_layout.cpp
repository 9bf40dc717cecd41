// The text layout of a rebuild: page numbers, the text rectangle of each style, the note's
// clip frame (added to the resources without an id: a rebuild never removes it), then the
// lines.
#include "elements/note/note_layout.h"

#include <new>

#include "core/host_objects.h"
#include "platform/gdi/gdi.h"

namespace cnt::note {
namespace {

// 32-bit sums and differences that wrap instead of overflowing, as the page units' own
// arithmetic does at the edges of the range.
LONG wrap(LONGLONG v) noexcept { return static_cast<LONG>(v); }

HRESULT create_clip_frame(layout& l, com::ComPtr<IZClipFrame>* clip) noexcept
{
    RETURN_IF_FAILED(detail::create_kind(l.resources, zeKindClipFrame, clip));
    IZClipFrame* frame = clip->get();
    frame->put_Mode(1);
    com::ComPtr<IZRect> area;
    frame->get_Rect(area.put());
    if (!area) return E_UNEXPECTED;
    area->put_Left(l.text_rect.left);
    area->put_Top(l.text_rect.top);
    area->put_Right(l.text_rect.right);
    area->put_Bottom(l.text_rect.bottom);
    l.resources->AddWithoutID(detail::unknown_variant(frame));
    return S_OK;
}

}  // namespace

rect text_rectangle(ZeCntNoteStyle style, const rect& p, LONG resolution) noexcept
{
    const LONG width = wrap(LONGLONG{p.right} - p.left);
    const LONG height = wrap(LONGLONG{p.bottom} - p.top);
    rect r = p;
    switch (style) {
    case zeCntNoteStyleRectangle: {
        const LONG across = MulDiv(2, wrap(LONGLONG{resolution} * 10), 254);
        const LONG down = MulDiv(1, wrap(LONGLONG{resolution} * 10), 254);
        r = rect{wrap(LONGLONG{p.left} + across), wrap(LONGLONG{p.top} + down),
                 wrap(LONGLONG{p.right} - across), wrap(LONGLONG{p.bottom} - down)};
        break;
    }
    case zeCntNoteStyleRoundedRectangle: {
        const LONG across = width / 12;
        const LONG down = height / 16;
        r = rect{wrap(LONGLONG{p.left} + across), wrap(LONGLONG{p.top} + down),
                 wrap(LONGLONG{p.right} - across), wrap(LONGLONG{p.bottom} - down)};
        break;
    }
    case zeCntNoteStyleOval: {
        // The rectangle inscribed in the ellipse: half sizes over 2·√2.
        const LONG cx = wrap(LONGLONG{p.left} + p.right) / 2;
        const LONG cy = wrap(LONGLONG{p.top} + p.bottom) / 2;
        const LONG half_width = static_cast<LONG>(width / 2.8284);
        const LONG half_height = static_cast<LONG>(height / 2.8284);
        r = rect{wrap(LONGLONG{cx} - half_width), wrap(LONGLONG{cy} - half_height),
                 wrap(LONGLONG{cx} + half_width), wrap(LONGLONG{cy} + half_height)};
        break;
    }
    default:
        break;
    }
    return r;
}

bool lay_out_text(layout& l, IZPrintContentPage* page) noexcept
{
    LONG page_id = 0;
    com::ComPtr<IZPageList> pages;
    page->get_Resolution(&l.resolution);
    page->get_PageID(&page_id);
    page->get_PageList(pages.put());
    l.page_number = 1;
    if (!pages) return false;
    pages->get_Count(&l.page_count);
    pages->PageNumberOf(page_id, &l.page_number);

    l.text_rect = text_rectangle(l.f.style, l.position, l.resolution);

    com::ComPtr<IZClipFrame> clip;
    if (FAILED(create_clip_frame(l, &clip))) return false;
    l.clip = clip.get();

    try {
        const std::u16string text = working_text(l);
        if (is_automatic(l.f.style)) return lay_out_automatic(l, text);
        lay_out_wrapped(l, text);
    } catch (const std::bad_alloc&) {
    }
    return false;
}

}  // namespace cnt::note
