// Saving a document as .pjd bytes, and writing them to a file.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <unordered_map>

#include "host/pjd/pjd.h"

#include "core/record_io.h"
#include "host/io/crc32.h"
#include "host/kinds/host_object.h"
#include "host/pjd/format.h"
#include "platform/com/streams.h"

namespace host {

void byte_writer::grow(std::size_t count)
{
    const std::size_t needed = size_ + count;
    buffer_.resize(needed > 2 * buffer_.size() ? needed : 2 * buffer_.size());
}

namespace {

using namespace pjd;

// Chunks are written in place, so that no payload is built apart and copied: open_chunk
// leaves room for the length, close_chunk fills it in and appends the CRC. close_chunk is
// false, and takes the chunk back out, for a payload the 32-bit length cannot count: the
// reader would find the chunk running past the end of the file. Every count inside a payload
// is no larger.
std::size_t open_chunk(byte_writer& file, std::uint32_t type)
{
    const std::size_t start = file.size();
    file.u32(type);
    file.u32(0);
    return start;
}

bool close_chunk(byte_writer& file, std::size_t start)
{
    const std::size_t payload = file.size() - start - 8;
    if (payload > UINT32_MAX) {
        file.truncate(start);
        return false;
    }
    com::le::store32(file.data() + start + 4, static_cast<std::uint32_t>(payload));
    file.u32(crc32(file.data() + start, file.size() - start));
    return true;
}

// A length, then what `write` appends.
template <typename Write>
void counted(byte_writer& file, Write&& write)
{
    const std::size_t at = file.size();
    file.u32(0);
    write();
    com::le::store32(file.data() + at, static_cast<std::uint32_t>(file.size() - at - 4));
}

std::string hex(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

// The record of a persistable foreign object: its class id, and what its Save writes as all
// of `stream`, a memory stream emptied first (one serves every record of a save).
HRESULT save_into(IUnknown* object, CLSID* clsid, IStream* stream) noexcept
{
    com::ComPtr<IPersistStreamInit> init;
    com::ComPtr<IPersistStream> plain;
    object->QueryInterface(IPersistStreamInit::iid, init.put_void());
    if (!init) object->QueryInterface(IPersistStream::iid, plain.put_void());
    if (!init && !plain) return E_NOINTERFACE;
    RETURN_IF_FAILED(stream->SetSize(ULARGE_INTEGER{}));
    RETURN_IF_FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    if (init) {
        RETURN_IF_FAILED(init->GetClassID(clsid));
        RETURN_IF_FAILED(init->Save(stream, TRUE));
    } else {
        RETURN_IF_FAILED(plain->GetClassID(clsid));
        RETURN_IF_FAILED(plain->Save(stream, TRUE));
    }
    return S_OK;
}

HRESULT save_record(IUnknown* object, CLSID* clsid, std::vector<BYTE>* record) noexcept
{
    com::ComPtr<IStream> stream;
    RETURN_IF_FAILED(com::create_memory_stream(stream.put()));
    RETURN_IF_FAILED(save_into(object, clsid, stream.get()));
    return com::memory_stream_bytes(stream.get(), record);
}

// A string property's value, read through IDispatch; null when there is none.
BSTR string_property(IDispatch* object, MEMBERID id) noexcept
{
    DISPPARAMS none{};
    VARIANT v;
    VariantInit(&v);
    const HRESULT hr = object->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr,
                                      nullptr);
    if (SUCCEEDED(hr) && v.vt == VT_BSTR) return v.bstrVal;
    VariantClear(&v);
    return nullptr;
}

bool is_string_getter(const FUNCDESC& f) noexcept
{
    if (!(f.invkind & INVOKE_PROPERTYGET)) return false;
    if (f.cParams == 0) return f.elemdescFunc.tdesc.vt == VT_BSTR;  // as a dispinterface
    const ELEMDESC& out = f.lprgelemdescParam[0];
    return f.cParams == 1 && (out.paramdesc.wParamFlags & PARAMFLAG_FRETVAL) &&
           out.tdesc.vt == VT_PTR && out.tdesc.lptdesc && out.tdesc.lptdesc->vt == VT_BSTR;
}

// The first string property of `info`'s interface, or of the interfaces it derives from, that
// holds more than a record's string may; its name and length in *name and *units.
bool find_overlong(IDispatch* object, ITypeInfo* info, int depth, std::string* name, ULONG* units)
{
    TYPEATTR* attr = nullptr;
    if (depth > 8 || FAILED(info->GetTypeAttr(&attr)) || !attr) return false;
    const WORD functions = attr->cFuncs, bases = attr->cImplTypes;
    info->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f)) || !f) continue;
        const MEMBERID id = f->memid;
        const bool candidate = is_string_getter(*f);
        info->ReleaseFuncDesc(f);
        if (!candidate) continue;
        BSTR value = string_property(object, id);
        const ULONG length = SysStringLen(value);
        SysFreeString(value);
        if (length <= cnt::record::max_string_units) continue;
        BSTR member = nullptr;
        info->GetDocumentation(id, &member, nullptr, nullptr, nullptr);
        *name = utf8(com::bstr_view(member));
        SysFreeString(member);
        *units = length;
        return true;
    }
    for (UINT i = 0; i < bases; ++i) {
        HREFTYPE ref = 0;
        com::ComPtr<ITypeInfo> base;
        if (SUCCEEDED(info->GetRefTypeOfImplType(i, &ref)) &&
            SUCCEEDED(info->GetRefTypeInfo(ref, base.put())) && base &&
            find_overlong(object, base.get(), depth + 1, name, units))
            return true;
    }
    return false;
}

