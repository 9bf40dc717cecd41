// Shapes with their paths, and line styles.
#include <new>

#include "host/kinds/factory.h"
#include "host/output/paint.h"

namespace host {
namespace {

class line_style : public kind_object<line_style, IZLineStyle> {
public:
    HRESULT get_Width(LONG* v) noexcept override
    {
        auto rec = record("get_Width");
        if (!v) return rec(E_POINTER);
        *v = width_;
        return rec(S_OK, *v);
    }
    HRESULT put_Width(LONG v) noexcept override
    {
        auto rec = record("put_Width", v);
        width_ = v;
        return rec(S_OK);
    }

    void resource(resource_info& out) const override { out.line_width = width_; }
    void describe(property_list& out) const override { out.emplace_back("Width", number(width_)); }
    void save(byte_writer& out, const ref_serials&) const override { out.i32(width_); }
    bool load(byte_reader& in, const ref_lookup&) override
    {
        width_ = in.i32();
        return in.ok();
    }

private:
    LONG width_ = 0;
};

class shape;

// The path a shape hands out: a view of the shape's figures that keeps the shape alive.
class path_view : public com::object_root<path_view, com::automation::dispatch_impl<IZPath>> {
public:
    void init(shape* owner) noexcept;

    HRESULT Rectangle(LONG l, LONG t, LONG r, LONG b) noexcept override;
    HRESULT Ellipse(LONG l, LONG t, LONG r, LONG b) noexcept override;
    HRESULT RoundedRectangle(LONG l, LONG t, LONG r, LONG b, LONG cw, LONG ch) noexcept override;
    HRESULT NewFigure(LONG kind, LONG flags) noexcept override;
    HRESULT SetTransform(float m11, float m12, float m21, float m22, float dx,
                         float dy) noexcept override;
    HRESULT get_FigureCount(LONG* count) noexcept override;

private:
    template <typename... A>
    call_record rec(std::string_view member, const A&... a) const noexcept;
    HRESULT push(path_item item) noexcept;

