// Text objects, fonts and clip frames.
#include <tuple>

#include "host/kinds/property_table.h"
#include "host/output/paint.h"

namespace host {
namespace {

struct font_fields {
    std::u16string face_;
    LONG size_ = 0;
    VARIANT_BOOL bold_ = VARIANT_FALSE;
    VARIANT_BOOL italic_ = VARIANT_FALSE;
    double angle_ = 0;
};
constexpr auto font_table = std::tuple{
    field<codec::text>("FaceName", &font_fields::face_),
    field<codec::i32>("Size", &font_fields::size_),
    field<codec::i16>("Bold", &font_fields::bold_),
    field<codec::i16>("Italic", &font_fields::italic_),
    field<codec::f64>("Angle", &font_fields::angle_, finite, checked::always),
};

class font : public table_kind<font, IZFont, font_fields, font_table> {
public:
    HOST_PROPERTY(FaceName)
    HOST_PROPERTY(Size)
    HOST_PROPERTY(Bold)
    HOST_PROPERTY(Italic)
    HOST_PROPERTY(Angle)

    void resource(resource_info& out) const override
    {
        view_.face = face_;
        view_.size = size_;
        view_.bold = bold_ != VARIANT_FALSE;
        view_.italic = italic_ != VARIANT_FALSE;
        view_.angle = angle_;
        out.font = &view_;
    }

private:
    mutable font_paint view_;
};

bool clip_mode(LONG v) noexcept { return v == 0 || v == 1; }

struct clip_fields {
    LONG mode_ = 0;
    rect_data rect_;
};
constexpr auto clip_table = std::tuple{
    field<codec::i32>("Mode", &clip_fields::mode_, clip_mode, checked::always),
    field<codec::rect>("Rect", &clip_fields::rect_),
};

class clip_frame : public table_kind<clip_frame, IZClipFrame, clip_fields, clip_table> {
public:
    HOST_PROPERTY(Mode)
    HRESULT get_Rect(IZRect** rect) noexcept override
    {
        auto rec = record("get_Rect");
        HRESULT hr = make_rect_view(this, &rect_, rect);
        return rec(hr, part_name("rect"));
    }

    void resource(resource_info& out) const override
    {
        view_.mode = mode_;
        view_.rect = {rect_.left, rect_.top, rect_.right, rect_.bottom};
        out.clip = &view_;
    }

private:
    mutable clip_paint view_;
};

struct text_fields {
    std::u16string text_;
    LONG x_ = 0;
    LONG y_ = 0;
    com::ComPtr<IZFont> font_;
    OLE_COLOR color_ = 0x000000;
    com::ComPtr<IZClipFrame> clip_;
    com::ComPtr<IDispatch> background_;
    SHORT transparency_ = 0;
};
constexpr auto text_table = std::tuple{
    field<codec::text>("Text", &text_fields::text_),
    field<codec::i32>("X", &text_fields::x_),
    field<codec::i32>("Y", &text_fields::y_),
    field<codec::reference<IZFont>>("Font", &text_fields::font_),
    field<codec::colour>("Color", &text_fields::color_),
    field<codec::reference<IZClipFrame>>("ClipFrame", &text_fields::clip_),
    field<codec::reference<IDispatch>>("Background", &text_fields::background_),
    field<codec::i16>("Transparency", &text_fields::transparency_, percent),
};

class text_object : public table_kind<text_object, IZTextObject, text_fields, text_table> {
public:
    HOST_PROPERTY(Text)
    HOST_PROPERTY(X)
    HOST_PROPERTY(Y)
    HOST_REF_PROPERTY(Font)
    HOST_PROPERTY(Color)
    HOST_REF_PROPERTY(ClipFrame)
    HOST_REF_PROPERTY(Background)
    HOST_PROPERTY(Transparency)

    void paint(painter& p) const override
    {
        text_paint t;
        t.text = text_;
        t.x = x_;
        t.y = y_;
        if (font_) t.font = resource_of(font_.get()).font;
        t.color = color_;
        if (clip_) t.clip = resource_of(clip_.get()).clip;
        t.transparency = transparency_;
        p.text(t);
    }
};

}  // namespace

HRESULT make_text_object(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept
{
    return make_kind<text_object>(ctx, zeKindTextObject, page_id, out);
}

HRESULT make_font(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept
{
    return make_kind<font>(ctx, zeKindFont, page_id, out);
}

HRESULT make_clip_frame(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept
{
    return make_kind<clip_frame>(ctx, zeKindClipFrame, page_id, out);
}

}  // namespace host
