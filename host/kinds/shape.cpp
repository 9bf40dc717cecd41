// Shapes with their paths, and line styles.
#include <new>
#include <tuple>

#include "host/kinds/property_table.h"
#include "host/output/paint.h"

namespace host {
namespace {

struct line_style_fields {
    LONG width_ = 0;
};
constexpr auto line_style_table = std::tuple{
    field<codec::i32>("Width", &line_style_fields::width_),
};

class line_style
    : public table_kind<line_style, IZLineStyle, line_style_fields, line_style_table> {
public:
    HOST_PROPERTY(Width)

    void resource(resource_info& out) const override { out.line_width = width_; }
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

struct shape_fields {
    ZeShapePaintMode paint_mode_ = zeShapePaintStroke;
    OLE_COLOR stroke_ = 0x000000;
    OLE_COLOR fill_ = 0xFFFFFF;
    com::ComPtr<IZLineStyle> line_style_;
    ZeShapeBlendMode blend_ = zeShapeBlendNormal;
    SHORT transparency_ = 0;
    // Saved after the table's part of the record.
    float transform_[6] = {1, 0, 0, 1, 0, 0};
    std::vector<path_item> items_;
};

LONG figure_count(const shape_fields& f) noexcept
{
    LONG count = 0;
    bool open = false;
    for (const path_item& item : f.items_) {
        if (item.op == op_break) {
            open = false;
        } else if (!open) {
            open = true;
            ++count;
        }
    }
    return count;
}

std::string path_text(const shape_fields& f)
{
    std::string s;
    for (const path_item& item : f.items_) {
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

std::string transform_text(const shape_fields& f)
{
    std::string s;
    for (int i = 0; i < 6; ++i) {
        if (i) s += ',';
        append_value(s, f.transform_[i]);
    }
    return s;
}

std::string figure_count_text(const shape_fields& f) { return number(figure_count(f)); }

bool paint_mode_ok(ZeShapePaintMode v) noexcept
{
    return v >= zeShapePaintStroke && v <= zeShapePaintFillStroke;
}
bool blend_ok(ZeShapeBlendMode v) noexcept
{
    return v == zeShapeBlendNormal || v == zeShapeBlendMultiply;
}

constexpr auto shape_table = std::tuple{
    field<codec::enumeration<ZeShapePaintMode>>("PaintMode", &shape_fields::paint_mode_,
                                                paint_mode_ok, checked::always),
    shown<shape_fields>("Path", path_text),
    shown<shape_fields>("FigureCount", figure_count_text),
    shown<shape_fields>("Transform", transform_text),
    field<codec::colour>("StrokeColor", &shape_fields::stroke_),
    field<codec::colour>("FillColor", &shape_fields::fill_),
    field<codec::reference<IZLineStyle>>("LineStyle", &shape_fields::line_style_),
    field<codec::enumeration<ZeShapeBlendMode>>("BlendMode", &shape_fields::blend_, blend_ok,
                                                checked::always),
    field<codec::i16>("Transparency", &shape_fields::transparency_, percent),
};

class shape : public table_kind<shape, IZShape, shape_fields, shape_table> {
public:
    HOST_PROPERTY(PaintMode)
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
    HOST_PROPERTY(StrokeColor)
    HOST_PROPERTY(FillColor)
    HOST_REF_PROPERTY(LineStyle)
    HOST_PROPERTY(BlendMode)
    HOST_PROPERTY(Transparency)

    void save(byte_writer& out, const ref_serials& refs) const override
    {
        with_table::save(out, refs);
        for (float m : transform_) out.f32(m);
        out.u32(static_cast<std::uint32_t>(items_.size()));
        for (const path_item& item : items_) {
            out.u8(item.op);
            for (LONG v : item.v) out.i32(v);
        }
    }
    bool load(byte_reader& in, const ref_lookup& refs) override
    {
        if (!load_fields(in, refs)) return false;
        for (float& m : transform_) m = in.f32();
        std::uint32_t n = in.u32();
        if (!in.ok() || n > in.left() / 25) return false;
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
    std::vector<path_item>& items() noexcept { return items_; }
    float* transform() noexcept { return transform_; }
    LONG figure_count() const noexcept { return host::figure_count(*this); }
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
