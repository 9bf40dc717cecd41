// A .pjd write and load of a page with elements, with an allocation failing at every position
// and the disk filling at every byte: each gives its code and message, frees what it made,
// and leaves the old file or the empty document as they were. And the largest object id a
// file can hold loads, and saves again.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "contentelements/cnt_note.h"
#include "contentelements/zprint_page.h"
#include "elements/link/link.h"
#include "elements/note/note.h"
#include "host/io/crc32.h"
#include "platform/com/bstr.h"
#include "platform/com/raii.h"
#include "tests/elements/element_support.h"

namespace element_test {
namespace {

std::vector<std::string> folder_entries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Where each chunk of a .pjd file starts (its tag) and how long its payload is.
std::vector<std::pair<std::size_t, std::size_t>> chunks_of(const std::vector<BYTE>& file)
{
    std::vector<std::pair<std::size_t, std::size_t>> chunks;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::size_t length = file[at + 4] | file[at + 5] << 8 | file[at + 6] << 16 |
                                   std::size_t(file[at + 7]) << 24;
        chunks.emplace_back(at, length);
        at += 12 + length;
    }
    return chunks;
}

// The chunks of a .pjd file, the element index's left out.
std::vector<std::vector<BYTE>> without_index(const std::vector<BYTE>& file)
{
    std::vector<std::vector<BYTE>> chunks;
    for (const auto& [at, length] : chunks_of(file))
        if (std::memcmp(&file[at], "DOCO", 4) != 0)
            chunks.emplace_back(file.begin() + long(at), file.begin() + long(at + 12 + length));
    return chunks;
}

class PjdFaultWalk : public page_fixture {
protected:
    void SetUp() override
    {
        page_fixture::SetUp();
        com::ComPtr<IZCntElementNote> note;
        ASSERT_EQ(cnt::create_note(nullptr, IZCntElementNote::iid, note.put_void()), S_OK);
        ASSERT_EQ(doc.attach(1, note.get()), S_OK);
        com::Bstr text(u"Stored ä note");
        ASSERT_EQ(note->put_Text(text.get()), S_OK);
        ASSERT_EQ(note->SetPosition(100, 100, 1500, 600), S_OK);
        com::ComPtr<IZCntElementBase> link;
        ASSERT_EQ(cnt::create_link(nullptr, IZCntElementBase::iid, link.put_void()), S_OK);
        ASSERT_EQ(doc.attach(1, link.get()), S_OK);
        ASSERT_EQ(link->SetPosition(100, 900, 1500, 300), S_OK);
        ASSERT_EQ(doc.save_bytes(&whole), S_OK);
        std::ofstream(target, std::ios::binary) << old_file;
    }
    // The old file is still there, alone: no half-written file and no temporary left behind.
    void expect_old_file_alone()
    {
        EXPECT_EQ(folder_entries(folder), std::vector<std::string>{"doc.pjd"});
        EXPECT_EQ(shell_test::read_all(target), old_file);
    }