// Why an element's record could not be saved, naming the string property too long for it
// when there is one: its interface, its kind and the property, as a description names them.
std::string save_failure(IUnknown* element, HRESULT hr)
{
    com::ComPtr<IDispatch> object;
    com::ComPtr<ITypeInfo> info;
    element->QueryInterface(IDispatch::iid, object.put_void());
    if (hr != E_ACCESSDENIED || !object || FAILED(object->GetTypeInfo(0, 0, info.put())) || !info)
        return "cannot be saved: " + hex(hr);
    std::string property;
    ULONG units = 0;
    if (!find_overlong(object.get(), info.get(), 0, &property, &units))
        return "cannot be saved: " + hex(hr);
    BSTR type = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &type, nullptr, nullptr, nullptr);
    std::string kind = utf8(com::bstr_view(type));
    SysFreeString(type);
    com::ComPtr<IZElement> as_element;
    element->QueryInterface(IZElement::iid, as_element.put_void());
    LONG number = 0;
    if (as_element && SUCCEEDED(as_element->GetObjectKind(&number)))
        kind += ", kind " + std::to_string(number);
    return "(" + kind + ") cannot be saved: property " + property + " holds " +
           std::to_string(units) + " characters, more than the " +
           std::to_string(cnt::record::max_string_units) + " a .pjd file can hold";
}

struct planned {
    enum { host, element } what;
    IUnknown* object;  // held by its list or by the object that refers to it
    host_object* h;         // host objects
    std::uint32_t serial;   // host objects; for a repeated element, the record it repeats
    LONG page_index;
    LONG id;
    BYTE place;  // placement for host objects, element_flags for elements
};

// Serial numbers by object, from 1 in the order given (the host objects a save holds; the
// elements whose chunks hold a record): open addressing over a power-of-two table, so that
// planning makes no allocation per object.
class serial_map {
public:
    void reserve(std::size_t count) { rehash(count); }

