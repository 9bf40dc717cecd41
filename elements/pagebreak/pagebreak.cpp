// The page break marker: shown, it outlines its flow region with a translucent overlay and a
// labelled box, and, when the break height lies inside the region, a line, a veil over the
// part below it and a second labelled box; hidden, it removes them.
#include "elements/pagebreak/pagebreak.h"

#include <new>

#include "core/colour.h"
#include "core/element.h"
#include "core/host_objects.h"
#include "elements/measure/display_context.h"
#include "platform/com/codepage.h"

namespace cnt {
namespace {

// The markers' fixed appearance.
constexpr OLE_COLOR kOutline = 0x646464;
constexpr OLE_COLOR kOverlay = 0xFF6464;
constexpr SHORT kOverlayTransparency = 70;
constexpr OLE_COLOR kBreakLine = 0x000096;
constexpr OLE_COLOR kBoxFill = 0xFFFFFF;
constexpr SHORT kBoxTransparency = 20;
constexpr OLE_COLOR kLabelColour = 0x000096;
constexpr LONG kLabelSize = 100;  // tenths of a point

constexpr SHORT kNoTransparency = -1;

struct shape_spec {
    ZeShapePaintMode mode;
    OLE_COLOR fill, stroke;
    SHORT transparency;
    LONG left, top, right, bottom;
};

class CZCntElementPageBreak : public element<CZCntElementPageBreak, IZCntElementPageBreak> {
public:
    static constexpr ZeCntElementType element_type = zeCntElementTypePageBreak;
    static constexpr const CLSID& class_id = CLSID_ZCntElementPageBreak;
    static constexpr ULONG record_version = 1;
    static constexpr bool aggregatable = false;
    static constexpr element_options options{.normalise_position = true,
                                             .attach_needs_page_objects = false,
                                             .lists_checked_in_turn = true};

    CZCntElementPageBreak() noexcept
    {
        // The default labels are ANSI texts of the module, converted on construction.
        const std::u16string flow = com::from_ansi("Flowing Text");
        const std::u16string page_break = com::from_ansi("Page Break");
        flow_label_ = SysAllocStringLen(flow.data(), static_cast<UINT>(flow.size()));
        break_label_ = SysAllocStringLen(page_break.data(), static_cast<UINT>(page_break.size()));
    }
    ~CZCntElementPageBreak()
    {
        SysFreeString(flow_label_);
        SysFreeString(break_label_);
    }

    HRESULT get_PageBreakPosY(LONG* y) noexcept override { return get_value(break_y_, y); }
    HRESULT put_PageBreakPosY(LONG y) noexcept override { return store(break_y_, y, notify::no); }
    HRESULT put_LabelFlowRegion(BSTR label) noexcept override { return put_label(&flow_label_, label); }
    HRESULT put_LabelPageBreak(BSTR label) noexcept override { return put_label(&break_label_, label); }
    HRESULT ShowPageBreakElements() noexcept override
    {
        rebuild();
        return S_OK;
    }
    HRESULT HidePageBreakElements() noexcept override
    {
        remove_created_host_objects();
        return S_OK;
    }

    // Only the description travels.
    HRESULT copy_into(IZCntElementPageBreak*) noexcept { return S_OK; }

    using C = CZCntElementPageBreak;
    static constexpr auto record_fields()
    {
        return record::table(record::position(), record::description(), record::page_objects(),
                             record::resources(), record::i32(&C::break_y_),
                             record::string(&C::break_label_), record::string(&C::flow_label_));
    }

    // Shows the markers: every show starts by taking away the last one's.
    HRESULT build(build_context& c) noexcept
    {
        const LONG res = c.resolution();
        const LONG w = wrap_mul(res, 300) / 254;
        const LONG h = wrap_mul(res, 50) / 254;
        com::ComPtr<IZFont> font;
        RETURN_IF_FAILED(create_shapes(c.objects, w, h));
        RETURN_IF_FAILED(create_font(c.resources, res, &font));
        RETURN_IF_FAILED(create_labels(c.objects, c.resources, font.get(), res, w, h));
        order_after_element(c.objects);
        return S_OK;
    }

private:
    bool break_inside() const noexcept
    {
        return s_.position.top < break_y_ && break_y_ < s_.position.bottom;
    }

    HRESULT put_label(BSTR* field, BSTR label) noexcept
    {
        RETURN_IF_FAILED(assign_bstr(field, label));
        s_.dirty = 1;
        return S_OK;
    }

