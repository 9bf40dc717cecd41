// The ids, order and membership of a page's list (list_core), with the indexes a long list
// keeps and the notes of which pages list an id.
#include <algorithm>
#include <new>

#include "host/model/lists.h"

#include "host/kinds/host_object.h"
#include "host/model/context.h"
#include "platform/com/fault_switch.h"

namespace host {

namespace {

IUnknown* identity_of(IUnknown* object, com::ComPtr<IUnknown>* keep) noexcept
{
    object->QueryInterface(IID_IUnknown, keep->put_void());
    return keep->get();
}

}  // namespace

namespace {
// Lists up to this long are searched in place; a page rarely holds more.
constexpr std::size_t kIndexFrom = 256;
// The largest id a list gives or takes.
constexpr LONG kLastId = 0x7FFFFFFF;
}  // namespace

LONG list_core::id_of(IUnknown* key) const noexcept
{
    if (ids_) {
        auto it = ids_->find(key);
        return it == ids_->end() ? 0 : it->second;
    }
    for (const list_entry& e : entries_)
        if (e.identity.get() == key) return e.id;
    return 0;
}

bool list_core::is_kept(IUnknown* key) const noexcept
{
    if (kept_) return kept_->count(key) != 0;
    for (const list_entry& e : unlisted_)
        if (e.identity.get() == key) return true;
    return false;
}

namespace {
// Moves kept before the places are written anew: a look-up applies up to this many.
constexpr std::size_t kMovesKept = 64;
}  // namespace

// Without memory for an index the list is searched in place: correct, only slower.
void list_core::index_if_long() noexcept
{
    if ((ids_ && places_) || entries_.size() < kIndexFrom) return;
    try {
        auto made = std::make_unique<std::unordered_map<IUnknown*, LONG>>();
        auto places = std::make_unique<std::unordered_map<LONG, placed>>();
        made->reserve(entries_.size() * 2);
        places->reserve(entries_.size() * 2);
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            if (!entries_[i].identity) continue;
            made->emplace(entries_[i].identity.get(), entries_[i].id);
            places->emplace(entries_[i].id, placed{i, 0});
        }
        moves_.clear();
        moves_.reserve(kMovesKept);
        shifted_from_ = kGone;
        ids_ = std::move(made);
        places_ = std::move(places);
    } catch (const std::bad_alloc&) {
        ids_.reset();
        places_.reset();
    moves_.clear();
    shifted_from_ = kGone;
    }
}

std::size_t list_core::place_of(LONG id) const noexcept
{
    if (id <= 0) return entries_.size();  // an empty place has id 0: never a listed one
    if (places_) {
        auto it = places_->find(id);
        if (it == places_->end()) return entries_.size();
        std::size_t at = it->second.at;
        for (std::size_t m = it->second.epoch; m < moves_.size(); ++m) {
            const move& step = moves_[m];
            if (at == step.from) {
                at = step.to;
            } else if (step.from < step.to && at > step.from && at <= step.to) {
                --at;
            } else if (step.to < step.from && at >= step.to && at < step.from) {
                ++at;
            }
        }
        return at;
    }
    std::size_t i = 0;
    while (i < entries_.size() && entries_[i].id != id) ++i;
    return i;
}

// Every entry placed after the first shifted one was written at a later epoch or was shifted
// itself, so writing those anew brings every place up to date.
void list_core::renumber() noexcept
{
    for (std::size_t i = shifted_from_; i < entries_.size(); ++i) {
        if (!entries_[i].identity) continue;
        auto it = places_->find(entries_[i].id);
        if (it != places_->end()) it->second = placed{i, 0};
    }
    moves_.clear();
    shifted_from_ = kGone;
}

void list_core::close_up() noexcept
{
    if (holes_ == 0) return;
    std::size_t to = first_hole_;
    for (std::size_t from = first_hole_; from < entries_.size(); ++from) {
        if (!entries_[from].identity) continue;
        if (to != from) entries_[to] = std::move(entries_[from]);
        ++to;
    }
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(to), entries_.end());
    holes_ = 0;
    if (places_) {
        shifted_from_ = std::min(shifted_from_, first_hole_);
        renumber();
    }
}

void list_core::note_move(std::size_t from, std::size_t to) noexcept
{
    if (!places_) return;
    shifted_from_ = std::min({shifted_from_, from, to});
    // The entries are already where this move puts them: writing the places anew covers it.
    if (moves_.size() == kMovesKept)
        renumber();
    else
        moves_.push_back(move{from, to});  // within the capacity reserved with the index
}