    // The serial of `h`; 0 when it has none.
    std::uint32_t find(const void* h) const noexcept
    {
        if (slots_.empty()) return 0;
        for (std::size_t i = start(h);; i = (i + 1) & mask_) {
            if (slots_[i].key == h) return slots_[i].serial;
            if (!slots_[i].key) return 0;
        }
    }
    // Gives `h` the next serial and returns it; 0 when it has one already.
    std::uint32_t add(const void* h)
    {
        if (2 * (count_ + 1) > slots_.size()) rehash(count_ + 1);
        std::size_t i = start(h);
        for (; slots_[i].key; i = (i + 1) & mask_)
            if (slots_[i].key == h) return 0;
        slots_[i] = {h, static_cast<std::uint32_t>(++count_)};
        return slots_[i].serial;
    }

private:
    struct slot {
        const void* key;
        std::uint32_t serial;
    };
    std::size_t start(const void* h) const noexcept
    {
        const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(h));
        return static_cast<std::size_t>((bits >> 4) * 0x9E3779B97F4A7C15ull >> 20) & mask_;
    }
    // Room for `count` objects at half the table or less.
    void rehash(std::size_t count)
    {
        std::size_t size = 16;
        while (size < 2 * count) size *= 2;
        if (size <= slots_.size()) return;
        std::vector<slot> old(size, slot{nullptr, 0});
        old.swap(slots_);
        mask_ = size - 1;
        for (const slot& s : old) {
            if (!s.key) continue;
            std::size_t i = start(s.key);
            while (slots_[i].key) i = (i + 1) & mask_;
            slots_[i] = s;
        }
    }

    std::vector<slot> slots_;
    std::size_t mask_ = 0;
    std::size_t count_ = 0;
};

class writer final : public ref_serials {
public:
    explicit writer(document_object* doc) : doc_(doc) {}

    static HRESULT too_large(std::string* message, const std::string& what)
    {
        *message = what + " cannot be saved: more than 4 GiB";
        return E_OUTOFMEMORY;
    }

    std::uint32_t serial(IUnknown* object) const noexcept override
    {
        if (!object) return 0;
        host_object* h = host_object_of(object);
        return h ? serials_.find(h) : 0;
    }

