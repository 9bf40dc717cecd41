// The variant record: every type group written byte by byte and read back, objects behind
// their class id, and the records that end early or hold what cannot be read.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/record_io.h"
#include "fields/parts/variant_record.h"
#include "platform/com/class_factory.h"
#include "tests/core/record_faults.h"

namespace {

using namespace record_faults;
using com::ComPtr;

bytes written(const VARIANT& v, HRESULT expected = S_OK)
{
    ComPtr<IStream> s;
    com::create_memory_stream(s.put());
    EXPECT_EQ(cnt::fields::write_variant(s.get(), v), expected);
    bytes b;
    com::memory_stream_bytes(s.get(), &b);
    return b;
}

// Reads one variant from `record`; *position is where the stream was left.
HRESULT read(const bytes& record, VARIANT* v, ULONGLONG* position = nullptr)
{
    ComPtr<IStream> s;
    com::create_memory_stream(record.data(), record.size(), s.put());
    const HRESULT hr = cnt::fields::read_variant(s.get(), v);
    ULARGE_INTEGER at{};
    s->Seek(LARGE_INTEGER{.QuadPart = 0}, STREAM_SEEK_CUR, &at);
    if (position) *position = at.QuadPart;
    return hr;
}

VARIANT raw_variant(VARTYPE vt, ULONGLONG payload)
{
    VARIANT v;
    std::memset(&v, 0, sizeof v);
    v.vt = vt;
    v.ullVal = payload;
    return v;
}

std::u16string text_of(const VARIANT& v)
{
    com::Variant text;
    if (FAILED(VariantChangeType(text.get(), &v, 0, VT_BSTR))) return u"<no text>";
    return std::u16string(com::bstr_view(text.get()->bstrVal));
}

TEST(PartsVariant, FixedSizeValuesFollowTheirTypeLittleEndian)
{
    struct fixed {
        VARTYPE vt;
        ULONGLONG payload;
        bytes record;
    };
    const fixed cases[] = {
        {VT_I1, 0xFE, {0x10, 0x00, 0xFE}},
        {VT_UI1, 0xAB, {0x11, 0x00, 0xAB}},
        {VT_I2, 0xFFFE, {0x02, 0x00, 0xFE, 0xFF}},
        {VT_BOOL, 0xFFFF, {0x0B, 0x00, 0xFF, 0xFF}},
        {VT_UI2, 0x1234, {0x12, 0x00, 0x34, 0x12}},
        {VT_I4, 5, {0x03, 0x00, 0x05, 0x00, 0x00, 0x00}},
        {VT_R4, 0x3F800000, {0x04, 0x00, 0x00, 0x00, 0x80, 0x3F}},  // 1.0f
        {VT_ERROR, 0x80020004, {0x0A, 0x00, 0x04, 0x00, 0x02, 0x80}},
        {VT_UI4, 0x01020304, {0x13, 0x00, 0x04, 0x03, 0x02, 0x01}},
        {VT_INT, 0xFFFFFFFF, {0x16, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}},
        {VT_UINT, 0x80000000, {0x17, 0x00, 0x00, 0x00, 0x00, 0x80}},
        {VT_R8, 0x3FE0000000000000, {0x05, 0x00, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F}},  // 0.5
        {VT_CY, 12345, {0x06, 0x00, 0x39, 0x30, 0, 0, 0, 0, 0, 0}},
        {VT_DATE, 0x3FF0000000000000, {0x07, 0x00, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},  // 1.0
        {VT_I8, 0x8000000000000001, {0x14, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0x80}},
        {VT_UI8, 0x0102030405060708, {0x15, 0x00, 8, 7, 6, 5, 4, 3, 2, 1}},
    };
    for (const fixed& c : cases) {
        SCOPED_TRACE(c.vt);
        EXPECT_EQ(written(raw_variant(c.vt, c.payload)), c.record);
        com::Variant back;
        ULONGLONG at = 0;
        EXPECT_EQ(read(c.record, back.get(), &at), S_OK);
        EXPECT_EQ(back.get()->vt, c.vt);
        EXPECT_EQ(back.get()->ullVal, c.payload) << "the value alone, nothing beside it";
        EXPECT_EQ(at, c.record.size());

        // One byte short of the value, and a type cut in half.
        bytes short_value(c.record.begin(), c.record.end() - 1);
        EXPECT_EQ(read(short_value, back.get()), E_FAIL);
        EXPECT_EQ(back.get()->vt, VT_EMPTY);
        EXPECT_EQ(read(bytes(c.record.begin(), c.record.begin() + 1), back.get()), E_FAIL);
    }
}

TEST(PartsVariant, EverythingElseIsACountedStringOfItsText)
{
    struct text {
        const char* what;
        com::Variant value;
        std::u16string_view stored;
    };
    DECIMAL one_and_a_half{};
    one_and_a_half.scale = 1;
    one_and_a_half.Lo64 = 15;
    VARIANT decimal;
    std::memset(&decimal, 0, sizeof decimal);
    decimal.decVal = one_and_a_half;
    decimal.vt = VT_DECIMAL;
    text cases[] = {
        {"a string", com::Variant::from_string(u"Wert"), u"Wert"},
        {"an empty variant", com::Variant(), u""},
        {"a decimal", com::Variant(decimal), u"1.5"},
    };
    for (text& c : cases) {
        SCOPED_TRACE(c.what);
        const VARTYPE vt = c.value.get()->vt;
        bytes expected;
        put_u16(expected, vt);
        put_string(expected, c.stored);
        EXPECT_EQ(written(*c.value.get()), expected);
        com::Variant back;
        EXPECT_EQ(read(expected, back.get()), S_OK);
        EXPECT_EQ(back.get()->vt, vt) << "converted back to the recorded type";
        EXPECT_EQ(text_of(*back.get()), c.stored);
    }

    // A null string is count 0 and reads back as null.
    VARIANT null_string = raw_variant(VT_BSTR, 0);
    const bytes null_record{0x08, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(written(null_string), null_record);
    com::Variant back;
    EXPECT_EQ(read(null_record, back.get()), S_OK);
    EXPECT_EQ(back.get()->vt, VT_BSTR);
    EXPECT_EQ(back.get()->bstrVal, nullptr);

    // Any recorded type is accepted: VT_NULL from its text, and a text that does not convert
    // is an error.
    bytes null_type{0x01, 0x00};
    put_string(null_type, u"");
    EXPECT_EQ(read(null_type, back.get()), S_OK);
    EXPECT_EQ(back.get()->vt, VT_NULL);
    bytes not_a_number{0x0E, 0x00};
    put_string(not_a_number, u"abc");
    EXPECT_EQ(read(not_a_number, back.get()), DISP_E_TYPEMISMATCH);
}

TEST(PartsVariant, AnUnreadableStringLeavesTheVariantEmptyAndTheStreamBeforeTheType)
{
    struct broken {
        const char* what;
        bytes record;
        HRESULT result;
    };
    bytes no_terminator{0x08, 0x00};
    put_u32(no_terminator, 4);
    put_u16(no_terminator, u'x');
    bytes too_long{0x13, 0x10};  // a type outside every group
    put_u32(too_long, 0x100001);
    const broken cases[] = {
        {"no count", {0x08, 0x00, 0x02}, E_FAIL},
        {"count 1", {0x08, 0x00, 0x01, 0x00, 0x00, 0x00}, E_FAIL},
        {"no terminator", no_terminator, E_FAIL},
        {"over the limit", too_long, E_ACCESSDENIED},
    };
    for (const broken& c : cases) {
        SCOPED_TRACE(c.what);
        com::Variant back = com::Variant::from_i4(9);
        ULONGLONG at = 99;
        EXPECT_EQ(read(c.record, back.get(), &at), c.result);
        EXPECT_EQ(back.get()->vt, VT_EMPTY);
        EXPECT_EQ(at, 0u) << "moved back over the type";
    }
    EXPECT_EQ(read({}, nullptr), E_POINTER);
    EXPECT_EQ(cnt::fields::write_variant(nullptr, VARIANT{}), E_POINTER);
}

// ---- Objects ----------------------------------------------------------------------------------

constexpr CLSID kStoredClass = com::make_guid("{7B2C0F02-0000-4000-8000-0000000000F2}");
constexpr CLSID kInitOnlyClass = com::make_guid("{7B2C0F03-0000-4000-8000-0000000000F3}");

struct INumber : IUnknown {
    static constexpr IID iid = com::make_guid("{7B2C0F04-0000-4000-8000-0000000000F4}");
    using base = IUnknown;
    virtual LONG& number() noexcept = 0;
};

// A number that persists itself as four bytes, through IPersistStream or IPersistStreamInit.
template <typename Persist, const CLSID& Class>
class CNumber : public com::object_root<CNumber<Persist, Class>, INumber, Persist> {
public:
    LONG& number() noexcept override { return number_; }
    HRESULT GetClassID(CLSID* clsid) noexcept override
    {
        *clsid = Class;
        return S_OK;
    }
    HRESULT IsDirty() noexcept override { return S_FALSE; }
    HRESULT Load(IStream* s) noexcept override { return cnt::record::read_i32(s, &number_); }
    HRESULT Save(IStream* s, BOOL) noexcept override { return cnt::record::write_i32(s, number_); }
    HRESULT GetSizeMax(ULARGE_INTEGER* size) noexcept override
    {
        size->QuadPart = 4;
        return S_OK;
    }
    HRESULT InitNew() noexcept { return S_OK; }

private:
    LONG number_ = 0;
};
using CStoredNumber = CNumber<IPersistStream, kStoredClass>;
using CInitOnlyNumber = CNumber<IPersistStreamInit, kInitOnlyClass>;

class PartsVariantObjects : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(com::register_class_factory<CStoredNumber>(kStoredClass, &cookie_), S_OK);
    }
    void TearDown() override { CoRevokeClassObject(cookie_); }

    template <typename T>
    static ComPtr<INumber> number(LONG value)
    {
        ComPtr<INumber> n;
        EXPECT_EQ(com::make<T>(n.put()), S_OK);
        n->number() = value;
        return n;
    }
    static bytes object_record(VARTYPE vt, REFCLSID clsid, const bytes& tail)
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

    DWORD cookie_ = 0;
};

TEST_F(PartsVariantObjects, AnObjectIsItsClassIdAndItsOwnStream)
{
    const bytes seven{0x07, 0x00, 0x00, 0x00};
    const bytes stored = object_record(VT_UNKNOWN, kStoredClass, seven);
    EXPECT_EQ(written(*com::Variant::from_unknown(number<CStoredNumber>(7).get()).get()), stored);
    EXPECT_EQ(written(*com::Variant::from_unknown(number<CInitOnlyNumber>(7).get()).get()),
              object_record(VT_UNKNOWN, kInitOnlyClass, seven))
        << "IPersistStreamInit serves when IPersistStream is missing";

    com::Variant back;
    ULONGLONG at = 0;
    ASSERT_EQ(read(stored, back.get(), &at), S_OK);
    ASSERT_EQ(back.get()->vt, VT_UNKNOWN);
    ComPtr<INumber> loaded;
    ASSERT_EQ(back.get()->punkVal->QueryInterface(INumber::iid, loaded.put_void()), S_OK);
    EXPECT_EQ(loaded->number(), 7) << "a new object of the class, loaded from the stream";
    EXPECT_EQ(at, stored.size());

    // The object's own stream ends early: its error comes back.
    const bytes cut(stored.begin(), stored.end() - 1);
    EXPECT_EQ(read(cut, back.get()), E_FAIL);
}

TEST_F(PartsVariantObjects, NullObjectsAndUnknownClassesReadAsNullObjects)
{
    const CLSID unknown = com::make_guid("{7B2C0F05-0000-4000-8000-0000000000F5}");
    struct null_case {
        const char* what;
        VARIANT value;  // what is written, or VT_EMPTY for a record given by hand
        bytes record;
        VARTYPE vt;
    };
    const null_case cases[] = {
        {"a null dispatch", raw_variant(VT_DISPATCH, 0), object_record(VT_DISPATCH, CLSID_NULL, {}),
         VT_DISPATCH},
        {"a null unknown", raw_variant(VT_UNKNOWN, 0), object_record(VT_UNKNOWN, CLSID_NULL, {}),
         VT_UNKNOWN},
        {"an unregistered class", raw_variant(VT_EMPTY, 0),
         object_record(VT_DISPATCH, unknown, {1, 2, 3, 4}), VT_DISPATCH},
    };
    for (const null_case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.value.vt != VT_EMPTY) {
            EXPECT_EQ(written(c.value), c.record);
        }
        com::Variant back = com::Variant::from_i4(3);
        EXPECT_EQ(read(c.record, back.get()), S_OK) << "no error";
        EXPECT_EQ(back.get()->vt, c.vt);
        EXPECT_EQ(back.get()->punkVal, nullptr);
    }

    // A class id cut short is the stream's error.
    const bytes cut = object_record(VT_UNKNOWN, CLSID_NULL, {});
    com::Variant back;
    EXPECT_EQ(read(bytes(cut.begin(), cut.end() - 1), back.get()), STG_E_READFAULT);
    EXPECT_EQ(back.get()->punkVal, nullptr);
}

TEST_F(PartsVariantObjects, AnObjectThatCannotPersistItselfIsRefused)
{
    ComPtr<IStream> plain;  // a stream object persists through neither interface
    com::create_memory_stream(plain.put());
    EXPECT_EQ(written(*com::Variant::from_unknown(plain.get()).get(), E_NOINTERFACE),
              (bytes{0x0D, 0x00}));
}

}  // namespace
