// Who keeps whom alive: a field's child objects hold the field and a module lock only while a
// client holds them; independent text attributes live on after their field.
#include <gtest/gtest.h>

#include "fields/parts/parts.h"
#include "platform/com/com.h"

namespace {

using com::ComPtr;

struct IFieldDouble : IUnknown {
    static constexpr IID iid = com::make_guid("{7B2C0F01-0000-4000-8000-0000000000F1}");
    using base = IUnknown;
};

// Owns its two children through its own pointers, as a field does, and counts its lifetime.
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

TEST(PartsChild, AClientHoldingAChildKeepsTheFieldAndTheModuleAlive)
{
    for (bool take_text : {false, true}) {
        SCOPED_TRACE(take_text ? "text attributes" : "appearance");
        const LONG locks = com::module_lock_count();
        const long strings = com::bstr_live_count();
        int alive = 0;
        ComPtr<IFieldDouble> field;
        ASSERT_EQ(com::make<CFieldDouble>(field.put(), &alive), S_OK);
        auto* f = static_cast<CFieldDouble*>(field.get());
        EXPECT_EQ(f->refs(), 1u) << "children the field alone holds hold nothing";
        EXPECT_EQ(com::module_lock_count(), locks + 1) << "the field's own lock";

        IUnknown* child = take_text ? static_cast<IUnknown*>(f->text.get()) : f->appearance.get();
        EXPECT_EQ(child->AddRef(), 2u);
        EXPECT_EQ(f->refs(), 2u) << "the second reference holds the field";
        EXPECT_EQ(com::module_lock_count(), locks + 2) << "and a module lock";
        EXPECT_EQ(child->AddRef(), 3u);
        EXPECT_EQ(child->Release(), 2u);
        EXPECT_EQ(f->refs(), 2u) << "only the step between 1 and 2 counts";

        field.reset();
        EXPECT_EQ(alive, 1) << "the child keeps its field";
        ComPtr<IPersistStreamInit> persist;
        EXPECT_EQ(child->QueryInterface(IPersistStreamInit::iid, persist.put_void()), S_OK);
        EXPECT_EQ(persist->IsDirty(), S_OK);
        persist.reset();
        EXPECT_EQ(child->Release(), 1u) << "the field's reference is what is left";
        EXPECT_EQ(alive, 0) << "which its field, released with it, gives up";
        EXPECT_EQ(com::module_lock_count(), locks);
        EXPECT_EQ(com::bstr_live_count(), strings) << "the children went with their field";
    }
}

TEST(PartsChild, IndependentTextAttributesOutliveTheirFieldAndHoldALock)
{
    const LONG locks = com::module_lock_count();
    ComPtr<IZCntTextAttributes> held;
    {
        int alive = 0;
        ComPtr<IFieldDouble> field;
        ASSERT_EQ(com::make<CFieldDouble>(field.put(), &alive), S_OK);
        ASSERT_EQ(cnt::fields::create_text_attributes(nullptr, held.put()), S_OK);
        EXPECT_EQ(com::module_lock_count(), locks + 2);
    }
    EXPECT_EQ(com::module_lock_count(), locks + 1);
    SHORT size = 0;
    EXPECT_EQ(held->put_FontSize(80), S_OK);
    EXPECT_EQ(held->get_FontSize(&size), S_OK);
    EXPECT_EQ(size, 80);
    held.reset();
    EXPECT_EQ(com::module_lock_count(), locks);
}

}  // namespace