    HRESULT run(std::vector<BYTE>* out, std::string* message)
    {
        plan();
        byte_writer file;
        file.raw(magic, sizeof magic);
        std::uint32_t objects = 0, elements = 0;
        for (const planned& p : plan_) (p.what == planned::host ? objects : elements)++;
        std::vector<std::pair<CLSID, std::vector<BYTE>>> document_records;
        for (const auto& item : doc_->items()) {
            CLSID clsid{};
            std::vector<BYTE> record;
            if (host_object_of(item.get())) continue;
            const HRESULT hr = save_record(item.get(), &clsid, &record);
            // Objects that cannot persist themselves stay behind; any other failure (a record
            // that could not be read back, no memory) stops the save rather than lose a record.
            if (hr == E_NOINTERFACE || hr == E_NOTIMPL) continue;
            if (FAILED(hr)) {
                *message = "a document object " + save_failure(item.get(), hr);
                return hr;
            }
            if (SUCCEEDED(hr)) document_records.emplace_back(clsid, std::move(record));
        }

        com::ComPtr<IStream> scratch;  // made for the first element
        com::memory_window scratch_bytes;
        // Room for the document records, which are made already, and about what a page and
        // an object or element of a link's size take.
        std::size_t room = 64 + 64 * doc_->pages().size() + 160 * plan_.size();
        for (const auto& r : document_records) room += 32 + r.second.size();
        file.reserve(room);
        const std::size_t head = open_chunk(file, chunk_head);
        file.u32(format_version);
        file.u32(static_cast<std::uint32_t>(doc_->pages().size()));
        file.u32(objects);
        file.u32(elements);
        file.u32(static_cast<std::uint32_t>(document_records.size()));
        file.i32(doc_->ctx().next_page_id);
        close_chunk(file, head);

        std::size_t page_number = 0;
        for (const auto& p : doc_->pages()) {
            ++page_number;
            const std::size_t chunk = open_chunk(file, chunk_page);
            file.i32(p->id());
            file.i32(p->width());
            file.i32(p->height());
            file.i32(p->resolution());
            file.i32(p->objects().next_id());
            file.i32(p->resources().next_id());
            file.text(p->title());
            file.u32(static_cast<std::uint32_t>(p->words().size()));
            for (const word& w : p->words()) {
                file.text(w.text);
                file.i32(w.left);
                file.i32(w.top);
                file.i32(w.right);
                file.i32(w.bottom);
                file.i32(w.object_id);
            }
            if (!close_chunk(file, chunk))
                return too_large(message, "page " + std::to_string(page_number));
        }

        std::vector<CLSID> element_classes;  // of the element chunks that hold a record
        for (const planned& p : plan_) {
            if (p.what == planned::host) {
                const std::size_t chunk = open_chunk(file, chunk_object);
                host_object* h = p.h;
                file.u32(p.serial);
                file.u32(static_cast<std::uint32_t>(p.page_index));
                file.u8(p.place);
                file.i32(p.id);
                file.i32(h->kind());
                file.u8(h->attached() ? 1 : 0);
                counted(file, [&] { h->save(file, *this); });
                if (!close_chunk(file, chunk))
                    return too_large(message, "object " + std::to_string(p.id) + " of page " +
                                                  std::to_string(p.page_index));
            } else {
                // A repeated element names the chunk that holds its record.
                const bool repeat = p.place & repeats_earlier;
                CLSID clsid{};
                if (repeat) {
                    clsid = element_classes[p.serial];
                } else {
                    HRESULT hr = scratch ? S_OK : com::create_memory_stream(scratch.put());
                    if (SUCCEEDED(hr) && !scratch_bytes.stream &&
                        !com::open_memory_window(scratch.get(), &scratch_bytes))
                        hr = E_UNEXPECTED;
                    if (SUCCEEDED(hr)) hr = save_into(p.object, &clsid, scratch.get());
                    if (FAILED(hr)) {
                        *message = "object " + std::to_string(p.id) + " of page " +
                                   std::to_string(p.page_index) + " " + save_failure(p.object, hr);
                        return hr;
                    }
                }
                if (!repeat) element_classes.push_back(clsid);
                const std::size_t chunk = open_chunk(file, chunk_element);
                file.u32(static_cast<std::uint32_t>(p.page_index));
                file.u8(p.place);
                file.i32(p.id);
                file.guid(clsid);
                if (repeat) {
                    file.u32(4);
                    file.u32(p.serial);
                } else {
                    // A record too long for its count makes the chunk too long as well.
                    file.u32(static_cast<std::uint32_t>(*scratch_bytes.size));
                    file.raw(*scratch_bytes.data, *scratch_bytes.size);
                }
                if (!close_chunk(file, chunk))
                    return too_large(message, "object " + std::to_string(p.id) + " of page " +
                                                  std::to_string(p.page_index));
            }
        }
        std::uint32_t page_index = 0;
        for (const auto& p : doc_->pages()) {
            ++page_index;
            std::uint32_t count = 0;
            for (const list_entry& e : p->objects().entries()) count += e.maker != 0;
            if (count == 0) continue;
            const std::size_t chunk = open_chunk(file, chunk_makers);
            file.u32(page_index);
            file.u32(count);
            for (const list_entry& e : p->objects().entries()) {
                if (e.maker == 0) continue;
                file.i32(e.id);
                file.i32(e.maker);
            }
            if (!close_chunk(file, chunk))
                return too_large(message, "page " + std::to_string(page_index));
        }
        for (const auto& [clsid, record] : document_records) {
            const std::size_t chunk = open_chunk(file, chunk_document_object);
            file.guid(clsid);
            file.blob(record);
            if (!close_chunk(file, chunk))
                return too_large(message, "a document object");
        }
        if (!doc_->original_file().empty()) {
            const std::size_t chunk = open_chunk(file, chunk_original);
            for (const std::string* s : {&doc_->original_file(), &doc_->original_key()})
                file.blob(std::vector<BYTE>(s->begin(), s->end()));
            if (!close_chunk(file, chunk))
                return too_large(message, "the original's name");
        }
        close_chunk(file, open_chunk(file, chunk_end));
        *out = file.take();
        return S_OK;
    }

private:
    void add_host(host_object* h, LONG page_index, LONG id, placement where)
    {
        const std::uint32_t serial = serials_.add(h);
        if (serial == 0) return;
        plan_.push_back(
            {planned::host, h->unknown(), h, serial, page_index, id, static_cast<BYTE>(where)});
    }

