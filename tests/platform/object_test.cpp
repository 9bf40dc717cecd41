// The object templates: QueryInterface rules, reference counts, aggregation and child objects.
#include <gtest/gtest.h>

#include "platform/com/com_ptr.h"
#include "platform/com/object.h"
#include "platform/com/objidl.h"
#include "platform/com/result.h"
#include "tests/platform/test_support.h"

namespace {

struct IShape : IUnknown {
    static constexpr IID iid = com::make_guid("{6A1F0001-0000-4000-8000-0000000000A1}");
    using base = IUnknown;
    virtual HRESULT Area(LONG* area) noexcept = 0;
};
struct ISquare : IShape {
    static constexpr IID iid = com::make_guid("{6A1F0002-0000-4000-8000-0000000000A1}");
    using base = IShape;
    virtual HRESULT Side(LONG* side) noexcept = 0;
};
struct IColour : IUnknown {
    static constexpr IID iid = com::make_guid("{6A1F0003-0000-4000-8000-0000000000A1}");
    using base = IUnknown;
    virtual HRESULT Colour(OLE_COLOR* colour) noexcept = 0;
};
struct IOuterOnly : IUnknown {
    static constexpr IID iid = com::make_guid("{6A1F0004-0000-4000-8000-0000000000A1}");
    using base = IUnknown;
    virtual HRESULT Ping() noexcept = 0;
};
// An interface none of these objects implements.
using INever = counted::ICounted;

int g_alive = 0;
int g_final_releases = 0;

class CSquare : public com::object_root<CSquare, ISquare, IColour, IPersistStreamInit> {
public:
    HRESULT Area(LONG* area) noexcept override { return *area = side_ * side_, S_OK; }
    HRESULT Side(LONG* side) noexcept override { return *side = side_, S_OK; }
    HRESULT Colour(OLE_COLOR* colour) noexcept override { return *colour = 0xFF, S_OK; }
    HRESULT GetClassID(CLSID* clsid) noexcept override { return *clsid = CLSID_NULL, S_OK; }
    HRESULT IsDirty() noexcept override { return S_FALSE; }
    HRESULT Load(IStream*) noexcept override { return E_NOTIMPL; }
    HRESULT Save(IStream*, BOOL) noexcept override { return E_NOTIMPL; }
    HRESULT GetSizeMax(ULARGE_INTEGER*) noexcept override { return E_NOTIMPL; }
    HRESULT InitNew() noexcept override { return S_OK; }

