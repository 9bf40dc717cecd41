// Damaged element info records: newer versions, truncation at every byte, bad string counts,
// and streams that fail on any call. Each gives its result code and leaves a usable record.
#include "tests/container/support.h"

namespace container_test {
namespace {

class ElementInfoLoad : public Released {};

const info_fields sample{.page_id = 2, .element_id = 3, .description = u"abc", .type = 4,
                         .left = 5, .top = 6, .right = 7, .bottom = 8, .inclination = 9};

ULONGLONG position_of(IStream* s)
{
    ULARGE_INTEGER at{};
    s->Seek(LARGE_INTEGER{.QuadPart = 0}, STREAM_SEEK_CUR, &at);
    return at.QuadPart;
}

TEST_F(ElementInfoLoad, NewerVersionIsRefusedBeforeAnyFieldIsRead)
{
    auto info = new_info();
    info->put_ElementID(41);
    auto s = stream_of(info_record(sample, 2));
    EXPECT_EQ(query<IPersistStreamInit>(info.get())->Load(s.get()), E_UNEXPECTED);
    EXPECT_EQ(position_of(s.get()), 4u);
    EXPECT_EQ(element_id_of(info.get()), 41);
    EXPECT_TRUE(is_dirty(info.get())) << "a refused load does not clear the flag";
}

TEST_F(ElementInfoLoad, OlderVersionZeroReadsTheSameFields)
{
    auto info = new_info();
    EXPECT_EQ(load(info.get(), info_record(sample, 0)), S_OK);
    EXPECT_EQ(element_id_of(info.get()), 3);
}

TEST_F(ElementInfoLoad, TruncationAtEveryByteFailsAndKeepsWhatWasRead)
{
    const bytes whole = info_record(sample);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        auto info = new_info();
        info->put_ElementID(-1);
        const HRESULT hr = load(info.get(), bytes(whole.begin(), whole.begin() + cut));
        EXPECT_EQ(hr, E_FAIL);
        EXPECT_EQ(element_id_of(info.get()), cut >= 12 ? 3 : -1)
            << "fields read before the cut keep their new values";
        // Still usable: it saves and loads a whole record afterwards.
        saved(info.get());
        EXPECT_EQ(load(info.get(), whole), S_OK);
        EXPECT_EQ(saved(info.get()), whole);
    }
}

TEST_F(ElementInfoLoad, BadStringCountsGiveTheirCodesAndRewindToTheCount)
{
    struct damaged {
        ULONG count;
        HRESULT expected;
    };
    for (const damaged& d : {damaged{1, E_FAIL}, damaged{0x100001, E_ACCESSDENIED},
                             damaged{0xFFFFFFFF, E_ACCESSDENIED}, damaged{3000, E_FAIL}}) {
        SCOPED_TRACE(d.count);
        bytes b;
        put_u32(b, 1);
        put_i32(b, 2);
        put_i32(b, 3);
        put_u32(b, d.count);
        b.insert(b.end(), 40, 0x41);
        auto info = new_info();
        auto s = stream_of(b);
        EXPECT_EQ(query<IPersistStreamInit>(info.get())->Load(s.get()), d.expected);
        EXPECT_EQ(position_of(s.get()), 12u);
        com::Bstr text(u"x");
        info->get_Description(text.put());
        EXPECT_TRUE(text.is_null());
    }
}

TEST_F(ElementInfoLoad, NonZeroTerminatorIsRefused)
{
    bytes b = info_record(sample);
    b[12 + 4 + 6] = 1;  // low byte of the terminator after "abc"
    auto info = new_info();
    EXPECT_EQ(load(info.get(), b), E_FAIL);
}

TEST_F(ElementInfoLoad, CountAtTheLimitIsAccepted)
{
    bytes b;
    put_u32(b, 1);
    put_i32(b, 1);
    put_i32(b, 1);
    put_u32(b, 0x100000);
    b.insert(b.end(), 0x100000, 0);
    b[16] = 'z';
    b.insert(b.end(), 22, 0);
    auto info = new_info();
    ASSERT_EQ(load(info.get(), b), S_OK);
    com::Bstr text;
    info->get_Description(text.put());
    EXPECT_EQ(text.length(), (0x100000u - 2) / 2);
    EXPECT_EQ(text.view()[0], u'z');
}

TEST_F(ElementInfoLoad, EveryFailingReadIsReturnedAsIs)
{
    const bytes whole = info_record(sample);
    for (ULONG n = 1;; ++n) {
        SCOPED_TRACE(n);
        com::ComPtr<IStream> faulty;
        com::fault_plan plan;
        plan.fail_read_at = n;
        ASSERT_EQ(com::create_fault_stream(stream_of(whole).get(), plan, faulty.put()), S_OK);
        auto info = new_info();
        const HRESULT hr = query<IPersistStreamInit>(info.get())->Load(faulty.get());
        com::fault_counts counts;
        com::fault_stream_counts(faulty.get(), &counts);
        if (counts.reads < n) {
            EXPECT_EQ(hr, S_OK) << "every read done, none failed";
            EXPECT_EQ(saved(info.get()), whole);
            break;
        }
        EXPECT_EQ(hr, STG_E_READFAULT);
    }
}

TEST_F(ElementInfoLoad, EveryFailingWriteStopsSaveAndKeepsTheDirtyFlag)
{
    auto info = new_info();
    ASSERT_EQ(load(info.get(), info_record(sample)), S_OK);
    for (ULONG n = 1;; ++n) {
        SCOPED_TRACE(n);
        info->put_PageID(2);
        com::ComPtr<IStream> inner, faulty;
        com::create_memory_stream(inner.put());
        com::fault_plan plan;
        plan.fail_write_at = n;
        ASSERT_EQ(com::create_fault_stream(inner.get(), plan, faulty.put()), S_OK);
        const HRESULT hr = query<IPersistStreamInit>(info.get())->Save(faulty.get(), TRUE);
        com::fault_counts counts;
        com::fault_stream_counts(faulty.get(), &counts);
        if (counts.writes < n) {
            EXPECT_EQ(hr, S_OK);
            EXPECT_FALSE(is_dirty(info.get()));
            EXPECT_EQ(contents(inner.get()), info_record(sample));
            break;
        }
        EXPECT_EQ(hr, STG_E_WRITEFAULT);
        EXPECT_TRUE(is_dirty(info.get()));
        EXPECT_EQ(counts.writes, n) << "nothing is written after the failure";
    }
}

TEST_F(ElementInfoLoad, NullStreamIsRefused)
{
    auto persist = query<IPersistStreamInit>(new_info().get());
    EXPECT_EQ(persist->Load(nullptr), E_POINTER);
    EXPECT_EQ(persist->Save(nullptr, TRUE), E_POINTER);
}

}  // namespace
}  // namespace container_test