    void plan()
    {
        auto& pages = doc_->pages();
        std::size_t listed_count = 0;
        for (const auto& p : pages)
            listed_count += p->objects().entries().size() + p->resources().entries().size();
        serials_.reserve(listed_count);
        plan_.reserve(listed_count);
        std::unordered_map<LONG, LONG> index_of_id;
        index_of_id.reserve(pages.size());
        // Per page: the identities of the elements the page knows, in its order (null where
        // one has none) and sorted; and, sorted, of the elements its lists hold. A list holds
        // identities already.
        std::vector<IUnknown*> identities, known, listed;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            page& p = *pages[i];
            const LONG index = static_cast<LONG>(i + 1);
            index_of_id[p.id()] = index;
            identities.clear();
            known.clear();
            listed.clear();
            for (const auto& e : p.elements()) {
                com::ComPtr<IUnknown> identity;
                if (e) e->QueryInterface(IID_IUnknown, identity.put_void());
                identities.push_back(identity.get());  // the page holds it
                if (identity) known.push_back(identity.get());
            }
            std::sort(known.begin(), known.end());
            auto plan_element = [&](IUnknown* object, LONG page, LONG id, BYTE where) {
                const bool is_known = std::binary_search(known.begin(), known.end(), object);
                plan_element_chunk(object, page, id,
                                   static_cast<BYTE>(where | (is_known ? known_element : 0)));
                listed.push_back(object);
            };
            for (const list_entry& e : p.objects().entries()) {
                if (e.host)
                    add_host(e.host, index, e.id, placement::page_objects);
                else
                    plan_element(e.identity.get(), index, e.id, in_page_objects);
            }
            for (const list_entry& e : p.resources().entries()) {
                if (e.host)
                    add_host(e.host, index, e.id, placement::resources);
                else
                    plan_element(e.identity.get(), index, e.id, in_resources);
            }
            for (const list_entry& e : p.resources().unlisted()) {
                if (e.host) {
                    add_host(e.host, index, 0, placement::resources_unlisted);
                } else {
                    com::ComPtr<IPersist> persist;
                    e.identity->QueryInterface(IPersist::iid, persist.put_void());
                    if (persist) plan_element(e.identity.get(), index, 0, kept_in_resources);
                }
            }
            std::sort(listed.begin(), listed.end());
            // Elements the page knows that no list holds; one a list holds is saved once, with
            // its list, so that a reload does not make two of it.
            for (std::size_t j = 0; j < identities.size(); ++j) {
                IUnknown* const e = p.elements()[j].get();
                // The engine's own elements (a placed PDF page) are saved as host objects.
                if (host_object_of(e)) continue;
                IUnknown* const identity = identities[j];
                const bool in_list =
                    identity && std::binary_search(listed.begin(), listed.end(), identity);
                if (!in_list) plan_element_chunk(identity ? identity : e, index, 0, known_element);
            }
        }
        // Objects reached only through another object's properties come along, unlisted.
        std::vector<IUnknown*> refs;
        for (std::size_t i = 0; i < plan_.size(); ++i) {
            if (plan_[i].what != planned::host) continue;
            refs.clear();
            plan_[i].h->references(refs);
            for (IUnknown* r : refs) {
                host_object* h = host_object_of(r);
                if (!h || h->ctx() != &doc_->ctx()) continue;
                auto at = index_of_id.find(h->page_id());
                add_host(h, at == index_of_id.end() ? 0 : at->second, 0, placement::none);
            }
        }
    }

    // An element in two lists, or known to two pages, is saved with its first chunk; the later
    // ones name that chunk's record, so that a reload makes one element again.
    void plan_element_chunk(IUnknown* object, LONG page, LONG id, BYTE flags)
    {
        std::uint32_t record = 0;
        if (element_records_.add(object) == 0) {
            flags = static_cast<BYTE>(flags | repeats_earlier);
            record = element_records_.find(object) - 1;
        }
        plan_.push_back({planned::element, object, nullptr, record, page, id, flags});
    }

    document_object* doc_;
    std::vector<planned> plan_;
    serial_map serials_;
    serial_map element_records_;  // the elements whose chunks hold their records
};

}  // namespace

HRESULT pjd_save(document_object* doc, std::vector<BYTE>* out, std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    if (!doc || !out) return E_POINTER;
    try {
        writer w(doc);
        return w.run(out, message);
    } catch (const std::bad_alloc&) {
        *message = "out of memory while saving";
        return E_OUTOFMEMORY;
    }
}

HRESULT pjd_write_file(const std::string& path, const std::vector<BYTE>& bytes,
                       std::string* message) noexcept
{
    return write_file_atomically(path, bytes.data(), bytes.size(), message);
}

}  // namespace host