void list_core::index_kept_if_long() noexcept
{
    if (kept_ || unlisted_.size() < kIndexFrom) return;
    try {
        auto made = std::make_unique<std::unordered_set<IUnknown*>>();
        made->reserve(unlisted_.size() * 2);
        for (const list_entry& e : unlisted_) made->insert(e.identity.get());
        kept_ = std::move(made);
    } catch (const std::bad_alloc&) {
    }
}

void list_core::note_listed(context& ctx, LONG id) noexcept
{
    if (owner_ == 0) return;
    context::id_holders& holders = ctx.holders[which_];
    if (!holders.complete) return;
    try {
        holders.pages[id].insert(owner_);
    } catch (const std::bad_alloc&) {
        holders.complete = false;
        holders.pages.clear();
    }
}

void list_core::note_unlisted(context& ctx, LONG id) noexcept
{
    if (owner_ == 0) return;
    context::id_holders& holders = ctx.holders[which_];
    const auto it = holders.pages.find(id);
    if (it == holders.pages.end()) return;
    it->second.erase(owner_);
    if (it->second.empty()) holders.pages.erase(it);
}


namespace {

// Lists grow by half again rather than double: a page's lists stop growing early, and a
// thousand pages would otherwise carry a third of their capacity unused.
void room_for_one(std::vector<list_entry>& v)
{
    if (com::fault::allocation_fails()) throw std::bad_alloc();
    if (v.size() == v.capacity()) v.reserve(v.size() < 8 ? 8 : v.size() + v.size() / 2);
}

}  // namespace

void list_core::reserve(std::size_t count) noexcept
{
    try {
        entries_.reserve(entries_.size() + count);
    } catch (const std::bad_alloc&) {
    }
}

