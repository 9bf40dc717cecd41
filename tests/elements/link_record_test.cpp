// The link element without a host: its record byte for byte, its own setters and getters,
// and CopyTo of the link data.
#include <gtest/gtest.h>

#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "contentelements/cnt_link.h"
#include "elements/link/link.h"
#include "tests/elements/element_support.h"

namespace element_test {
namespace {

com::ComPtr<IZCntElementLink> new_link() { return made_by<IZCntElementLink>(cnt::create_link); }

// version, bounds, URL, border colour, shadow, description, page object ids
bytes link_record(ULONG version, std::vector<LONG> bounds, std::u16string_view url,
                  OLE_COLOR colour, SHORT shadow, std::u16string_view description,
                  const std::vector<LONG>& ids)
{
    bytes out;
    put_u32(out, version);
    for (LONG v : bounds) put_u32(out, static_cast<ULONG>(v));
    put_string(out, url);
    put_u32(out, colour);
    put_u16(out, static_cast<USHORT>(shadow));
    put_string(out, description);
    put_ids(out, ids);
    return out;
}

TEST(LinkRecord, LoadRestoresEveryFieldAndSavesTheSameBytes)
{
    for (ULONG version : {1u, 0u}) {
        SCOPED_TRACE(version);
        const bytes record = link_record(version, {10, 20, -5, 40}, u"https://example.org/ä",
                                         0x00FF8000, -1, u"Product page", {12, 0, 14});
        auto link = new_link();
        ASSERT_EQ(load(link.get(), record), S_OK);
        EXPECT_EQ(position(link.get()), (std::vector<LONG>{10, 20, -15, 20}));
        com::Bstr url;
        OLE_COLOR colour = 0;
        VARIANT_BOOL shadow = 0;
        ASSERT_EQ(link->get_LinkURL(url.put()), S_OK);
        ASSERT_EQ(link->get_BorderColor(&colour), S_OK);
        ASSERT_EQ(link->get_Shadow(&shadow), S_OK);
        EXPECT_EQ(url.view(), u"https://example.org/ä");
        EXPECT_EQ((std::pair{colour, shadow}), (std::pair<OLE_COLOR, VARIANT_BOOL>{0x00FF8000, -1}));
        EXPECT_EQ(page_object_ids(link.get()), (std::vector<LONG>{12, 0, 14}));
        EXPECT_EQ(saved(link.get()), link_record(1, {10, 20, -5, 40}, u"https://example.org/ä",
                                                 0x00FF8000, -1, u"Product page", {12, 0, 14}));
    }
}

TEST(LinkRecord, ANewLinkSavesItsDefaultsAndANullUrlIsCountZeroAndComesBackNull)
{
    auto link = new_link();
    bytes expected = link_record(1, {0, 0, 0, 0}, u"", 0xFFFFFFFF, 0, u"", {});
    EXPECT_EQ(saved(link.get()), expected);
    ASSERT_EQ(link->put_LinkURL(nullptr), S_OK);
    // The defaults, but the URL is its count alone: 0 instead of 2 and a terminator.
    expected[20] = 0;
    expected.erase(expected.begin() + 24, expected.begin() + 26);
    const bytes record = saved(link.get());
    EXPECT_EQ(record, expected);
    auto other = new_link();
    ASSERT_EQ(load(other.get(), record), S_OK);
    com::Bstr url(u"x");
    ASSERT_EQ(other->get_LinkURL(url.put()), S_OK);
    EXPECT_TRUE(url.is_null());
}

TEST(LinkProperties, GettersRefuseNullAndEverySetterDirtiesEvenWithTheSameValue)
{
    auto link = new_link();
    EXPECT_EQ(link->get_LinkURL(nullptr), E_POINTER);
    EXPECT_EQ(link->get_BorderColor(nullptr), E_POINTER);
    EXPECT_EQ(link->get_Shadow(nullptr), E_POINTER);
    com::Bstr url(u"");
    const std::vector<std::pair<const char*, std::function<HRESULT()>>> setters = {
        {"LinkURL", [&] { return link->put_LinkURL(url.get()); }},
        {"BorderColor", [&] { return link->put_BorderColor(0xFFFFFFFF); }},
        {"Shadow", [&] { return link->put_Shadow(0); }},
        {"SetLinkData", [&] { return link->SetLinkData(url.get(), 0xFFFFFFFF, 0); }},
    };
    for (const auto& [name, set] : setters) {
        SCOPED_TRACE(name);
        saved(link.get());
        EXPECT_EQ(set(), S_OK);
        EXPECT_TRUE(is_dirty(link.get()));
    }
}

TEST(LinkCopy, CopiesDescriptionAndLinkData)
{
    auto from = new_link();
    auto to = new_link();
    com::Bstr url(u"https://example.org"), description(u"the source");
    from->SetLinkData(url.get(), 0x123456, -1);
    from->put_Description(description.get());
    ASSERT_EQ(from->CopyTo(to.get()), S_OK);
    // Neither has a position, so the copy saves what the source saves.
    EXPECT_EQ(saved(to.get()), saved(from.get()));
}

}  // namespace
}  // namespace element_test
