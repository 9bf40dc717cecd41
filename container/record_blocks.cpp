// The record blocks; see record_blocks.h.
#include "container/record_blocks.h"

#include <new>

#include "platform/com/fault_switch.h"
#include "platform/com/object.h"

namespace cnt {
namespace {

// A stand-alone record, as com::object makes, whose memory belongs to its block; the block
// holds the module lock for it.
class block_record final : public CZCntElementInfo {
public:
    explicit block_record(record_blocks::block* home) noexcept
        : CZCntElementInfo(true), home_(home)
    {
        give_text_room(room_);
    }
    ~block_record() = default;

    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        return this->internal_query_interface(riid, out);
    }
    ULONG AddRef() noexcept override { return this->internal_add_ref(); }
    ULONG Release() noexcept override;

private:
    record_blocks::block* home_;
    // A description of up to 27 characters, as most are.
    alignas(8) BYTE room_[kTextRoom];
};

// Records in a block: few enough that one kept record pins little memory, many enough that
// the heap is rarely called.
constexpr std::size_t kPerBlock = 64;

}  // namespace

// One module lock for the block rather than one a record: a locked increment waits for the
// record's stores to new memory, which made it the dearest step of making a record.
struct record_blocks::block {
    block() noexcept { com::module_lock(); }
    ~block() { com::module_unlock(); }
    block(const block&) = delete;
    block& operator=(const block&) = delete;

    std::size_t used = 0;
    // The records alive in the block, plus one while the load may still fill it.
    std::size_t holds = 1;
    alignas(block_record) unsigned char storage[kPerBlock][sizeof(block_record)];

    void release() noexcept
    {
        if (--holds == 0) delete this;
    }
};

namespace {

ULONG block_record::Release() noexcept
{
    const ULONG count = this->internal_release();
    if (count == 0) {
        // References taken while releasing must not free the record a second time.
        this->ref_count_ = 1;
        this->internal_final_release();
        record_blocks::block* home = home_;
        this->~block_record();
        home->release();
    }
    return count;
}

}  // namespace

record_blocks::~record_blocks()
{
    if (current_) current_->release();
}

HRESULT record_blocks::make_to_load(CZCntElementInfo** out) noexcept
{
    *out = nullptr;
    if (com::fault::allocation_fails()) return E_OUTOFMEMORY;
    if (!current_ || current_->used == kPerBlock) {
        block* fresh = new (std::nothrow) block;
        if (!fresh) return E_OUTOFMEMORY;
        if (current_) current_->release();
        current_ = fresh;
    }
    auto* created = new (current_->storage[current_->used++]) block_record(current_);
    ++current_->holds;
    created->AddRef();
    const HRESULT hr = created->internal_final_construct();
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *out = created;
    return S_OK;
}

}  // namespace cnt