HRESULT list_core::insert(context& ctx, IUnknown* object, placement where, const char* foreign,
                          LONG id) noexcept
{
    if (!object || id <= 0) return E_INVALIDARG;
    com::ComPtr<IUnknown> identity;
    IUnknown* key = identity_of(object, &identity);
    // An id from next_id_ on was never given, so only an older one can be taken; once the
    // last id is given, next_id_ stays on it and it is looked up like the others.
    if (!key || id_of(key) != 0 ||
        ((id < next_id_ || next_id_ == kLastId) && id <= top_id_ && find(id)))
        return E_INVALIDARG;
    host_object* const h = host_object_of(key);
    try {
        room_for_one(entries_);
        entries_.push_back(list_entry{id, identity, 0, h});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (ids_ && places_) {
        try {
            ids_->emplace(key, id);
            places_->emplace(id, placed{entries_.size() - 1, static_cast<std::uint32_t>(moves_.size())});
        } catch (const std::bad_alloc&) {
            ids_.reset();
            places_.reset();
            moves_.clear();
            shifted_from_ = kGone;
        }
    } else {
        index_if_long();
    }
    if (id >= next_id_) next_id_ = id == kLastId ? kLastId : id + 1;
    if (id > top_id_) top_id_ = id;
    note_listed(ctx, id);
    if (h)
        h->set_listed(id, where);
    else if (ctx.log.enabled())
        ctx.set_name(key, foreign, id);  // named at once for the journal; else found when asked
    return S_OK;
}

HRESULT list_core::add(context& ctx, IUnknown* object, placement where, const char* foreign,
                       LONG* id) noexcept
{
    if (!id) return E_POINTER;
    *id = 0;
    if (!object) return E_INVALIDARG;
    com::ComPtr<IUnknown> identity;
    IUnknown* key = identity_of(object, &identity);
    if (!key) return E_INVALIDARG;
    if (const LONG known = id_of(key)) {
        *id = known;
        return S_OK;
    }
    if (next_id_ == kLastId) return E_OUTOFMEMORY;  // ids are never reused
    const LONG fresh = next_id_;
    RETURN_IF_FAILED(insert(ctx, object, where, foreign, fresh));
    *id = fresh;
    return S_OK;
}

void list_core::drop_unused_kept() noexcept
{
    std::vector<list_entry> unused;
    try {
        auto kept_end = std::stable_partition(
            unlisted_.begin(), unlisted_.end(), [](const list_entry& e) {
                if (!e.host) return true;  // an element kept without an id stays, whoever holds it
                e.identity->AddRef();
                return e.identity->Release() > 1;  // 1: this list is all that holds it
            });
        unused.assign(std::make_move_iterator(kept_end), std::make_move_iterator(unlisted_.end()));
        unlisted_.erase(kept_end, unlisted_.end());
    } catch (const std::bad_alloc&) {
        return;  // kept a while longer
    }
    for (const list_entry& e : unused) {
        if (kept_) kept_->erase(e.identity.get());
        if (e.host) e.host->set_unlisted();
    }
    // Released last, with the list already in order.
}

HRESULT list_core::keep(IUnknown* object, placement where) noexcept
{
    if (!object) return E_INVALIDARG;
    com::ComPtr<IUnknown> identity;
    IUnknown* key = identity_of(object, &identity);
    if (!key) return E_INVALIDARG;
    if (is_kept(key)) return S_OK;
    if (unlisted_.size() >= sweep_at_) {
        drop_unused_kept();
        sweep_at_ = std::max<std::size_t>(8, unlisted_.size() * 2);
    }
    try {
        room_for_one(unlisted_);
        unlisted_.push_back(list_entry{0, identity, 0, host_object_of(key)});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (kept_) {
        try {
            kept_->insert(key);
        } catch (const std::bad_alloc&) {
            kept_.reset();
        }
    } else {
        index_kept_if_long();
    }
    if (host_object* h = unlisted_.back().host)
        if (h->place() == placement::none) h->set_listed(h->id(), where);
    return S_OK;
}

HRESULT list_core::remove(context& ctx, LONG id) noexcept
{
    const std::size_t place = place_of(id);
    if (place == entries_.size()) return E_INVALIDARG;
    com::ComPtr<IUnknown> gone = std::move(entries_[place].identity);
    host_object* const h = entries_[place].host;
    entries_[place] = list_entry{};
    first_hole_ = holes_ == 0 ? place : std::min(first_hole_, place);
    ++holes_;
    if (ids_) ids_->erase(gone.get());
    if (places_) places_->erase(id);
    if (holes_ > size()) close_up();
    note_unlisted(ctx, id);
    if (h)
        h->set_unlisted();
    else
        ctx.forget_name(gone.get());
    return S_OK;
}

HRESULT list_core::order(LONG id, LONG after) noexcept
{
    const std::size_t moving = place_of(id);
    if (moving == entries_.size()) return E_INVALIDARG;
    const std::size_t behind = after == 0 ? 0 : place_of(after);
    if (behind == entries_.size()) return E_INVALIDARG;
    if (after == id) return S_OK;
    // The place the entry takes once it has left its own: first, or just after `after`.
    const std::size_t target = after == 0 ? 0 : (behind < moving ? behind + 1 : behind);
    auto first = entries_.begin();
    if (target < moving)
        std::rotate(first + static_cast<std::ptrdiff_t>(target),
                    first + static_cast<std::ptrdiff_t>(moving),
                    first + static_cast<std::ptrdiff_t>(moving + 1));
    else if (target > moving)
        std::rotate(first + static_cast<std::ptrdiff_t>(moving),
                    first + static_cast<std::ptrdiff_t>(moving + 1),
                    first + static_cast<std::ptrdiff_t>(target + 1));
    if (target == moving) return S_OK;
    // An empty place inside the rotated span moved one step towards the front at most.
    if (holes_ != 0) first_hole_ = std::min({first_hole_, moving, target});
    note_move(moving, target);
    return S_OK;
}

const list_entry* list_core::find(LONG id) const noexcept
{
    const std::size_t place = place_of(id);
    return place == entries_.size() ? nullptr : &entries_[place];
}

void list_core::set_maker(LONG id, LONG maker) noexcept
{
    const std::size_t place = place_of(id);
    if (place != entries_.size()) entries_[place].maker = maker;
}

void list_core::clear(context& ctx) noexcept
{
    for (const list_entry& e : entries_) {
        if (!e.identity) continue;
        ctx.forget_name(e.identity.get());
        note_unlisted(ctx, e.id);
    }
    // Moved out first: releasing an element may call back into this list.
    std::vector<list_entry> listed = std::move(entries_);
    std::vector<list_entry> kept = std::move(unlisted_);
    entries_.clear();
    unlisted_.clear();
    holes_ = 0;
    top_id_ = 0;
    ids_.reset();
    places_.reset();
    moves_.clear();
    shifted_from_ = kGone;
    kept_.reset();
    sweep_at_ = 8;
}

}  // namespace host
