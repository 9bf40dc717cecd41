// The variant record: every type group written byte by byte and read back, objects behind
// their class id, and records that end early or hold what cannot be read.
#include <gtest/gtest.h>

#include <cstring>

#include "core/record_io.h"
#include "fields/parts/variant_record.h"
#include "platform/com/class_factory.h"
#include "tests/core/record_faults.h"

namespace {

using namespace record_faults;
using com::ComPtr;

bytes written(const VARIANT& v)
{
    ComPtr<IStream> s;
    com::create_memory_stream(s.put());
    EXPECT_EQ(cnt::fields::write_variant(s.get(), v), S_OK);
    return contents(s.get());
}

// Reads one variant from `record`; *position is where the stream was left.
HRESULT read(const bytes& record, VARIANT* v, ULONGLONG* position = nullptr)
{
    ComPtr<IStream> s = stream_of(record);
    const HRESULT hr = cnt::fields::read_variant(s.get(), v);
    if (position) *position = position_in(s.get());
    return hr;
}

VARIANT raw(VARTYPE vt, ULONGLONG payload)
{
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    v.vt = vt;
    v.ullVal = payload;
    return v;
}

TEST(PartsVariant, EachGroupIsWrittenAfterTheTypeAndReadBack)
{
    struct value {
        VARIANT v;
        bytes record;
    };
    bytes text{0x08, 0x00}, empty{0x00, 0x00};
    put_string(text, u"Wert");
    put_string(empty, u"");  // an empty variant is the empty string
    const com::Variant wert = com::Variant::from_string(u"Wert");
    const value cases[] = {
        {raw(VT_I1, 0xFE), {0x10, 0x00, 0xFE}},
        {raw(VT_BOOL, 0xFFFF), {0x0B, 0x00, 0xFF, 0xFF}},
        {raw(VT_UI2, 0x1234), {0x12, 0x00, 0x34, 0x12}},
        {raw(VT_I4, 5), {0x03, 0x00, 0x05, 0x00, 0x00, 0x00}},
        {raw(VT_R4, 0x3F800000), {0x04, 0x00, 0x00, 0x00, 0x80, 0x3F}},
        {raw(VT_ERROR, 0x80020004), {0x0A, 0x00, 0x04, 0x00, 0x02, 0x80}},
        {raw(VT_UINT, 0x80000000), {0x17, 0x00, 0x00, 0x00, 0x00, 0x80}},
        {raw(VT_R8, 0x3FE0000000000000), {0x05, 0x00, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F}},
        {raw(VT_CY, 12345), {0x06, 0x00, 0x39, 0x30, 0, 0, 0, 0, 0, 0}},
        {raw(VT_UI8, 0x0102030405060708), {0x15, 0x00, 8, 7, 6, 5, 4, 3, 2, 1}},
        {*wert.get(), text},
        {raw(VT_EMPTY, 0), empty},
        {raw(VT_BSTR, 0), {0x08, 0x00, 0x00, 0x00, 0x00, 0x00}},  // null stays null
    };
    for (const value& c : cases) {
        SCOPED_TRACE(c.v.vt);
        EXPECT_EQ(written(c.v), c.record);
        com::Variant back;
        ULONGLONG at = 0;
        EXPECT_EQ(read(c.record, back.get(), &at), S_OK);
        EXPECT_EQ(at, c.record.size());
        EXPECT_EQ(written(*back.get()), c.record) << "the same type and value";
        if (c.v.vt != VT_BSTR) {
            EXPECT_EQ(back->ullVal, c.v.ullVal) << "nothing beside the value";
        }
        if (c.record.size() > 6) continue;  // the string group
        EXPECT_EQ(read(bytes(c.record.begin(), c.record.end() - 1), back.get()), E_FAIL);
        EXPECT_EQ(back->vt, VT_EMPTY);
    }

    // A text is converted back to any recorded type; one that does not convert is an error.
    com::Variant back;
    bytes decimal{0x0E, 0x00};
    put_string(decimal, u"1.5");
    EXPECT_EQ(read(decimal, back.get()), S_OK);
    EXPECT_EQ(back->vt, VT_DECIMAL);
    EXPECT_EQ(written(*back.get()), decimal);
    bytes not_a_number{0x0E, 0x00};
    put_string(not_a_number, u"abc");
    EXPECT_EQ(read(not_a_number, back.get()), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(read({0x03}, back.get()), E_FAIL) << "a type cut short";
}

TEST(PartsVariant, AnUnreadableStringLeavesTheVariantEmptyAndTheStreamBeforeTheType)
{
    bytes no_terminator{0x08, 0x00}, too_long{0x01, 0x00};
    put_u32(no_terminator, 4);
    put_u16(no_terminator, u'x');
    put_u32(too_long, 0x100001);
    const std::pair<bytes, HRESULT> cases[] = {
        {{0x08, 0x00, 0x02}, E_FAIL},
        {{0x08, 0x00, 0x01, 0x00, 0x00, 0x00}, E_FAIL},
        {no_terminator, E_FAIL},
        {too_long, E_ACCESSDENIED},
    };
    for (const auto& [record, result] : cases) {
        com::Variant back = com::Variant::from_i4(9);
        ULONGLONG at = 99;
        EXPECT_EQ(read(record, back.get(), &at), result);
        EXPECT_EQ(back->vt, VT_EMPTY);
        EXPECT_EQ(at, 0u) << "moved back over the type";
    }
}

constexpr CLSID kNumberClass = com::make_guid("{7B2C0F02-0000-4000-8000-0000000000F2}");

struct INumber : IUnknown {
    static constexpr IID iid = com::make_guid("{7B2C0F04-0000-4000-8000-0000000000F4}");
    using base = IUnknown;
    virtual LONG& number() noexcept = 0;
};

// A number that persists itself as four bytes.
class CNumber : public com::object_root<CNumber, INumber, IPersistStream> {
public:
    LONG& number() noexcept override { return number_; }
    HRESULT GetClassID(CLSID* clsid) noexcept override { return *clsid = kNumberClass, S_OK; }
    HRESULT IsDirty() noexcept override { return S_FALSE; }
    HRESULT Load(IStream* s) noexcept override { return cnt::record::read_i32(s, &number_); }
    HRESULT Save(IStream* s, BOOL) noexcept override { return cnt::record::write_i32(s, number_); }
    HRESULT GetSizeMax(ULARGE_INTEGER*) noexcept override { return E_NOTIMPL; }

private:
    LONG number_ = 0;
};

bytes object_record(VARTYPE vt, REFCLSID clsid, const bytes& tail)
{
    bytes b;
    put_u16(b, vt);
    put_u32(b, clsid.Data1);
    put_u16(b, clsid.Data2);
    put_u16(b, clsid.Data3);
    b.insert(b.end(), clsid.Data4, clsid.Data4 + 8);
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

TEST(PartsVariant, AnObjectIsItsClassIdAndItsOwnStream)
{
    DWORD cookie = 0;
    ASSERT_EQ(com::register_class_factory<CNumber>(kNumberClass, &cookie), S_OK);
    ComPtr<INumber> seven;
    ASSERT_EQ(com::make<CNumber>(seven.put()), S_OK);
    seven->number() = 7;
    const bytes stored = object_record(VT_UNKNOWN, kNumberClass, {7, 0, 0, 0});
    EXPECT_EQ(written(*com::Variant::from_unknown(seven.get()).get()), stored);
    com::Variant back;
    ULONGLONG at = 0;
    ASSERT_EQ(read(stored, back.get(), &at), S_OK);
    ComPtr<INumber> loaded;
    ASSERT_EQ(back->punkVal->QueryInterface(INumber::iid, loaded.put_void()), S_OK);
    EXPECT_NE(loaded.get(), seven.get());
    EXPECT_EQ(loaded->number(), 7) << "a new object of the class, loaded from the stream";
    EXPECT_EQ(at, stored.size());
    EXPECT_EQ(read(bytes(stored.begin(), stored.end() - 1), back.get()), E_FAIL);
    CoRevokeClassObject(cookie);

    // Null objects are the null class id alone; an unregistered class reads as a null object.
    EXPECT_EQ(written(raw(VT_DISPATCH, 0)), object_record(VT_DISPATCH, CLSID_NULL, {}));
    for (const bytes& record : {object_record(VT_DISPATCH, CLSID_NULL, {}), stored}) {
        EXPECT_EQ(read(record, back.get()), S_OK) << "no error";
        EXPECT_EQ(back->vt, record[0]);
        EXPECT_EQ(back->punkVal, nullptr);
    }

    ComPtr<IStream> plain;  // persists through neither interface
    com::create_memory_stream(plain.put());
    ComPtr<IStream> out;
    com::create_memory_stream(out.put());
    EXPECT_EQ(cnt::fields::write_variant(out.get(), *com::Variant::from_unknown(plain.get()).get()),
              E_NOINTERFACE);
}

}  // namespace
