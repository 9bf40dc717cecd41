// Class ids in streams and objects saved behind them: the byte layout, short and failing
// streams, and OleSaveToStream / OleLoadFromStream through the class table.
#include <gtest/gtest.h>

#include <vector>

#include "platform/com/class_factory.h"
#include "platform/com/com_ptr.h"
#include "platform/com/object.h"
#include "platform/com/oaidl.h"
#include "platform/com/result.h"
#include "platform/com/streams.h"
#include "tests/core/record_faults.h"

namespace {

struct IPoint : IUnknown {
    static constexpr IID iid = com::make_guid("{3C1D0001-0000-4000-8000-0000000000C5}");
    using base = IUnknown;
    virtual HRESULT Get(LONG* x, LONG* y) noexcept = 0;
    virtual HRESULT Set(LONG x, LONG y) noexcept = 0;
};

constexpr CLSID kPointClass = com::make_guid("{3C1D0002-0000-4000-8000-0000000000C5}");
constexpr CLSID kPlainClass = com::make_guid("{3C1D0003-0000-4000-8000-0000000000C5}");
constexpr CLSID kUnknownClass = com::make_guid("{3C1D00FF-0000-4000-8000-0000000000C5}");

int g_live_points = 0;

// A point that persists as two little-endian LONGs.
class CPoint : public com::object_root<CPoint, IPoint, IPersistStream> {
public:
    CPoint() { ++g_live_points; }
    ~CPoint() { --g_live_points; }

    HRESULT Get(LONG* x, LONG* y) noexcept override { return *x = x_, *y = y_, S_OK; }
    HRESULT Set(LONG x, LONG y) noexcept override { return x_ = x, y_ = y, S_OK; }

    HRESULT GetClassID(CLSID* clsid) noexcept override
    {
        if (FAILED(class_id_error)) return class_id_error;
        return *clsid = kPointClass, S_OK;
    }
    HRESULT IsDirty() noexcept override { return dirty ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) noexcept override
    {
        LONG xy[2];
        ULONG got = 0;
        RETURN_IF_FAILED(stream->Read(xy, sizeof xy, &got));
        if (got != sizeof xy) return STG_E_READFAULT;
        return Set(xy[0], xy[1]);
    }
    HRESULT Save(IStream* stream, BOOL clear_dirty) noexcept override
    {
        ++saves;
        LONG xy[2] = {x_, y_};
        RETURN_IF_FAILED(stream->Write(xy, sizeof xy, nullptr));
        if (clear_dirty) dirty = false;
        return S_OK;
    }
    HRESULT GetSizeMax(ULARGE_INTEGER* size) noexcept override { return size->QuadPart = 8, S_OK; }

    HRESULT class_id_error = S_OK;
    bool dirty = true;
    int saves = 0;

private:
    LONG x_ = 0, y_ = 0;
};

// A point that cannot be loaded from a stream.
class CPlainPoint : public com::object_root<CPlainPoint, IPoint> {
public:
    CPlainPoint() { ++g_live_points; }
    ~CPlainPoint() { --g_live_points; }
    HRESULT Get(LONG*, LONG*) noexcept override { return E_NOTIMPL; }
    HRESULT Set(LONG, LONG) noexcept override { return E_NOTIMPL; }
};

using record_faults::stream_of;
const auto bytes_of = record_faults::contents;

void rewind(IStream* stream) { stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr); }

