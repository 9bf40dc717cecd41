// The text mark element: one shape whose path covers the places of a text range line by line,
// filled with the mark colour at half transparency. It has no position of its own; the shape
// goes into the drawing order right after the text it marks.
#include "elements/textmark/textmark.h"

#include <algorithm>

#include "core/element.h"
#include "core/host_objects.h"

namespace cnt {
namespace {

constexpr SHORT kMarkTransparency = 50;
// The path operation that starts a new figure, so that each line's rectangle stands alone.
constexpr LONG kNewFigureKind = 4;

// Empty as GDI counts it: no width or no height.
bool is_empty(const rect& r) noexcept { return r.right <= r.left || r.bottom <= r.top; }

LONG height_of(const rect& r) noexcept { return wrap_sub(r.bottom, r.top); }

// The smallest rectangle holding both; an empty one adds nothing.
rect united(const rect& a, const rect& b) noexcept
{
    if (is_empty(a)) return is_empty(b) ? rect{} : b;
    if (is_empty(b)) return a;
    return rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

// A line's rectangle as the style marks it; unit is one point in page units.
rect styled(rect r, ZeCntMarkTextStyle style, LONG unit) noexcept
{
    if (style == zeCntMarkTextUnderline) {
        r.top = wrap_sub(r.bottom, unit);
        r.bottom = wrap_add(r.top, unit);
    } else if (style == zeCntMarkTextStrikethrough) {
        r.top = wrap_add(r.top, wrap_sub(height_of(r) / 2, unit / 2));
        r.bottom = wrap_add(r.top, unit);
    }
    return r;
}

class CZCntElementTextMark : public element<CZCntElementTextMark, IZCntElementTextMark> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypeTextMark;
    static constexpr const CLSID& class_id = CLSID_ZCntElementTextMark;
    static constexpr ULONG record_version = 1;
    static constexpr bool aggregatable = true;

    HRESULT MarkText(IDispatch* view, IDispatch* range, ZeCntMarkTextStyle style,
                     OLE_COLOR colour) noexcept override
    {
        if (!s_.page) return E_UNEXPECTED;
        com::ComPtr<IZPageObjectList> objects;
        s_.page->get_PageObjects(objects.put());
        if (!objects) return E_UNEXPECTED;
        LONG resolution = 0;
        s_.page->get_Resolution(&resolution);
        const LONG unit = resolution / 72;

        // The earlier mark goes even when the new one is refused.
        RETURN_IF_FAILED(remove_created_host_objects());
        com::ComPtr<IZDocumentView> places;
        com::ComPtr<IZTextRange> words;
        if (!view || FAILED(view->QueryInterface(IZDocumentView::iid, places.put_void())) ||
            !places)
            return E_INVALIDARG;
        if (!range || FAILED(range->QueryInterface(IZTextRange::iid, words.put_void())) ||
            !words)
            return E_INVALIDARG;
        LONG text = 0;
        words->get_TextReference(&text);

        com::ComPtr<IZShape> shape;
        RETURN_IF_FAILED(
            create_page_object(objects.get(), zeKindShape, s_.page_object_ids, &shape));
        const LONG shape_id = s_.page_object_ids.back();
        shape->put_PaintMode(zeShapePaintFill);
        shape->put_FillColor(colour);
        shape->put_Transparency(kMarkTransparency);
        shape->put_BlendMode(zeShapeBlendNormal);
        com::ComPtr<IZPath> path;
        shape->get_Path(path.put());
        if (!path) return S_OK;

        LONG count = 0;
        words->get_ItemCount(&count);
        rect segment{};
        LONG previous = 0;
        LONG last_id = 0;
        // 64-bit, so that a count of LONG's maximum ends the loop.
        for (LONGLONG i = 1; i <= count; ++i) {
            LONG item = 0;
            words->get_Item(static_cast<LONG>(i), &item);
            rect r{};
            LONG first = 0, last = 0;
            if (FAILED(places->ItemPlace(text, item, &r.left, &r.top, &r.right, &r.bottom, 0, 0,
                                         &first, &last)))
                continue;
            if (last != 0) last_id = last;
            if (style == zeCntMarkTextHighlight) clear_backgrounds(objects.get(), first, last);
            VARIANT_BOOL joined = VARIANT_FALSE;
            places->ItemsJoined(text, previous, item, &joined);
            if (joined == VARIANT_FALSE ||
                (!is_empty(segment) && height_of(segment) != height_of(r))) {
                if (!is_empty(segment)) {
                    add_band(path.get(), segment, style, unit);
                    path->NewFigure(kNewFigureKind, 0);
                }
                segment = r;
            } else {
                segment = united(segment, r);
            }
            previous = item;
        }
        if (!is_empty(segment)) add_band(path.get(), segment, style, unit);
        objects->Order(shape_id, last_id, 0);
        return S_OK;
    }

    // The mark has no position: moving it changes nothing and it reports zeros.
    HRESULT SetPosition(LONG, LONG, LONG, LONG) noexcept override { return S_OK; }
    HRESULT GetPosition(LONG* left, LONG* top, LONG* width, LONG* height) noexcept override
    {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        return S_OK;
    }

    // Style, colour and range live only in the host's shape, so there is nothing to copy.
    HRESULT CopyTo(IZCntElementBase* destination) noexcept override
    {
        if (!destination) return E_INVALIDARG;
        com::ComPtr<IZCntElementTextMark> to;
        if (FAILED(destination->QueryInterface(IZCntElementTextMark::iid, to.put_void())) || !to)
            return E_INVALIDARG;
        return E_NOTIMPL;
    }
    HRESULT copy_into(IZCntElementTextMark*) noexcept { return E_NOTIMPL; }

    static constexpr auto record_fields()
    {
        return record::table(record::description(), record::page_objects());
    }

    // The mark is made only by MarkText; no property change rebuilds it.
    HRESULT rebuild() noexcept { return S_OK; }

private:
    // Highlighting: a text object's background would hide the mark behind the text.
    static void clear_backgrounds(IZPageObjectList* objects, LONG first, LONG last) noexcept
    {
        for (LONGLONG j = first; j <= last; ++j) {
            com::ComPtr<IDispatch> object;
            if (FAILED(objects->ItemFromID(static_cast<LONG>(j), object.put())) || !object)
                continue;
            com::ComPtr<IZTextObject> text;
            if (FAILED(object->QueryInterface(IZTextObject::iid, text.put_void())) || !text)
                continue;
            com::ComPtr<IDispatch> background;
            text->get_Background(background.put());
            if (background) text->putref_Background(nullptr);
        }
    }

    static void add_band(IZPath* path, const rect& segment, ZeCntMarkTextStyle style,
                         LONG unit) noexcept
    {
        const rect r = styled(segment, style, unit);
        path->Rectangle(r.left, r.top, r.right, r.bottom);
    }
};

}  // namespace

HRESULT create_textmark(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementTextMark>(outer, riid, ppv);
}

}  // namespace cnt
