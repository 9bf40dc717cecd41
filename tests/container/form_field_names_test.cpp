// Automatic names of unnamed form fields: "f1", "f2", … from the container's next field
// number, kept across a save and reload, and the field's report back during naming.
#include "tests/container/support.h"

namespace container_test {
namespace {

class FieldNames : public Released {};

std::u16string name_of(const field_ref& f) { return std::u16string(f->name.view()); }

TEST_F(FieldNames, UnnamedFieldsAreNumberedAndNamedOnesKeepTheirNames)
{
    auto c = new_container();
    std::vector<field_ref> fields;
    for (int i = 0; i < 3; ++i) fields.push_back(make_field(u""));
    fields.push_back(make_field(u"Customer"));
    fields.push_back(make_field(u"", /*null_name=*/true));
    for (std::size_t i = 0; i < fields.size(); ++i)
        ASSERT_EQ(c->AddElement(1, static_cast<LONG>(i + 1), fields[i].base()), S_OK);
    std::vector<std::u16string> names;
    for (const field_ref& f : fields) names.push_back(name_of(f));
    EXPECT_EQ(names, (std::vector<std::u16string>{u"f1", u"f2", u"f3", u"Customer", u"f4"}))
        << "a null name counts as empty; the named one used no number";
    EXPECT_EQ(fields[3]->name_puts, 0);
}

TEST_F(FieldNames, TheNumberSurvivesSaveAndLoadAndOnlyAVersionTwoStreamSetsIt)
{
    auto c = new_container();
    auto name_next = [&](LONG page, LONG id) {
        auto f = make_field(u"");
        EXPECT_EQ(c->AddElement(page, id, f.base()), S_OK);
        return name_of(f);
    };
    for (LONG id = 1; id <= 4; ++id) name_next(1, id);
    const bytes record = saved(c.get());
    c = new_container();
    ASSERT_EQ(load(c.get(), record), S_OK);
    EXPECT_EQ(name_next(2, 1), u"f5");

    info_fields r{.page_id = 9, .element_id = 1, .right = 5, .bottom = 5};
    ASSERT_EQ(load(c.get(), container_record({r}, 0, 1)), S_OK);
    EXPECT_EQ(name_next(9, 2), u"f6") << "a version 1 stream keeps the current number";
    ASSERT_EQ(load(c.get(), container_record({}, 41)), S_OK);
    EXPECT_EQ(name_next(9, 3), u"f41");
    ASSERT_EQ(load(c.get(), container_record({}, -3)), S_OK);
    EXPECT_EQ(name_next(1, 1), u"f-3") << "a negative number is written with its sign";
}

TEST_F(FieldNames, RefreshingAKnownFieldNamesNothing)
{
    auto c = new_container();
    auto f = make_field(u"");
    c->AddElement(1, 1, f.base());
    f->name = com::Bstr(u"");
    ASSERT_EQ(c->AddElement(1, 1, f.base()), S_OK);
    EXPECT_EQ(name_of(f), u"") << "an existing record is refreshed only";
    ASSERT_EQ(c->UpdateElement(1, 1, f.base()), S_OK);
    EXPECT_EQ(name_of(f), u"");
    auto g = make_field(u"");
    c->AddElement(1, 2, g.base());
    EXPECT_EQ(name_of(g), u"f2");
}

TEST_F(FieldNames, FieldReportingBackWhileNamedIsFiledOnce)
{
    auto c = new_container();
    auto f = make_field(u"");
    IZCntElementContainer* container = c.get();
    IZCntElementBase* me = f.base();
    f->on_name_put = [container, me] { container->UpdateElement(6, 1, me); };
    f->values.description = u"before";
    ASSERT_EQ(c->AddElement(6, 1, f.base()), S_OK);
    EXPECT_EQ(count_of(c.get()), 1) << "the update found the record filed before the name was set";
    EXPECT_EQ(f->description_reads, 2) << "filled at filing and refreshed by the update";
    f->on_name_put = nullptr;
}

TEST_F(FieldNames, NamingMarksTheContainerDirty)
{
    auto c = new_container();
    auto f = make_field(u"");
    c->AddElement(1, 1, f.base());
    EXPECT_TRUE(is_dirty(c.get()));
    const bytes record = saved(c.get());
    ASSERT_GE(record.size(), 4u);
    EXPECT_EQ(bytes(record.end() - 4, record.end()), (bytes{2, 0, 0, 0}))
        << "the next field number is written last";
}

}  // namespace
}  // namespace container_test