const std::vector<BYTE> kDispatchBytes = {0x00, 0x04, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

TEST(ClassStream, ClassIdsAreStoredAsLittleEndianFields)
{
    com::ComPtr<IStream> stream = stream_of({});
    ASSERT_EQ(WriteClassStm(stream.get(), IDispatch::iid), S_OK);
    EXPECT_EQ(bytes_of(stream.get()), kDispatchBytes);

    const CLSID odd = com::make_guid("{12345678-9ABC-DEF0-0102-030405060708}");
    ASSERT_EQ(WriteClassStm(stream.get(), odd), S_OK);
    rewind(stream.get());
    CLSID first{}, second{};
    EXPECT_EQ(ReadClassStm(stream.get(), &first), S_OK);
    EXPECT_EQ(ReadClassStm(stream.get(), &second), S_OK);
    EXPECT_EQ(first, IDispatch::iid);
    EXPECT_EQ(second, odd);
    EXPECT_EQ(bytes_of(stream.get())[16], 0x78);
    EXPECT_EQ(bytes_of(stream.get())[20], 0xBC);
}

TEST(ClassStream, ShortStreamsStreamErrorsAndNullsFail)
{
    for (std::size_t size : {0u, 1u, 15u}) {
        com::ComPtr<IStream> stream =
            stream_of(std::vector<BYTE>(kDispatchBytes.begin(), kDispatchBytes.begin() + size));
        CLSID clsid = kUnknownClass;
        EXPECT_EQ(ReadClassStm(stream.get(), &clsid), STG_E_READFAULT) << size;
        EXPECT_EQ(clsid, kUnknownClass) << "a failed read leaves the id alone";
    }
    com::ComPtr<IStream> inner = stream_of(kDispatchBytes);
    com::ComPtr<IStream> failing;
    com::fault_plan plan{.fail_read_at = 1, .read_error = E_ABORT, .fail_write_at = 1,
                         .write_error = E_ACCESSDENIED};
    ASSERT_EQ(com::create_fault_stream(inner.get(), plan, failing.put()), S_OK);
    CLSID clsid = kUnknownClass;
    EXPECT_EQ(ReadClassStm(failing.get(), &clsid), E_ABORT);
    EXPECT_EQ(clsid, kUnknownClass);
    EXPECT_EQ(WriteClassStm(failing.get(), kPointClass), E_ACCESSDENIED);

    com::ComPtr<IStream> full;
    ASSERT_EQ(com::create_fault_stream(inner.get(), {.write_limit = 10}, full.put()), S_OK);
    EXPECT_EQ(WriteClassStm(full.get(), kPointClass), STG_E_MEDIUMFULL);

    EXPECT_EQ(ReadClassStm(nullptr, &clsid), E_INVALIDARG);
    EXPECT_EQ(ReadClassStm(inner.get(), nullptr), E_INVALIDARG);
    EXPECT_EQ(WriteClassStm(nullptr, kPointClass), E_INVALIDARG);
    EXPECT_EQ(OleSaveToStream(nullptr, nullptr), E_INVALIDARG);
}

class OleStreamPersistence : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(com::register_class_factory<CPoint>(kPointClass, &point_cookie_), S_OK);
        ASSERT_EQ(com::register_class_factory<CPlainPoint>(kPlainClass, &plain_cookie_), S_OK);
        locks_ = com::module_lock_count();
    }
    void TearDown() override
    {
        EXPECT_EQ(g_live_points, 0);
        EXPECT_EQ(com::module_lock_count(), locks_) << "every object made was released";
        EXPECT_EQ(CoRevokeClassObject(point_cookie_), S_OK);
        EXPECT_EQ(CoRevokeClassObject(plain_cookie_), S_OK);
    }

    com::ComPtr<IStream> saved_point(LONG x, LONG y)
    {
        com::ComPtr<IPoint> holder;
        EXPECT_EQ(com::make<CPoint>(holder.put()), S_OK);
        CPoint* point = static_cast<CPoint*>(holder.get());
        point->Set(x, y);
        com::ComPtr<IStream> stream = stream_of({});
        EXPECT_EQ(OleSaveToStream(point, stream.get()), S_OK);
        EXPECT_EQ(point->saves, 1);
        EXPECT_FALSE(point->dirty) << "saved with clear_dirty";
        rewind(stream.get());
        return stream;
    }

    DWORD point_cookie_ = 0;
    DWORD plain_cookie_ = 0;
    LONG locks_ = 0;
};

