// Link objects: a URL over a rectangle of the page.
#include <tuple>

#include "host/kinds/property_table.h"
#include "host/output/paint.h"

namespace host {
namespace {

struct link_fields {
    std::u16string url_;
    rect_data rect_;
};
constexpr auto link_table = std::tuple{
    field<codec::text>("URL", &link_fields::url_),
    field<codec::rect>("Rect", &link_fields::rect_),
};

class link : public table_kind<link, IZLink, link_fields, link_table> {
public:
    HOST_PROPERTY(URL)
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
};

}  // namespace

HRESULT make_link(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept
{
    return make_kind<link>(ctx, zeKindLink, page_id, out);
}

}  // namespace host