    void final_release() noexcept { ++g_final_releases; }

protected:
    explicit CSquare(LONG side = 3) : side_(side) { ++g_alive; }
    ~CSquare() { --g_alive; }

private:
    LONG side_;
};

class CFailing : public com::object_root<CFailing, IShape> {
public:
    HRESULT Area(LONG*) noexcept override { return E_FAIL; }
    HRESULT final_construct() noexcept { return E_ACCESSDENIED; }

protected:
    CFailing() { ++g_alive; }
    ~CFailing() { --g_alive; }
};

class CSolitary : public com::object_root<CSolitary, IShape> {
public:
    static constexpr bool aggregatable = false;
    HRESULT Area(LONG* area) noexcept override { return *area = 1, S_OK; }
};

// An outer object that aggregates a square and answers everything it lacks through it.
class COuter : public com::object_root<COuter, IOuterOnly> {
public:
    HRESULT Ping() noexcept override { return S_OK; }
    HRESULT final_construct() noexcept
    {
        return com::create_instance<CSquare>(identity(), IID_IUnknown, inner_.put_void());
    }
    void final_release() noexcept { inner_.reset(); }
    HRESULT query_interface_fallback(REFIID riid, void** out) noexcept
    {
        return inner_ ? inner_->QueryInterface(riid, out) : E_NOINTERFACE;
    }
    ULONG count() const noexcept { return ref_count_; }

private:
    com::ComPtr<IUnknown> inner_;
};

using counted::references;

template <typename I>
com::ComPtr<I> query(IUnknown* from)
{
    com::ComPtr<I> out;
    EXPECT_EQ(from->QueryInterface(I::iid, out.put_void()), S_OK);
    return out;
}

com::ComPtr<IUnknown> identity_of(IUnknown* p) { return query<IUnknown>(p); }

TEST(QueryInterface, FollowsTheIdentityReflexiveSymmetricAndTransitiveRules)
{
    com::ComPtr<ISquare> square;
    ASSERT_EQ(com::make<CSquare>(square.put()), S_OK);
    auto colour = query<IColour>(square.get());
    auto persist = query<IPersistStreamInit>(colour.get());

    // Identity: every interface gives the same IUnknown.
    EXPECT_EQ(identity_of(square.get()).get(), identity_of(colour.get()).get());
    EXPECT_EQ(identity_of(colour.get()).get(), identity_of(persist.get()).get());
    // Reflexive: asking an interface for itself gives it back.
    EXPECT_EQ(query<IColour>(colour.get()).get(), colour.get());
    // Symmetric and transitive: ISquare → IColour → IPersistStreamInit → ISquare.
    EXPECT_EQ(query<ISquare>(colour.get()).get(), square.get());
    EXPECT_EQ(query<ISquare>(persist.get()).get(), square.get());
    EXPECT_EQ(query<IPersistStreamInit>(square.get()).get(), persist.get());
}

TEST(QueryInterface, AnswersEveryInterfaceOfAnEntrysBaseChainAndRefusesOthers)
{
    com::ComPtr<ISquare> square;
    ASSERT_EQ(com::make<CSquare>(square.put(), 4), S_OK);
    auto shape = query<IShape>(square.get());
    EXPECT_EQ(static_cast<IShape*>(square.get()), shape.get());
    LONG area = 0;
    EXPECT_EQ(shape->Area(&area), S_OK);
    EXPECT_EQ(area, 16);
    auto persist = query<IPersist>(square.get());
    EXPECT_EQ(persist.get(), static_cast<IPersist*>(query<IPersistStreamInit>(square.get()).get()));

    void* out = reinterpret_cast<void*>(0xDEADBEEF);
    EXPECT_EQ(square->QueryInterface(INever::iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(square->QueryInterface(IUnknown::iid, nullptr), E_POINTER);
    shape.reset();
    persist.reset();
    EXPECT_EQ(references(square.get()), 1u) << "failed queries take no reference";
}

TEST(ReferenceCount, StartsAtOneAndDestroysAtZeroOrWhenConstructionFails)
{
    const int alive = g_alive, releases = g_final_releases;
    const LONG locks = com::module_lock_count();
    ISquare* square = nullptr;
    ASSERT_EQ(com::make<CSquare>(&square), S_OK);
    EXPECT_EQ(g_alive, alive + 1);
    EXPECT_EQ(com::module_lock_count(), locks + 1) << "a live object holds a module lock";
    EXPECT_EQ(square->AddRef(), 2u);
    IColour* colour = nullptr;
    ASSERT_EQ(square->QueryInterface(IColour::iid, reinterpret_cast<void**>(&colour)), S_OK);
    EXPECT_EQ(colour->Release(), 2u);
    EXPECT_EQ(square->Release(), 1u);
    EXPECT_EQ(g_final_releases, releases);
    EXPECT_EQ(square->Release(), 0u);
    EXPECT_EQ(g_alive, alive);
    EXPECT_EQ(g_final_releases, releases + 1);
    EXPECT_EQ(com::module_lock_count(), locks);

    // A failing final_construct destroys the object and returns its error.
    IShape* shape = reinterpret_cast<IShape*>(0x1);
    EXPECT_EQ(com::make<CFailing>(&shape), E_ACCESSDENIED);
    EXPECT_EQ(shape, nullptr);
    EXPECT_EQ(g_alive, alive);
    EXPECT_EQ(com::module_lock_count(), locks);
    EXPECT_EQ(com::make<CFailing>(static_cast<IShape**>(nullptr)), E_POINTER);
}

TEST(Aggregation, InnerInterfacesDelegateToTheOuterUnknown)
{
    const int alive = g_alive;
    com::ComPtr<IOuterOnly> outer;
    ASSERT_EQ(com::make<COuter>(outer.put()), S_OK);
    EXPECT_EQ(g_alive, alive + 1) << "the inner square was made";

    auto square = query<ISquare>(outer.get());
    ASSERT_TRUE(square);
    EXPECT_EQ(references(outer.get()), 2u) << "an inner interface's reference counts on the outer";
    EXPECT_EQ(identity_of(square.get()).get(), identity_of(outer.get()).get());
    EXPECT_EQ(query<IOuterOnly>(square.get()).get(), outer.get())
        << "the inner object's QueryInterface reaches the outer's interfaces";
    LONG side = 0;
    EXPECT_EQ(square->Side(&side), S_OK);
    EXPECT_EQ(side, 3);

    square.reset();
    outer.reset();
    EXPECT_EQ(g_alive, alive);
}

// The element tests see aggregation refused for a class that forbids it and for any interface
// but IUnknown.
TEST(Aggregation, NeedsAnOutPointerAndStandAloneCreationIsPlain)
{
    com::ComPtr<IOuterOnly> outer;
    ASSERT_EQ(com::make<COuter>(outer.put()), S_OK);
    EXPECT_EQ(com::create_instance<CSquare>(outer.get(), IID_IUnknown, nullptr), E_POINTER);

    // Without an outer object the same classes are created stand-alone.
    com::ComPtr<IShape> solitary;
    EXPECT_EQ(com::create_instance<CSolitary>(nullptr, IShape::iid, solitary.put_void()), S_OK);
    EXPECT_EQ(references(solitary.get()), 1u);
    EXPECT_EQ(com::create_instance<CSolitary>(nullptr, INever::iid, solitary.put_void()),
              E_NOINTERFACE);
}

// A parent owning a child square through an ordinary owning pointer.
class CParent : public com::object_root<CParent, IOuterOnly> {
public:
    HRESULT Ping() noexcept override { return S_OK; }
    HRESULT final_construct() noexcept
    {
        com::child_object<CSquare>* child = nullptr;
        RETURN_IF_FAILED(com::make_child<CSquare>(identity(), &child));
        child_ = com::ComPtr<ISquare>(child);
        return S_OK;
    }
    ISquare* child() const noexcept { return child_.get(); }

private:
    com::ComPtr<ISquare> child_;
};

TEST(ChildObject, KeepsItsParentAliveOnlyWhileOthersHoldIt)
{
    const int alive = g_alive;
    const LONG locks = com::module_lock_count();
    com::ComPtr<IOuterOnly> parent;
    ASSERT_EQ(com::make<CParent>(parent.put()), S_OK);
    ISquare* child = static_cast<CParent*>(parent.get())->child();
    EXPECT_EQ(references(parent.get()), 1u) << "the child holds no reference of its own";
    EXPECT_EQ(com::module_lock_count(), locks + 1);

    com::ComPtr<ISquare> held(child);
    EXPECT_EQ(references(parent.get()), 2u) << "the second reference to the child holds the parent";
    EXPECT_EQ(com::module_lock_count(), locks + 2) << "and a module lock";

    parent.reset();
    EXPECT_EQ(g_alive, alive + 1) << "the child keeps the parent alive";
    LONG side = 0;
    EXPECT_EQ(held->Side(&side), S_OK);
    held.reset();
    EXPECT_EQ(g_alive, alive) << "releasing the child releases the parent, and the parent it";
    EXPECT_EQ(com::module_lock_count(), locks);
}

TEST(ComPtr, CountsCopiesMovesAndQueries)
{
    com::ComPtr<ISquare> a;
    ASSERT_EQ(com::make<CSquare>(a.put()), S_OK);
    {
        com::ComPtr<ISquare> b = a;
        EXPECT_EQ(references(a.get()), 2u);
        com::ComPtr<ISquare> c = std::move(b);
        EXPECT_FALSE(b);
        EXPECT_EQ(references(a.get()), 2u);
        com::ComPtr<IShape> widened = c;
        EXPECT_EQ(references(a.get()), 3u);
        EXPECT_TRUE(a.try_as<IColour>());
        EXPECT_FALSE(a.try_as<INever>());
        com::ComPtr<INever> never;
        EXPECT_EQ(a.as(&never), E_NOINTERFACE);
    }
    EXPECT_EQ(references(a.get()), 1u);
    ISquare* raw = nullptr;
    EXPECT_EQ(a.copy_to(&raw), S_OK);
    EXPECT_EQ(raw, a.get());
    EXPECT_EQ(references(a.get()), 2u);
    raw->Release();
    EXPECT_EQ(a.copy_to(nullptr), E_POINTER);
    EXPECT_TRUE(com::same_object(a.get(), a.try_as<IColour>().get()));
}

}  // namespace
