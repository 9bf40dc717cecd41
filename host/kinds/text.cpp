// Text objects, fonts and clip frames.
#include <cmath>
#include <new>

#include "host/kinds/factory.h"
#include "host/kinds/properties.h"
#include "host/kinds/rect_view.h"
#include "host/output/paint.h"

namespace host {
namespace {

class font : public kind_object<font, IZFont> {
public:
    HOST_TEXT_PROPERTY(FaceName, face_)
    HOST_LONG_PROPERTY(Size, size_)
    HRESULT get_Bold(VARIANT_BOOL* v) noexcept override { return get_flag("get_Bold", bold_, v); }
    HRESULT put_Bold(VARIANT_BOOL v) noexcept override { return put_flag("put_Bold", bold_, v); }
    HRESULT get_Italic(VARIANT_BOOL* v) noexcept override
    {
        return get_flag("get_Italic", italic_, v);
    }
    HRESULT put_Italic(VARIANT_BOOL v) noexcept override
    {
        return put_flag("put_Italic", italic_, v);
    }
    HRESULT get_Angle(double* v) noexcept override
    {
        auto rec = record("get_Angle");
        if (!v) return rec(E_POINTER);
        *v = angle_;
        return rec(S_OK, *v);
    }
    HRESULT put_Angle(double v) noexcept override
    {
        auto rec = record("put_Angle", v);
        if (!std::isfinite(v)) return rec(E_INVALIDARG);
        angle_ = v;
        return rec(S_OK);
    }

    void resource(resource_info& out) const override
    {
        view_.face = face_;
        view_.size = size_;
        view_.bold = bold_ != VARIANT_FALSE;
        view_.italic = italic_ != VARIANT_FALSE;
        view_.angle = angle_;
        out.font = &view_;
    }
    void describe(property_list& out) const override
    {
        out.emplace_back("FaceName", utf8(face_));
        out.emplace_back("Size", number(size_));
        out.emplace_back("Bold", number(bold_));
        out.emplace_back("Italic", number(italic_));
        out.emplace_back("Angle", real(angle_));
    }
    void save(byte_writer& out, const ref_serials&) const override
    {
        out.text(face_);
        out.i32(size_);
        out.u16(static_cast<std::uint16_t>(bold_));
        out.u16(static_cast<std::uint16_t>(italic_));
        out.f64(angle_);
    }
    bool load(byte_reader& in, const ref_lookup&) override
    {
        face_ = in.text();
        size_ = in.i32();
        bold_ = static_cast<VARIANT_BOOL>(in.u16());
        italic_ = static_cast<VARIANT_BOOL>(in.u16());
        angle_ = in.f64();
        return in.ok() && std::isfinite(angle_);
    }

private:
    HRESULT get_flag(std::string_view member, VARIANT_BOOL field, VARIANT_BOOL* v) noexcept
    {
        auto rec = record(member);
        if (!v) return rec(E_POINTER);
        *v = field;
        return rec(S_OK, *v);
    }
    HRESULT put_flag(std::string_view member, VARIANT_BOOL& field, VARIANT_BOOL v) noexcept
    {
        auto rec = record(member, v);
        field = v;
        return rec(S_OK);
    }