    HRESULT create_shapes(IZPageObjectList* objects, LONG w, LONG h) noexcept
    {
        const LONG L = s_.position.left, T = s_.position.top, R = s_.position.right,
                   B = s_.position.bottom, Y = break_y_;
        // 32-bit sums that wrap, as the page units' own arithmetic does at the ends of the range.
        const auto add = wrap_add;
        const auto sub = wrap_sub;
        const shape_spec always[] = {
            {zeShapePaintStroke, no_colour, kOutline, kNoTransparency, L, T, R, B},
            {zeShapePaintFill, no_colour, kOverlay, kOverlayTransparency, L, T, R, B},
            {zeShapePaintFillStroke, kBoxFill, kOutline, kBoxTransparency, sub(R, w), T, R, add(T, h)},
        };
        const shape_spec at_break[] = {
            {zeShapePaintFillStroke, kBreakLine, kBreakLine, 0, L, Y, R, add(Y, 1)},
            {zeShapePaintFill, kBoxFill, no_colour, 40, add(L, 1), add(Y, 1), sub(R, 1), sub(B, 2)},
            {zeShapePaintFillStroke, kBoxFill, kOutline, kBoxTransparency, sub(R, w), Y, R, add(Y, h)},
        };
        for (const shape_spec& marker_shape : always) RETURN_IF_FAILED(create_shape(objects, marker_shape));
        if (break_inside())
            for (const shape_spec& marker_shape : at_break) RETURN_IF_FAILED(create_shape(objects, marker_shape));
        return S_OK;
    }

    HRESULT create_shape(IZPageObjectList* objects, const shape_spec& marker_shape) noexcept
    {
        com::ComPtr<IZShape> shape;
        RETURN_IF_FAILED(create_page_object(objects, zeKindShape, s_.page_object_ids, &shape));
        shape->put_PaintMode(marker_shape.mode);
        if (marker_shape.fill != no_colour) shape->put_FillColor(marker_shape.fill);
        if (marker_shape.stroke != no_colour) shape->put_StrokeColor(marker_shape.stroke);
        if (marker_shape.transparency != kNoTransparency) shape->put_Transparency(marker_shape.transparency);
        com::ComPtr<IZPath> path;
        shape->get_Path(path.put());
        if (!path) return E_UNEXPECTED;
        path->Rectangle(marker_shape.left, marker_shape.top, marker_shape.right, marker_shape.bottom);
        return S_OK;
    }

    HRESULT create_font(IZResourceList* resources, LONG res, com::ComPtr<IZFont>* font) noexcept
    {
        RETURN_IF_FAILED(create_resource(resources, zeKindFont, s_.resource_ids, font));
        BSTR face = SysAllocString(u"");
        (*font)->put_FaceName(face);
        SysFreeString(face);
        (*font)->put_Size(wrap_mul(kLabelSize, res) / 720);
        (*font)->put_Bold(0);
        (*font)->put_Italic(0);
        return S_OK;
    }

    HRESULT create_labels(IZPageObjectList* objects, IZResourceList* resources, IZFont* font,
                          LONG res, LONG w, LONG h) noexcept
    {
        measure::display_context dc(res);
        if (!dc.ok()) return E_UNEXPECTED;
        if (!dc.select_font(u"", false, false, dc.note_font_height(kLabelSize)))
            return E_UNEXPECTED;
        const LONG R = s_.position.right, T = s_.position.top;
        RETURN_IF_FAILED(create_label(dc, objects, resources, font, flow_label_,
                                      RECT{wrap_sub(R, w), T, R, wrap_add(T, h)}));
        if (break_inside())
            RETURN_IF_FAILED(create_label(dc, objects, resources, font, break_label_,
                                          RECT{wrap_sub(R, w), break_y_, R, wrap_add(break_y_, h)}));
        return S_OK;
    }

    HRESULT create_label(const measure::display_context& dc, IZPageObjectList* objects,
                         IZResourceList* resources, IZFont* font, BSTR label, RECT box) noexcept
    {
        RECT needed{};
        try {
            const std::u16string_view text =
                label ? std::u16string_view(label, SysStringLen(label)) : std::u16string_view();
            needed = dc.calc_rect(measure::to_thread_ansi(text), box, DT_CENTER);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        const LONG tw = wrap_sub(needed.right, needed.left);
        const LONG th = wrap_sub(needed.bottom, needed.top);
        com::ComPtr<IZTextObject> text;
        RETURN_IF_FAILED(create_page_object(objects, zeKindTextObject, s_.page_object_ids, &text));
        text->put_Color(kLabelColour);
        BSTR copy = SysAllocStringLen(label, SysStringLen(label));
        text->put_Text(copy);
        SysFreeString(copy);
        text->put_X(wrap_add(box.left, wrap_sub(wrap_sub(box.right, box.left), tw) / 2));
        text->put_Y(wrap_add(box.top, th));
        text->putref_Font(font);
        text->Attach(objects, resources, nullptr);
        return S_OK;
    }

    LONG break_y_ = 0;
    BSTR flow_label_ = nullptr;
    BSTR break_label_ = nullptr;
};

}  // namespace

HRESULT create_page_break(IUnknown* outer, REFIID riid, void** ppv) noexcept
{
    return com::create_instance<CZCntElementPageBreak>(outer, riid, ppv);
}

}  // namespace cnt
