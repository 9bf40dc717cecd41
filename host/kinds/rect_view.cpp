// The rectangle view of a host object.
#include "host/kinds/rect_view.h"

namespace host {
namespace {

class rect_view : public com::object_root<rect_view, com::automation::dispatch_impl<IZRect>> {
public:
    void init(host_object* owner, rect_data* data) noexcept
    {
        owner_ = owner;
        keep_ = com::ComPtr<IUnknown>(owner->unknown());
        data_ = data;
    }

    HRESULT get_Left(LONG* v) noexcept override { return get("get_Left", data_->left, v); }
    HRESULT put_Left(LONG v) noexcept override { return put("put_Left", data_->left, v); }
    HRESULT get_Top(LONG* v) noexcept override { return get("get_Top", data_->top, v); }
    HRESULT put_Top(LONG v) noexcept override { return put("put_Top", data_->top, v); }
    HRESULT get_Right(LONG* v) noexcept override { return get("get_Right", data_->right, v); }
    HRESULT put_Right(LONG v) noexcept override { return put("put_Right", data_->right, v); }
    HRESULT get_Bottom(LONG* v) noexcept override { return get("get_Bottom", data_->bottom, v); }
    HRESULT put_Bottom(LONG v) noexcept override { return put("put_Bottom", data_->bottom, v); }

private:
    call_record rec(std::string_view member) const noexcept
    {
        context* c = owner_->ctx();
        if (!c || !c->log.enabled()) return {};
        try {
            return record_call(c, owner_->page_id(), owner_->name() + ".rect", member);
        } catch (...) {
            return {};
        }
    }
    template <typename... A>
    call_record rec(std::string_view member, const A&... a) const noexcept
    {
        context* c = owner_->ctx();
        if (!c || !c->log.enabled()) return {};
        try {
            return record_call(c, owner_->page_id(), owner_->name() + ".rect", member, a...);
        } catch (...) {
            return {};
        }
    }
    HRESULT get(std::string_view member, LONG field, LONG* v) noexcept
    {
        auto r = rec(member);
        if (!v) return r(E_POINTER);
        *v = field;
        return r(S_OK, *v);
    }
    HRESULT put(std::string_view member, LONG& field, LONG v) noexcept
    {
        auto r = rec(member, v);
        field = v;
        return r(S_OK);
    }

    host_object* owner_ = nullptr;
    com::ComPtr<IUnknown> keep_;
    rect_data* data_ = nullptr;
};

}  // namespace

HRESULT make_rect_view(host_object* owner, rect_data* data, IZRect** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    com::ComPtr<rect_view> view;
    RETURN_IF_FAILED(com::make<rect_view>(view.put()));
    view->init(owner, data);
    *out = view.detach();
    return S_OK;
}

void describe_rect(const rect_data& r, property_list& out)
{
    out.emplace_back("Rect.Left", number(r.left));
    out.emplace_back("Rect.Top", number(r.top));
    out.emplace_back("Rect.Right", number(r.right));
    out.emplace_back("Rect.Bottom", number(r.bottom));
}

void save_rect(const rect_data& r, byte_writer& out)
{
    out.i32(r.left);
    out.i32(r.top);
    out.i32(r.right);
    out.i32(r.bottom);
}

void load_rect(rect_data& r, byte_reader& in)
{
    r.left = in.i32();
    r.top = in.i32();
    r.right = in.i32();
    r.bottom = in.i32();
}

}  // namespace host
