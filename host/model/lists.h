// The page object list and the resource list of a page: ids, order and membership of a list,
// and the list interfaces. The lists live inside their page and share its reference count, so
// that holding a list keeps its page alive.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "contentelements/zprint_page.h"
#include "host/model/call_record.h"

namespace host {

class page;
class host_object;

struct list_entry {
    LONG id = 0;
    com::ComPtr<IUnknown> identity;
    // The id, in the same page object list, of the element that made or added this object
    // through the lists it was given at Attach; 0 when no element is known to have made it.
    LONG maker = 0;
    // The host object behind identity, found once when it was listed; null for an element.
    host_object* host = nullptr;
};

// The ids, order and membership of one list. Ids count up from 1 and are never given twice.
// A page's lists are short: they are searched in place, and only a long list gets indexes
// from identities to ids and from ids to places.
class list_core {
public:
    // An object already in the list keeps its id.
    HRESULT add(context& ctx, IUnknown* object, placement where, const char* foreign, LONG* id) noexcept;
    // Puts an object back under the id it was saved with (loading a .pjd).
    HRESULT insert(context& ctx, IUnknown* object, placement where, const char* foreign, LONG id) noexcept;
    // Keeps an object known without an id. Host objects kept so that nothing else holds them
    // any more (a note's clip frame after the note has rebuilt) are let go now and then.
    HRESULT keep(IUnknown* object, placement where) noexcept;
    HRESULT remove(context& ctx, LONG id) noexcept;
    HRESULT order(LONG id, LONG after) noexcept;
    const list_entry* find(LONG id) const noexcept;
    // Notes which element made a listed object; an id not listed is left alone.
    void set_maker(LONG id, LONG maker) noexcept;
    void clear(context& ctx) noexcept;
    // The page the list belongs to, by number, and which of its lists it is (0 page objects,
    // 1 resources): what it lists is noted in the context's holders from then on.
    void set_owner(LONG page_number, int which) noexcept
    {
        owner_ = page_number;
        which_ = which;
    }

    // In order, without the places removals left: those are closed up first.
    const std::vector<list_entry>& entries() noexcept
    {
        close_up();
        return entries_;
    }
    std::size_t size() const noexcept { return entries_.size() - holes_; }
    const std::vector<list_entry>& unlisted() const noexcept { return unlisted_; }
    LONG next_id() const noexcept { return next_id_; }
    void set_next_id(LONG next) noexcept { next_id_ = next; }
    // Room for `count` more entries, made at once; without memory the list grows as before.
    void reserve(std::size_t count) noexcept;

    // The id of a listed identity; 0 when it is not in the list.
    LONG id_of(IUnknown* identity) const noexcept;

private:
    bool is_kept(IUnknown* identity) const noexcept;
    // Build the indexes once the lists have grown long.
    void index_if_long() noexcept;
    // The place of an id in entries_; entries_.size() when it is not listed.
    std::size_t place_of(LONG id) const noexcept;
    void note_move(std::size_t from, std::size_t to) noexcept;
    void renumber() noexcept;
    // Drops the places removals left, keeping the order.
    void close_up() noexcept;
    void index_kept_if_long() noexcept;
    void drop_unused_kept() noexcept;
    void note_listed(context& ctx, LONG id) noexcept;
    void note_unlisted(context& ctx, LONG id) noexcept;

    // A removal leaves its place empty (id 0, no identity) rather than shift every entry after
    // it; the places are closed up before the entries are read, or once they outnumber the
    // listed, so that removing from a long list in any order costs a step each.
    std::vector<list_entry> entries_;
    std::size_t holes_ = 0;
    std::size_t first_hole_ = 0;  // no empty place comes before it
    std::vector<list_entry> unlisted_;
    // The indexes of a long list, made when it grows long (an empty map costs a page's list
    // more than its entries).
    std::unique_ptr<std::unordered_map<IUnknown*, LONG>> ids_;
    // Id → place in entries_, beside ids_. A move or closing up shifts the entries after it;
    // rather than write each one's place anew, the shift is kept in moves_, and a place
    // written at moves_[epoch] is brought up to date by the moves after it. Once moves_ is
    // full the places from the first shifted entry on are written anew.
    struct placed {
        std::size_t at;
        std::uint32_t epoch;
    };
    struct move {
        std::size_t from, to;
    };
    static constexpr std::size_t kGone = static_cast<std::size_t>(-1);
    std::unique_ptr<std::unordered_map<LONG, placed>> places_;
    std::vector<move> moves_;
    std::size_t shifted_from_ = kGone;  // the first entry a kept move may have shifted
    std::unique_ptr<std::unordered_set<IUnknown*>> kept_;
    std::size_t sweep_at_ = 8;  // the number of kept objects at which unused ones are looked for
    LONG next_id_ = 1;
    // No listed id is above it: an id above it is not looked for before it is taken.
    LONG top_id_ = 0;
    LONG owner_ = 0;  // 0: not noted
    int which_ = 0;
};

// A child interface object: its reference count is its owner's.
template <typename I, typename Owner>
class child_part : public com::automation::dispatch_impl<I> {
public:
    explicit child_part(Owner* owner) noexcept : owner_(owner) {}
    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid == IID_IUnknown || riid == IDispatch::iid || riid == I::iid) {
            *out = static_cast<I*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG AddRef() noexcept override { return owner_->AddRef(); }
    ULONG Release() noexcept override { return owner_->Release(); }
    IUnknown* unknown() noexcept { return static_cast<I*>(this); }

protected:
    Owner* owner_;
};

class page_object_list final : public child_part<IZPageObjectList, page> {
public:
    using child_part::child_part;
    HRESULT AddElement(IZElement* element) noexcept override;
    HRESULT Add(VARIANT object, LONG* id) noexcept override;
    HRESULT Create(LONG kind, IDispatch** object) noexcept override;
    HRESULT get_Page(IZPrintContentPage** page) noexcept override;
    HRESULT Remove(LONG id) noexcept override;
    HRESULT Order(LONG id, LONG after, LONG flags) noexcept override;
    HRESULT get_Count(LONG* count) noexcept override;
    HRESULT get_Item(LONG index, IDispatch** object) noexcept override;
    HRESULT get_ItemID(LONG index, LONG* id) noexcept override;
    HRESULT ItemFromID(LONG id, IDispatch** object) noexcept override;
};

class resource_list final : public child_part<IZResourceList, page> {
public:
    using child_part::child_part;
    HRESULT AddObject(IZObject* object) noexcept override;
    HRESULT Add(VARIANT object, LONG* id) noexcept override;
    HRESULT Create(LONG kind, IDispatch** object) noexcept override;
    HRESULT AddWithoutID(VARIANT object) noexcept override;
    HRESULT Remove(LONG id) noexcept override;
    HRESULT get_Count(LONG* count) noexcept override;
    HRESULT get_Item(LONG index, IDispatch** object) noexcept override;
    HRESULT get_ItemID(LONG index, LONG* id) noexcept override;
    HRESULT ItemFromID(LONG id, IDispatch** object) noexcept override;
};

}  // namespace host