    scratch files;
    const std::string folder = files.root(), target = files.path("doc.pjd");
    const std::string old_file = "the file before";
    std::vector<BYTE> whole;
};

TEST_F(PjdFaultWalk, FailedAllocationsLeaveTheOldFile)
{
    const live before;
    const std::uint64_t count = allocations_of([&] { ASSERT_EQ(doc.save(target), S_OK); });
    std::ofstream(target, std::ios::binary | std::ios::trunc) << old_file;
    ASSERT_GT(count, 0u);
    for (std::uint64_t n = 1; n <= count; ++n) {
        SCOPED_TRACE(n);
        std::string message;
        HRESULT hr;
        {
            failing_allocation fault(n);
            hr = doc.save(target, &message);
        }
        EXPECT_EQ(hr, E_OUTOFMEMORY) << message;
        EXPECT_FALSE(message.empty());
        expect_old_file_alone();
    }
    EXPECT_EQ(com::bstr_live_count(), before.strings);
    ASSERT_EQ(doc.save(target), S_OK);
    EXPECT_EQ(shell_test::read_all(target), std::string(whole.begin(), whole.end()));
}

TEST_F(PjdFaultWalk, AFullDiskAtEveryByteLeavesTheOldFile)
{
    for (std::uint64_t limit = 0; limit < whole.size(); ++limit) {
        SCOPED_TRACE(limit);
        std::string message;
        com::fault::limit_writes(limit);
        const HRESULT hr = doc.save(target, &message);
        EXPECT_EQ(com::fault::bytes_written(), limit);
        com::fault::disarm();
        EXPECT_EQ(hr, STG_E_WRITEFAULT);
        EXPECT_NE(message.find("doc.pjd"), std::string::npos) << message;
        expect_old_file_alone();
    }
}

TEST_F(PjdFaultWalk, FailedAllocationsWhileLoadingLeaveTheDocumentEmpty)
{
    const live before;
    const std::uint64_t count = allocations_of([&] {
        host::document probe;
        ASSERT_EQ(host::document::load_bytes(whole.data(), whole.size(), &probe), S_OK);
    });
    for (std::uint64_t n = 1; n <= count; ++n) {
        SCOPED_TRACE(n);
        host::document loaded;
        HRESULT hr;
        {
            failing_allocation fault(n);
            hr = host::document::load_bytes(whole.data(), whole.size(), &loaded);
        }
        // A load may do without what it could not get only if it loses nothing. The element
        // index is the exception: attaching refreshes its records from the elements, and a
        // getter that fails there leaves that value empty.
        if (hr == S_OK) {
            std::vector<BYTE> again;
            ASSERT_EQ(loaded.save_bytes(&again), S_OK);
            EXPECT_EQ(without_index(again), without_index(whole));
        } else {
            EXPECT_EQ(hr, E_OUTOFMEMORY);
            EXPECT_EQ(loaded.page_count(), 0);
        }
    }
    expect_all_freed(before);
}

// A shape made by `list` and added to it: what Add answers.
HRESULT add_shape(IZPageObjectList* list)
{
    com::ComPtr<IDispatch> shape;
    if (HRESULT hr = list->Create(zeKindShape, shape.put()); FAILED(hr)) return hr;
    LONG id = 0;
    return list->Add(*com::Variant::from_dispatch(shape.get()).get(), &id);
}

// The id of the `nth` object chunk (from 0) set to `id`, with its checksum written anew.
void set_object_id(std::vector<BYTE>& file, int nth, LONG id)
{
    for (const auto& [at, length] : chunks_of(file))
        if (std::memcmp(&file[at], "OBJ ", 4) == 0 && nth-- == 0) {
            BYTE* payload = &file[at + 8];
            for (int i = 0; i < 4; ++i) payload[9 + i] = static_cast<BYTE>(std::uint32_t(id) >> (8 * i));
            const std::uint32_t crc = host::crc32(&file[at], 8 + length);
            for (int i = 0; i < 4; ++i) file[at + 8 + length + i] = static_cast<BYTE>(crc >> (8 * i));
            return;
        }
    ADD_FAILURE() << "no object chunk " << nth;
}

TEST(PjdLargestId, AnObjectUnderTheLastIdLoadsSavesAndEndsTheIds)
{
    host::document doc;
    ASSERT_EQ(doc.add_page(1000, 1000, 300), S_OK);
    com::ComPtr<IDispatch> list_dispatch;
    ASSERT_EQ(doc.page_objects(1, list_dispatch.put()), S_OK);
    com::ComPtr<IZPageObjectList> list;
    ASSERT_EQ(list_dispatch->QueryInterface(IZPageObjectList::iid, list.put_void()), S_OK);
    for (int i = 0; i < 2; ++i) ASSERT_EQ(add_shape(list.get()), S_OK);
    std::vector<BYTE> file;
    ASSERT_EQ(doc.save_bytes(&file), S_OK);

    std::vector<BYTE> last = file;
    set_object_id(last, 1, 0x7FFFFFFF);
    host::document loaded;
    ASSERT_EQ(host::document::load_bytes(last.data(), last.size(), &loaded), S_OK);
    std::vector<BYTE> again, third;
    ASSERT_EQ(loaded.save_bytes(&again), S_OK);
    host::document reloaded;
    ASSERT_EQ(host::document::load_bytes(again.data(), again.size(), &reloaded), S_OK);
    ASSERT_EQ(reloaded.save_bytes(&third), S_OK);
    EXPECT_EQ(third, again);
    ASSERT_EQ(loaded.page_objects(1, list_dispatch.put()), S_OK);
    ASSERT_EQ(list_dispatch->QueryInterface(IZPageObjectList::iid, list.put_void()), S_OK);
    EXPECT_EQ(add_shape(list.get()), E_OUTOFMEMORY);  // no id is left to give
    LONG count = 0;
    ASSERT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);

    std::vector<BYTE> twice = last;
    set_object_id(twice, 0, 0x7FFFFFFF);
    host::document refused;
    EXPECT_NE(host::document::load_bytes(twice.data(), twice.size(), &refused), S_OK);
    EXPECT_EQ(refused.page_count(), 0);
}

}  // namespace
}  // namespace element_test
