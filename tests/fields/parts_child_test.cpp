// Who keeps whom alive: a field's child objects hold the field and a module lock only while a
// client holds them; independent text attributes simply live on. A small field double owns
// the children, as a real field does, and counts its own lifetime.
#include <gtest/gtest.h>

#include <functional>

#include "fields/parts/parts.h"
#include "platform/com/com.h"

namespace {

using com::ComPtr;

struct IFieldDouble : IUnknown {
    static constexpr IID iid = com::make_guid("{7B2C0F01-0000-4000-8000-0000000000F1}");
    using base = IUnknown;
};

// Owns an appearance child and a text attributes child through its own pointers.
class CFieldDouble : public com::object_root<CFieldDouble, IFieldDouble> {
public:
    explicit CFieldDouble(int* alive) noexcept : alive_(alive) { ++*alive_; }
    ~CFieldDouble() { --*alive_; }
    HRESULT final_construct() noexcept
    {
        RETURN_IF_FAILED(cnt::fields::create_appearance_child(identity(), appearance.put()));
        return cnt::fields::create_text_attributes(identity(), text.put());
    }
    ULONG refs() const noexcept { return ref_count_; }

    ComPtr<IZCntFormFieldAppearance> appearance;
    ComPtr<IZCntTextAttributes> text;

private:
    int* alive_;
};

struct field_double {
    int alive = 0;
    ComPtr<IFieldDouble> field;
    field_double() { EXPECT_EQ(com::make<CFieldDouble>(field.put(), &alive), S_OK); }
    CFieldDouble* object() const { return static_cast<CFieldDouble*>(field.get()); }
};

// The two children of a field, as a client would take them.
struct child_kind {
    const char* name;
    std::function<ComPtr<IUnknown>(CFieldDouble*)> take;
    std::function<HRESULT(IUnknown*)> use;  // a call that needs the child alive
};

const child_kind kinds[] = {
    {"appearance", [](CFieldDouble* f) { return ComPtr<IUnknown>(f->appearance.get()); },
     [](IUnknown* c) {
         ComPtr<IZCntFormFieldAppearance> a;
         c->QueryInterface(IZCntFormFieldAppearance::iid, a.put_void());
         return a ? a->put_BorderColor(0x102030) : E_NOINTERFACE;
     }},
    {"text attributes", [](CFieldDouble* f) { return ComPtr<IUnknown>(f->text.get()); },
     [](IUnknown* c) {
         ComPtr<IZCntTextAttributes> t;
         c->QueryInterface(IZCntTextAttributes::iid, t.put_void());
         return t ? t->put_FontSize(120) : E_NOINTERFACE;
     }},
};

TEST(PartsChild, OnlyTheFieldHoldsItsChildrenUntilAClientTakesOne)
{
    const LONG locks = com::module_lock_count();
    const long strings = com::bstr_live_count();
    {
        field_double d;
        EXPECT_EQ(d.object()->refs(), 1u) << "children hold no reference on their field";
        EXPECT_EQ(com::module_lock_count(), locks + 1) << "the field's own lock only";
    }
    EXPECT_EQ(com::module_lock_count(), locks);
    EXPECT_EQ(com::bstr_live_count(), strings) << "the field took its children with it";
}

TEST(PartsChild, AClientHoldingAChildKeepsTheFieldAndTheModuleAlive)
{
    for (const child_kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        const LONG locks = com::module_lock_count();
        const long strings = com::bstr_live_count();
        field_double d;
        ComPtr<IUnknown> child = kind.take(d.object());
        EXPECT_EQ(d.object()->refs(), 2u) << "the second reference holds the field";
        EXPECT_EQ(com::module_lock_count(), locks + 2) << "and a module lock";

        // More references change nothing further; dropping back to two keeps both.
        ComPtr<IUnknown> again;
        EXPECT_EQ(child->QueryInterface(IPersistStreamInit::iid, again.put_void()), S_OK);
        EXPECT_EQ(d.object()->refs(), 2u);
        EXPECT_EQ(com::module_lock_count(), locks + 2);
        again.reset();
        EXPECT_EQ(d.object()->refs(), 2u);

        d.field.reset();
        EXPECT_EQ(d.alive, 1) << "the child keeps its field";
        EXPECT_EQ(kind.use(child.get()), S_OK);
        child.reset();
        EXPECT_EQ(d.alive, 0) << "the last client reference takes the field and the child";
        EXPECT_EQ(com::module_lock_count(), locks);
        EXPECT_EQ(com::bstr_live_count(), strings);
    }
}

TEST(PartsChild, CountsGoThroughOneAndBackAsTheStepsSay)
{
    field_double d;
    IZCntFormFieldAppearance* child = d.object()->appearance.get();
    const LONG locks = com::module_lock_count();
    EXPECT_EQ(child->AddRef(), 2u);
    EXPECT_EQ(child->AddRef(), 3u);
    EXPECT_EQ(com::module_lock_count(), locks + 1);
    EXPECT_EQ(child->Release(), 2u);
    EXPECT_EQ(com::module_lock_count(), locks + 1) << "still held besides the field";
    EXPECT_EQ(child->Release(), 1u);
    EXPECT_EQ(com::module_lock_count(), locks);
    EXPECT_EQ(d.object()->refs(), 1u);
}

TEST(PartsChild, IndependentTextAttributesOutliveTheirFieldAndHoldALock)
{
    const LONG locks = com::module_lock_count();
    const long strings = com::bstr_live_count();
    ComPtr<IZCntTextAttributes> held;
    {
        field_double d;
        ASSERT_EQ(cnt::fields::create_text_attributes(nullptr, held.put()), S_OK);
        EXPECT_EQ(com::module_lock_count(), locks + 2) << "the field's and the attributes' own";
        EXPECT_EQ(d.object()->refs(), 1u);
    }
    EXPECT_EQ(com::module_lock_count(), locks + 1);
    EXPECT_EQ(held->put_FontSize(80), S_OK);
    SHORT size = 0;
    EXPECT_EQ(held->get_FontSize(&size), S_OK);
    EXPECT_EQ(size, 80);
    held.reset();
    EXPECT_EQ(com::module_lock_count(), locks);
    EXPECT_EQ(com::bstr_live_count(), strings);
}

TEST(PartsChild, CreationNeedsAnOutPointer)
{
    EXPECT_EQ(cnt::fields::create_appearance_child(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(cnt::fields::create_text_attributes(nullptr, nullptr), E_POINTER);
}

}  // namespace
