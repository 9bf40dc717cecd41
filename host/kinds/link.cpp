// Link objects: a URL over a rectangle of the page.
#include "host/kinds/factory.h"
#include "host/kinds/properties.h"
#include "host/kinds/rect_view.h"
#include "host/output/paint.h"

namespace host {
namespace {

class link : public kind_object<link, IZLink> {
public:
    HOST_TEXT_PROPERTY(URL, url_)
    HRESULT get_Rect(IZRect** rect) noexcept override
    {
        auto rec = record("get_Rect");
        return rec(make_rect_view(this, &rect_, rect), part_name("rect"));
    }
    void paint(painter& p) const override
    {
        link_paint l;
        l.url = url_;
        l.rect = {rect_.left, rect_.top, rect_.right, rect_.bottom};
        p.link(l);
    }
    void describe(property_list& out) const override
    {
        out.emplace_back("URL", utf8(url_));
        describe_rect(rect_, out);
    }
    void save(byte_writer& out, const ref_serials&) const override
    {
        out.text(url_);
        save_rect(rect_, out);
    }
    bool load(byte_reader& in, const ref_lookup&) override
    {
        url_ = in.text();
        load_rect(rect_, in);
        return in.ok();
    }

private:
    std::u16string url_;
    rect_data rect_;
};

}  // namespace

HRESULT make_link(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept
{
    return make_kind<link>(ctx, zeKindLink, page_id, out);
}

}  // namespace host
