// The page object list and the resource list: ids, order, membership and creation by kind.
#include <algorithm>
#include <new>

#include "host/model/lists.h"

#include "host/kinds/factory.h"
#include "host/model/document_object.h"

namespace host {

namespace {

IUnknown* identity_of(IUnknown* object, com::ComPtr<IUnknown>* keep) noexcept
{
    object->QueryInterface(IID_IUnknown, keep->put_void());
    return keep->get();
}

// The object a VARIANT carries (VT_UNKNOWN or VT_DISPATCH, also by reference); null otherwise.
IUnknown* object_of(const VARIANT& v) noexcept
{
    switch (v.vt) {
    case VT_UNKNOWN: return v.punkVal;
    case VT_DISPATCH: return v.pdispVal;
    case VT_UNKNOWN | VT_BYREF: return v.ppunkVal ? *v.ppunkVal : nullptr;
    case VT_DISPATCH | VT_BYREF: return v.ppdispVal ? *v.ppdispVal : nullptr;
    case VT_VARIANT | VT_BYREF: return v.pvarVal ? object_of(*v.pvarVal) : nullptr;
    default: return nullptr;
    }
}

HRESULT item_out(const list_entry* e, IDispatch** out) noexcept
{
    *out = nullptr;
    return e->identity->QueryInterface(IDispatch::iid, reinterpret_cast<void**>(out));
}

}  // namespace

// ---- list_core ------------------------------------------------------------------------------

namespace {
// Lists up to this long are searched in place; a page rarely holds more.
constexpr std::size_t kIndexFrom = 256;
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

// Without memory for an index the list is searched in place: correct, only slower.
void list_core::index_if_long() noexcept
{
    if ((ids_ && places_) || entries_.size() < kIndexFrom) return;
    try {
        auto made = std::make_unique<std::unordered_map<IUnknown*, LONG>>();
        auto places = std::make_unique<std::unordered_map<LONG, std::size_t>>();
        made->reserve(entries_.size() * 2);
        places->reserve(entries_.size() * 2);
        for (std::size_t i = 0; i < entries_.size(); ++i) {
            made->emplace(entries_[i].identity.get(), entries_[i].id);
            places->emplace(entries_[i].id, i);
        }
        ids_ = std::move(made);
        places_ = std::move(places);
    } catch (const std::bad_alloc&) {
        ids_.reset();
        places_.reset();
    }
}

std::size_t list_core::place_of(LONG id) const noexcept
{
    if (places_) {
        auto it = places_->find(id);
        return it == places_->end() ? entries_.size() : it->second;
    }
    std::size_t i = 0;
    while (i < entries_.size() && entries_[i].id != id) ++i;
    return i;
}

// After entries moved within [from, to], their places are written anew.
void list_core::renumber(std::size_t from, std::size_t to) noexcept
{
    if (!places_) return;
    for (std::size_t i = from; i <= to && i < entries_.size(); ++i) {
        auto it = places_->find(entries_[i].id);
        if (it != places_->end()) it->second = i;
    }
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

namespace {

// Lists grow by half again rather than double: a page's lists stop growing early, and a
// thousand pages would otherwise carry a third of their capacity unused.
void room_for_one(std::vector<list_entry>& v)
{
    if (v.size() == v.capacity()) v.reserve(v.size() < 8 ? 8 : v.size() + v.size() / 2);
}

}  // namespace

HRESULT list_core::insert(context& ctx, IUnknown* object, placement where, const char* foreign,
                          LONG id) noexcept
{
    if (!object || id <= 0) return E_INVALIDARG;
    com::ComPtr<IUnknown> identity;
    IUnknown* key = identity_of(object, &identity);
    // An id from next_id_ on was never given, so only an older one can be taken.
    if (!key || id_of(key) != 0 || (id < next_id_ && find(id))) return E_INVALIDARG;
    try {
        room_for_one(entries_);
        entries_.push_back(list_entry{id, identity});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (ids_ && places_) {
        try {
            ids_->emplace(key, id);
            places_->emplace(id, entries_.size() - 1);
        } catch (const std::bad_alloc&) {
            ids_.reset();
            places_.reset();
        }
    } else {
        index_if_long();
    }
    if (id >= next_id_) next_id_ = id + 1;
    if (host_object* h = host_object_of(key))
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
    if (next_id_ == 0x7FFFFFFF) return E_OUTOFMEMORY;  // ids are never reused
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
                host_object* h = host_object_of(e.identity.get());
                if (!h) return true;  // an element kept without an id stays, whoever holds it
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
        if (host_object* h = host_object_of(e.identity.get())) h->set_unlisted();
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
        unlisted_.push_back(list_entry{0, identity});
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
    if (host_object* h = host_object_of(key))
        if (h->place() == placement::none) h->set_listed(h->id(), where);
    return S_OK;
}

HRESULT list_core::remove(context& ctx, LONG id) noexcept
{
    const std::size_t place = place_of(id);
    if (place == entries_.size()) return E_INVALIDARG;
    com::ComPtr<IUnknown> gone = std::move(entries_[place].identity);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(place));
    if (ids_) ids_->erase(gone.get());
    if (places_) {
        places_->erase(id);
        renumber(place, entries_.size());
    }
    if (host_object* h = host_object_of(gone.get()))
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
    renumber(std::min(target, moving), std::max(target, moving));
    return S_OK;
}

const list_entry* list_core::find(LONG id) const noexcept
{
    const std::size_t place = place_of(id);
    return place == entries_.size() ? nullptr : &entries_[place];
}

void list_core::clear(context& ctx) noexcept
{
    for (const list_entry& e : entries_) ctx.forget_name(e.identity.get());
    // Moved out first: releasing an element may call back into this list.
    std::vector<list_entry> listed = std::move(entries_);
    std::vector<list_entry> kept = std::move(unlisted_);
    entries_.clear();
    unlisted_.clear();
    ids_.reset();
    places_.reset();
    kept_.reset();
    sweep_at_ = 8;
}

// ---- page object list -----------------------------------------------------------------------

static const char* const kObjects = "page_objects";
static const char* const kResources = "resources";

HRESULT page_object_list::AddElement(IZElement* element) noexcept
{
    auto rec = owner_->record(kObjects, "AddElement", ref(element));
    if (!element) return rec(E_POINTER);
    if (owner_->knows_element(element)) return rec(S_OK);
    try {
        owner_->elements().emplace_back(element);
    } catch (const std::bad_alloc&) {
        return rec(E_OUTOFMEMORY);
    }
    return rec(S_OK);
}

HRESULT page_object_list::Add(VARIANT object, LONG* id) noexcept
{
    IUnknown* p = object_of(object);
    auto rec = owner_->record(kObjects, "Add", ref(p));
    if (!id) return rec(E_POINTER);
    *id = 0;
    if (host_object* h = host_object_of(p)) {
        if (!lists_as_page_object(h->kind())) return rec(E_INVALIDARG);
        h->adopt(owner_->shared_ctx(), owner_->id());
    }
    HRESULT hr = owner_->objects().add(owner_->ctx(), p, placement::page_objects, "element", id);
    return rec(hr, *id);
}

HRESULT page_object_list::Create(LONG kind, IDispatch** object) noexcept
{
    auto rec = owner_->record(kObjects, "Create", kind);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    if (!is_page_object_kind(kind)) return rec(E_INVALIDARG);
    HRESULT hr = create_host_object(owner_->shared_ctx(), kind, owner_->id(), object);
    return rec(hr, ref(*object));
}

HRESULT page_object_list::get_Page(IZPrintContentPage** p) noexcept
{
    auto rec = owner_->record(kObjects, "get_Page");
    if (!p) return rec(E_POINTER);
    *p = owner_;
    owner_->AddRef();
    return rec(S_OK, std::string("page"));
}

HRESULT page_object_list::Remove(LONG id) noexcept
{
    auto rec = owner_->record(kObjects, "Remove", id);
    return rec(owner_->objects().remove(owner_->ctx(), id));
}

HRESULT page_object_list::Order(LONG id, LONG after, LONG flags) noexcept
{
    auto rec = owner_->record(kObjects, "Order", id, after, flags);
    if (flags != 0) return rec(E_INVALIDARG);
    return rec(owner_->objects().order(id, after));
}

HRESULT page_object_list::get_Count(LONG* count) noexcept
{
    auto rec = owner_->record(kObjects, "get_Count");
    if (!count) return rec(E_POINTER);
    *count = static_cast<LONG>(owner_->objects().entries().size());
    return rec(S_OK, *count);
}

HRESULT page_object_list::get_Item(LONG index, IDispatch** object) noexcept
{
    auto rec = owner_->record(kObjects, "get_Item", index);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    const auto& all = owner_->objects().entries();
    if (index < 1 || index > static_cast<LONG>(all.size())) return rec(E_INVALIDARG);
    HRESULT hr = item_out(&all[static_cast<std::size_t>(index - 1)], object);
    return rec(hr, ref(*object));
}

HRESULT page_object_list::get_ItemID(LONG index, LONG* id) noexcept
{
    auto rec = owner_->record(kObjects, "get_ItemID", index);
    if (!id) return rec(E_POINTER);
    *id = 0;
    const auto& all = owner_->objects().entries();
    if (index < 1 || index > static_cast<LONG>(all.size())) return rec(E_INVALIDARG);
    *id = all[static_cast<std::size_t>(index - 1)].id;
    return rec(S_OK, *id);
}

HRESULT page_object_list::ItemFromID(LONG id, IDispatch** object) noexcept
{
    auto rec = owner_->record(kObjects, "ItemFromID", id);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    const list_entry* e = owner_->objects().find(id);
    if (!e) return rec(E_INVALIDARG);
    HRESULT hr = item_out(e, object);
    return rec(hr, ref(*object));
}

// ---- resource list --------------------------------------------------------------------------

HRESULT resource_list::AddObject(IZObject* object) noexcept
{
    auto rec = owner_->record(kResources, "AddObject", ref(object));
    if (!object) return rec(E_POINTER);
    if (host_object* h = host_object_of(object)) h->adopt(owner_->shared_ctx(), owner_->id());
    return rec(owner_->resources().keep(object, placement::resources_unlisted));
}

HRESULT resource_list::Add(VARIANT object, LONG* id) noexcept
{
    IUnknown* p = object_of(object);
    auto rec = owner_->record(kResources, "Add", ref(p));
    if (!id) return rec(E_POINTER);
    *id = 0;
    if (host_object* h = host_object_of(p)) {
        if (!lists_as_resource(h->kind())) return rec(E_INVALIDARG);
        h->adopt(owner_->shared_ctx(), owner_->id());
    }
    HRESULT hr = owner_->resources().add(owner_->ctx(), p, placement::resources, "resource", id);
    return rec(hr, *id);
}

HRESULT resource_list::Create(LONG kind, IDispatch** object) noexcept
{
    auto rec = owner_->record(kResources, "Create", kind);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    if (!is_resource_kind(kind)) return rec(E_INVALIDARG);
    HRESULT hr = create_host_object(owner_->shared_ctx(), kind, owner_->id(), object);
    return rec(hr, ref(*object));
}

HRESULT resource_list::AddWithoutID(VARIANT object) noexcept
{
    IUnknown* p = object_of(object);
    auto rec = owner_->record(kResources, "AddWithoutID", ref(p));
    if (!p) return rec(E_INVALIDARG);
    if (host_object* h = host_object_of(p)) h->adopt(owner_->shared_ctx(), owner_->id());
    return rec(owner_->resources().keep(p, placement::resources_unlisted));
}

HRESULT resource_list::Remove(LONG id) noexcept
{
    auto rec = owner_->record(kResources, "Remove", id);
    return rec(owner_->resources().remove(owner_->ctx(), id));
}

HRESULT resource_list::get_Count(LONG* count) noexcept
{
    auto rec = owner_->record(kResources, "get_Count");
    if (!count) return rec(E_POINTER);
    *count = static_cast<LONG>(owner_->resources().entries().size());
    return rec(S_OK, *count);
}

HRESULT resource_list::get_Item(LONG index, IDispatch** object) noexcept
{
    auto rec = owner_->record(kResources, "get_Item", index);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    const auto& all = owner_->resources().entries();
    if (index < 1 || index > static_cast<LONG>(all.size())) return rec(E_INVALIDARG);
    HRESULT hr = item_out(&all[static_cast<std::size_t>(index - 1)], object);
    return rec(hr, ref(*object));
}

HRESULT resource_list::get_ItemID(LONG index, LONG* id) noexcept
{
    auto rec = owner_->record(kResources, "get_ItemID", index);
    if (!id) return rec(E_POINTER);
    *id = 0;
    const auto& all = owner_->resources().entries();
    if (index < 1 || index > static_cast<LONG>(all.size())) return rec(E_INVALIDARG);
    *id = all[static_cast<std::size_t>(index - 1)].id;
    return rec(S_OK, *id);
}

HRESULT resource_list::ItemFromID(LONG id, IDispatch** object) noexcept
{
    auto rec = owner_->record(kResources, "ItemFromID", id);
    if (!object) return rec(E_POINTER);
    *object = nullptr;
    const list_entry* e = owner_->resources().find(id);
    if (!e) return rec(E_INVALIDARG);
    HRESULT hr = item_out(e, object);
    return rec(hr, ref(*object));
}

}  // namespace host