TEST_F(OleStreamPersistence, SaveFailuresPassThrough)
{
    com::ComPtr<IPoint> holder;
    ASSERT_EQ(com::make<CPoint>(holder.put()), S_OK);
    CPoint* point = static_cast<CPoint*>(holder.get());
    com::ComPtr<IStream> stream = stream_of({});
    point->class_id_error = E_UNEXPECTED;
    EXPECT_EQ(OleSaveToStream(point, stream.get()), E_UNEXPECTED);
    EXPECT_TRUE(bytes_of(stream.get()).empty());
    point->class_id_error = S_OK;
    EXPECT_EQ(OleSaveToStream(nullptr, stream.get()), S_OK) << "no object: the null class id";
    EXPECT_EQ(bytes_of(stream.get()), std::vector<BYTE>(16, 0));

    for (ULONG n : {1u, 2u}) {
        com::ComPtr<IStream> failing;
        ASSERT_EQ(com::create_fault_stream(stream.get(), {.fail_write_at = n}, failing.put()),
                  S_OK);
        EXPECT_EQ(OleSaveToStream(point, failing.get()), STG_E_WRITEFAULT);
    }
    EXPECT_EQ(point->saves, 1) << "Save is not called when the class id could not be written";
    EXPECT_TRUE(point->dirty);
}

TEST_F(OleStreamPersistence, SaveWritesTheClassIdThenTheRecordAndLoadReadsThem)
{
    com::ComPtr<IStream> stream = saved_point(0x01020304, -1);
    const std::vector<BYTE> expected = {0x02, 0x00, 0x1D, 0x3C, 0x00, 0x00, 0x00, 0x40,
                                        0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC5,
                                        0x04, 0x03, 0x02, 0x01, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(bytes_of(stream.get()), expected);
    stream = saved_point(3, -7);
    com::ComPtr<IPoint> point;
    ASSERT_EQ(OleLoadFromStream(stream.get(), IPoint::iid, point.put_void()), S_OK);
    LONG x = 0, y = 0;
    EXPECT_EQ(point->Get(&x, &y), S_OK);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, -7);
    ULARGE_INTEGER at{};
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_CUR, &at);
    EXPECT_EQ(at.QuadPart, 24u) << "the stream is left after the record";
    EXPECT_EQ(g_live_points, 1);
    point->AddRef();
    EXPECT_EQ(point->Release(), 1u) << "the caller holds the only reference";
}

struct load_failure {
    const char* what;
    std::vector<BYTE> bytes;
    IID riid;
    HRESULT expected;
};

TEST_F(OleStreamPersistence, LoadFailuresReleaseWhatWasMadeAndReturnNothing)
{
    auto with_id = [](REFCLSID clsid, std::size_t record) {
        com::ComPtr<IStream> stream = stream_of({});
        WriteClassStm(stream.get(), clsid);
        stream->Write("\x01\x00\x00\x00\x02\x00\x00\x00", static_cast<ULONG>(record), nullptr);
        return bytes_of(stream.get());
    };
    const load_failure cases[] = {
        {"empty stream", {}, IPoint::iid, STG_E_READFAULT},
        {"null class id", std::vector<BYTE>(16, 0), IPoint::iid, REGDB_E_CLASSNOTREG},
        {"unknown class", with_id(kUnknownClass, 8), IPoint::iid, REGDB_E_CLASSNOTREG},
        {"class without IPersistStream", with_id(kPlainClass, 8), IPoint::iid, E_NOINTERFACE},
        {"truncated record", with_id(kPointClass, 5), IPoint::iid, STG_E_READFAULT},
        {"interface the class lacks", with_id(kPointClass, 8), IEnumVARIANT::iid, E_NOINTERFACE},
    };
    for (const load_failure& c : cases) {
        SCOPED_TRACE(c.what);
        com::ComPtr<IStream> stream = stream_of(c.bytes);
        void* object = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(OleLoadFromStream(stream.get(), c.riid, &object), c.expected);
        EXPECT_EQ(object, nullptr);
        EXPECT_EQ(g_live_points, 0);
    }
    com::ComPtr<IStream> stream = stream_of(with_id(kPointClass, 8));
    EXPECT_EQ(OleLoadFromStream(stream.get(), IPoint::iid, nullptr), E_POINTER);
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(OleLoadFromStream(nullptr, IPoint::iid, &object), E_INVALIDARG);
    EXPECT_EQ(object, nullptr);
}

}  // namespace