    shape* owner_ = nullptr;
    com::ComPtr<IUnknown> keep_;
};

class shape : public kind_object<shape, IZShape> {
public:
    HRESULT get_PaintMode(ZeShapePaintMode* v) noexcept override
    {
        auto rec = record("get_PaintMode");
        if (!v) return rec(E_POINTER);
        *v = paint_mode_;
        return rec(S_OK, *v);
    }
    HRESULT put_PaintMode(ZeShapePaintMode v) noexcept override
    {
        auto rec = record("put_PaintMode", v);
        if (v < zeShapePaintStroke || v > zeShapePaintFillStroke) return rec(E_INVALIDARG);
        paint_mode_ = v;
        return rec(S_OK);
    }
    HRESULT get_Path(IZPath** path) noexcept override
    {
        auto rec = record("get_Path");
        if (!path) return rec(E_POINTER);
        *path = nullptr;
        com::ComPtr<path_view> view;
        HRESULT hr = com::make<path_view>(view.put());
        if (FAILED(hr)) return rec(hr);
        view->init(this);
        *path = view.detach();
        return rec(S_OK, part_name("path"));
    }
    HRESULT get_StrokeColor(OLE_COLOR* v) noexcept override
    {
        return get_colour("get_StrokeColor", stroke_, v);
    }
    HRESULT put_StrokeColor(OLE_COLOR v) noexcept override
    {
        auto rec = record("put_StrokeColor", static_cast<ULONG>(v));
        stroke_ = v;
        return rec(S_OK);
    }
    HRESULT get_FillColor(OLE_COLOR* v) noexcept override
    {
        return get_colour("get_FillColor", fill_, v);
    }
    HRESULT put_FillColor(OLE_COLOR v) noexcept override
    {
        auto rec = record("put_FillColor", static_cast<ULONG>(v));
        fill_ = v;
        return rec(S_OK);
    }
    HRESULT get_LineStyle(IZLineStyle** v) noexcept override
    {
        auto rec = record("get_LineStyle");
        if (!v) return rec(E_POINTER);
        line_style_.copy_to(v);
        return rec(S_OK, ref(*v));
    }
    HRESULT putref_LineStyle(IZLineStyle* v) noexcept override
    {
        auto rec = record("putref_LineStyle", ref(v));
        line_style_ = com::ComPtr<IZLineStyle>(v);
        return rec(S_OK);
    }
    HRESULT get_BlendMode(ZeShapeBlendMode* v) noexcept override
    {
        auto rec = record("get_BlendMode");
        if (!v) return rec(E_POINTER);
        *v = blend_;
        return rec(S_OK, *v);
    }
    HRESULT put_BlendMode(ZeShapeBlendMode v) noexcept override
    {
        auto rec = record("put_BlendMode", v);
        if (v != zeShapeBlendNormal && v != zeShapeBlendMultiply) return rec(E_INVALIDARG);
        blend_ = v;
        return rec(S_OK);
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
        out.emplace_back("PaintMode", number(paint_mode_));
        out.emplace_back("Path", path_text());
        out.emplace_back("FigureCount", number(figure_count()));
        out.emplace_back("Transform", transform_text());
        out.emplace_back("StrokeColor", colour(stroke_));
        out.emplace_back("FillColor", colour(fill_));
        out.emplace_back("LineStyle", ctx() ? ctx()->name_of(line_style_.get()) : "");
        out.emplace_back("BlendMode", number(blend_));
        out.emplace_back("Transparency", number(transparency_));
    }
    void save(byte_writer& out, const ref_serials& refs) const override
    {
        out.i32(paint_mode_);
        out.u32(stroke_);
        out.u32(fill_);
        out.u32(refs.serial(line_style_.get()));
        out.i32(blend_);
        out.u16(static_cast<std::uint16_t>(transparency_));
        for (float m : transform_) out.f32(m);
        out.u32(static_cast<std::uint32_t>(items_.size()));
        for (const path_item& item : items_) {
            out.u8(item.op);
            for (LONG v : item.v) out.i32(v);
        }
    }
    bool load(byte_reader& in, const ref_lookup& refs) override
    {
        LONG mode = in.i32();
        stroke_ = in.u32();
        fill_ = in.u32();
        if (!load_ref(in, refs, &line_style_)) return false;
        LONG blend = in.i32();
        transparency_ = static_cast<SHORT>(in.u16());
        for (float& m : transform_) m = in.f32();
        std::uint32_t n = in.u32();
        if (!in.ok() || n > in.left() / 25) return false;
        if (mode < 0 || mode > 2 || blend < 0 || blend > 1) return false;
        paint_mode_ = static_cast<ZeShapePaintMode>(mode);
        blend_ = static_cast<ZeShapeBlendMode>(blend);
        items_.clear();
        items_.reserve(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            path_item item{};
            item.op = in.u8();
            for (LONG& v : item.v) v = in.i32();
            if (item.op < op_rectangle || item.op > op_break) return false;
            items_.push_back(item);
        }
        return in.ok();
    }
    void references(std::vector<IUnknown*>& out) const override
    {
        if (line_style_) out.push_back(line_style_.get());
    }
    void paint(painter& p) const override
    {
        shape_paint s;
        s.paint_mode = paint_mode_;
        s.items = &items_;
        s.transform = transform_;
        s.stroke = stroke_;
        s.fill = fill_;
        if (line_style_) {
            const LONG width = resource_of(line_style_.get()).line_width;
            if (width >= 0) s.line_width = width;
        }
        s.blend = blend_;
        s.transparency = transparency_;
        p.shape(s);
    }
    void drop_references() noexcept override
    {
        host_object::drop_references();
        line_style_ = nullptr;
    }