    std::u16string face_;
    LONG size_ = 0;
    VARIANT_BOOL bold_ = VARIANT_FALSE;
    VARIANT_BOOL italic_ = VARIANT_FALSE;
    double angle_ = 0;
    mutable font_paint view_;
};

class clip_frame : public kind_object<clip_frame, IZClipFrame> {
public:
    HRESULT get_Mode(LONG* v) noexcept override
    {
        auto rec = record("get_Mode");
        if (!v) return rec(E_POINTER);
        *v = mode_;
        return rec(S_OK, *v);
    }
    HRESULT put_Mode(LONG v) noexcept override
    {
        auto rec = record("put_Mode", v);
        if (v != 0 && v != 1) return rec(E_INVALIDARG);
        mode_ = v;
        return rec(S_OK);
    }
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
    void describe(property_list& out) const override
    {
        out.emplace_back("Mode", number(mode_));
        describe_rect(rect_, out);
    }
    void save(byte_writer& out, const ref_serials&) const override
    {
        out.i32(mode_);
        save_rect(rect_, out);
    }
    bool load(byte_reader& in, const ref_lookup&) override
    {
        mode_ = in.i32();
        load_rect(rect_, in);
        return in.ok() && (mode_ == 0 || mode_ == 1);
    }

private:
    LONG mode_ = 0;
    rect_data rect_;
    mutable clip_paint view_;
};

class text_object : public kind_object<text_object, IZTextObject> {
public:
    HOST_TEXT_PROPERTY(Text, text_)
    HOST_LONG_PROPERTY(X, x_)
    HOST_LONG_PROPERTY(Y, y_)
    HRESULT get_Font(IZFont** v) noexcept override { return get_ref("get_Font", font_, v); }
    HRESULT putref_Font(IZFont* v) noexcept override { return put_ref("putref_Font", font_, v); }
    HRESULT get_Color(OLE_COLOR* v) noexcept override
    {
        auto rec = record("get_Color");
        if (!v) return rec(E_POINTER);
        *v = color_;
        return rec(S_OK, static_cast<ULONG>(*v));
    }
    HRESULT put_Color(OLE_COLOR v) noexcept override
    {
        auto rec = record("put_Color", static_cast<ULONG>(v));
        color_ = v;
        return rec(S_OK);
    }
    HRESULT get_ClipFrame(IZClipFrame** v) noexcept override
    {
        return get_ref("get_ClipFrame", clip_, v);
    }
    HRESULT putref_ClipFrame(IZClipFrame* v) noexcept override
    {
        return put_ref("putref_ClipFrame", clip_, v);
    }
    HRESULT get_Background(IDispatch** v) noexcept override
    {
        return get_ref("get_Background", background_, v);
    }
    HRESULT putref_Background(IDispatch* v) noexcept override
    {
        return put_ref("putref_Background", background_, v);
    }
    HRESULT get_Transparency(SHORT* v) noexcept override
    {
        auto rec = record("get_Transparency");
        if (!v) return rec(E_POINTER);
        *v = transparency_;
        return rec(S_OK, *v);
    }
    HRESULT put_Transparency(SHORT v) noexcept override
    {
        auto rec = record("put_Transparency", v);
        if (v < 0 || v > 100) return rec(E_INVALIDARG);
        transparency_ = v;
        return rec(S_OK);
    }

    void describe(property_list& out) const override
    {
        out.emplace_back("Text", utf8(text_));
        out.emplace_back("X", number(x_));
        out.emplace_back("Y", number(y_));
        out.emplace_back("Font", ctx()->name_of(font_.get()));
        out.emplace_back("Color", colour(color_));
        out.emplace_back("ClipFrame", ctx()->name_of(clip_.get()));
        out.emplace_back("Background", ctx()->name_of(background_.get()));
        out.emplace_back("Transparency", number(transparency_));
    }
    void save(byte_writer& out, const ref_serials& refs) const override
    {
        out.text(text_);
        out.i32(x_);
        out.i32(y_);
        out.u32(refs.serial(font_.get()));
        out.u32(color_);
        out.u32(refs.serial(clip_.get()));
        out.u32(refs.serial(background_.get()));
        out.u16(static_cast<std::uint16_t>(transparency_));
    }
    bool load(byte_reader& in, const ref_lookup& refs) override
    {
        text_ = in.text();
        x_ = in.i32();
        y_ = in.i32();
        if (!load_ref(in, refs, &font_)) return false;
        color_ = in.u32();
        if (!load_ref(in, refs, &clip_)) return false;
        if (!load_ref(in, refs, &background_)) return false;
        transparency_ = static_cast<SHORT>(in.u16());
        return in.ok();
    }
    void references(std::vector<IUnknown*>& out) const override
    {
        for (IUnknown* p : {static_cast<IUnknown*>(font_.get()), static_cast<IUnknown*>(clip_.get()),
                            static_cast<IUnknown*>(background_.get())})
            if (p) out.push_back(p);
    }
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
    void drop_references() noexcept override
    {
        host_object::drop_references();
        font_ = nullptr;
        clip_ = nullptr;
        background_ = nullptr;
    }

private:
    template <typename I>
    HRESULT get_ref(std::string_view member, const com::ComPtr<I>& field, I** v) noexcept
    {
        auto rec = record(member);
        if (!v) return rec(E_POINTER);
        field.copy_to(v);
        return rec(S_OK, ref(*v));
    }
    template <typename I>
    HRESULT put_ref(std::string_view member, com::ComPtr<I>& field, I* v) noexcept
    {
        auto rec = record(member, ref(v));
        field = com::ComPtr<I>(v);
        return rec(S_OK);
    }

    std::u16string text_;
    LONG x_ = 0;
    LONG y_ = 0;
    com::ComPtr<IZFont> font_;
    OLE_COLOR color_ = 0x000000;
    com::ComPtr<IZClipFrame> clip_;
    com::ComPtr<IDispatch> background_;
    SHORT transparency_ = 0;
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