    std::vector<path_item>& items() noexcept { return items_; }
    float* transform() noexcept { return transform_; }
    LONG figure_count() const noexcept
    {
        LONG count = 0;
        bool open = false;
        for (const path_item& item : items_) {
            if (item.op == op_break) {
                open = false;
            } else if (!open) {
                open = true;
                ++count;
            }
        }
        return count;
    }

private:
    HRESULT get_colour(std::string_view member, OLE_COLOR value, OLE_COLOR* v) noexcept
    {
        auto rec = record(member);
        if (!v) return rec(E_POINTER);
        *v = value;
        return rec(S_OK, static_cast<ULONG>(*v));
    }
    std::string path_text() const
    {
        std::string s;
        for (const path_item& item : items_) {
            if (!s.empty()) s += ' ';
            int n = 4;
            switch (item.op) {
            case op_rectangle: s += "R("; break;
            case op_ellipse: s += "E("; break;
            case op_rounded: s += "Q("; n = 6; break;
            default: s += '|'; n = 0; break;
            }
            for (int i = 0; i < n; ++i) {
                if (i) s += ',';
                s += std::to_string(item.v[i]);
            }
            if (n) s += ')';
        }
        return s;
    }
    std::string transform_text() const
    {
        std::string s;
        for (int i = 0; i < 6; ++i) {
            if (i) s += ',';
            append_value(s, transform_[i]);
        }
        return s;
    }

    ZeShapePaintMode paint_mode_ = zeShapePaintStroke;
    OLE_COLOR stroke_ = 0x000000;
    OLE_COLOR fill_ = 0xFFFFFF;
    com::ComPtr<IZLineStyle> line_style_;
    ZeShapeBlendMode blend_ = zeShapeBlendNormal;
    SHORT transparency_ = 0;
    float transform_[6] = {1, 0, 0, 1, 0, 0};
    std::vector<path_item> items_;
};

void path_view::init(shape* owner) noexcept
{
    owner_ = owner;
    keep_ = com::ComPtr<IUnknown>(owner->unknown());
}

template <typename... A>
call_record path_view::rec(std::string_view member, const A&... a) const noexcept
{
    context* c = owner_->ctx();
    if (!c || !c->log.enabled()) return {};
    try {
        return record_call(c, owner_->page_id(), owner_->name() + ".path", member, a...);
    } catch (...) {
        return {};
    }
}

HRESULT path_view::push(path_item item) noexcept
{
    try {
        owner_->items().push_back(item);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT path_view::Rectangle(LONG l, LONG t, LONG r, LONG b) noexcept
{
    auto record = rec("Rectangle", l, t, r, b);
    return record(push({op_rectangle, {l, t, r, b, 0, 0}}));
}

HRESULT path_view::Ellipse(LONG l, LONG t, LONG r, LONG b) noexcept
{
    auto record = rec("Ellipse", l, t, r, b);
    return record(push({op_ellipse, {l, t, r, b, 0, 0}}));
}

HRESULT path_view::RoundedRectangle(LONG l, LONG t, LONG r, LONG b, LONG cw, LONG ch) noexcept
{
    auto record = rec("RoundedRectangle", l, t, r, b, cw, ch);
    return record(push({op_rounded, {l, t, r, b, cw, ch}}));
}

HRESULT path_view::NewFigure(LONG kind, LONG flags) noexcept
{
    auto record = rec("NewFigure", kind, flags);
    if (kind == zePathBreakNone) return record(S_OK);
    if (kind != zePathBreakFigure) return record(E_INVALIDARG);
    return record(push({op_break, {kind, flags, 0, 0, 0, 0}}));
}

HRESULT path_view::SetTransform(float m11, float m12, float m21, float m22, float dx,
                                float dy) noexcept
{
    auto record = rec("SetTransform", m11, m12, m21, m22, dx, dy);
    float* m = owner_->transform();
    m[0] = m11;
    m[1] = m12;
    m[2] = m21;
    m[3] = m22;
    m[4] = dx;
    m[5] = dy;
    return record(S_OK);
}

HRESULT path_view::get_FigureCount(LONG* count) noexcept
{
    auto record = rec("get_FigureCount");
    if (!count) return record(E_POINTER);
    *count = owner_->figure_count();
    return record(S_OK, *count);
}

}  // namespace

HRESULT make_shape(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept
{
    return make_kind<shape>(ctx, zeKindShape, page_id, out);
}

HRESULT make_line_style(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept
{
    return make_kind<line_style>(ctx, zeKindLineStyle, page_id, out);
}

}  // namespace host
