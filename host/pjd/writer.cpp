// Saving a document as .pjd bytes, and writing them to a file.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <unordered_map>
#include <unordered_set>

#include "host/pjd/pjd.h"

#include "host/io/crc32.h"
#include "host/kinds/host_object.h"
#include "host/pjd/format.h"
#include "platform/com/streams.h"

namespace host {
namespace {

using namespace pjd;

void put_chunk(byte_writer& file, std::uint32_t type, const std::vector<BYTE>& payload)
{
    const std::size_t start = file.size();
    file.u32(type);
    file.u32(static_cast<std::uint32_t>(payload.size()));
    file.raw(payload.data(), payload.size());
    file.u32(crc32(file.bytes().data() + start, file.size() - start));
}

std::string hex(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

// The record of a persistable foreign object: its class id and what its Save writes.
HRESULT save_record(IUnknown* object, CLSID* clsid, std::vector<BYTE>* record) noexcept
{
    com::ComPtr<IPersistStreamInit> init;
    com::ComPtr<IPersistStream> plain;
    object->QueryInterface(IPersistStreamInit::iid, init.put_void());
    if (!init) object->QueryInterface(IPersistStream::iid, plain.put_void());
    if (!init && !plain) return E_NOINTERFACE;
    com::ComPtr<IStream> stream;
    RETURN_IF_FAILED(com::create_memory_stream(stream.put()));
    if (init) {
        RETURN_IF_FAILED(init->GetClassID(clsid));
        RETURN_IF_FAILED(init->Save(stream.get(), TRUE));
    } else {
        RETURN_IF_FAILED(plain->GetClassID(clsid));
        RETURN_IF_FAILED(plain->Save(stream.get(), TRUE));
    }
    return com::memory_stream_bytes(stream.get(), record);
}

struct planned {
    enum { host, element } what;
    IUnknown* object;  // held by its list or by the object that refers to it
    LONG page_index;
    LONG id;
    BYTE place;  // placement for host objects, element_flags for elements
};

class writer final : public ref_serials {
public:
    explicit writer(document_object* doc) : doc_(doc) {}

    std::uint32_t serial(IUnknown* object) const noexcept override
    {
        if (!object) return 0;
        host_object* h = host_object_of(object);
        auto it = serials_.find(h);
        return it == serials_.end() ? 0 : it->second;
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
            if (SUCCEEDED(save_record(item.get(), &clsid, &record)))
                document_records.emplace_back(clsid, std::move(record));
        }

        byte_writer head;
        head.u32(format_version);
        head.u32(static_cast<std::uint32_t>(doc_->pages().size()));
        head.u32(objects);
        head.u32(elements);
        head.u32(static_cast<std::uint32_t>(document_records.size()));
        head.i32(doc_->ctx().next_page_id);
        put_chunk(file, chunk_head, head.bytes());

        for (const auto& p : doc_->pages()) {
            byte_writer c;
            c.i32(p->id());
            c.i32(p->width());
            c.i32(p->height());
            c.i32(p->resolution());
            c.i32(p->objects().next_id());
            c.i32(p->resources().next_id());
            c.text(p->title());
            c.u32(static_cast<std::uint32_t>(p->words().size()));
            for (const word& w : p->words()) {
                c.text(w.text);
                c.i32(w.left);
                c.i32(w.top);
                c.i32(w.right);
                c.i32(w.bottom);
                c.i32(w.object_id);
            }
            put_chunk(file, chunk_page, c.bytes());
        }

        for (const planned& p : plan_) {
            byte_writer c;
            if (p.what == planned::host) {
                host_object* h = host_object_of(p.object);
                c.u32(serial(p.object));
                c.u32(static_cast<std::uint32_t>(p.page_index));
                c.u8(p.place);
                c.i32(p.id);
                c.i32(h->kind());
                c.u8(h->attached() ? 1 : 0);
                byte_writer record;
                h->save(record, *this);
                c.blob(record.bytes());
                put_chunk(file, chunk_object, c.bytes());
            } else {
                CLSID clsid{};
                std::vector<BYTE> record;
                HRESULT hr = save_record(p.object, &clsid, &record);
                if (FAILED(hr)) {
                    *message = "object " + std::to_string(p.id) + " of page " +
                               std::to_string(p.page_index) + " cannot be saved: " + hex(hr);
                    return FAILED(hr) ? hr : E_FAIL;
                }
                c.u32(static_cast<std::uint32_t>(p.page_index));
                c.u8(p.place);
                c.i32(p.id);
                c.guid(clsid);
                c.blob(record);
                put_chunk(file, chunk_element, c.bytes());
            }
        }
        for (const auto& [clsid, record] : document_records) {
            byte_writer c;
            c.guid(clsid);
            c.blob(record);
            put_chunk(file, chunk_document_object, c.bytes());
        }
        put_chunk(file, chunk_end, {});
        *out = std::move(file.bytes());
        return S_OK;
    }

private:
    void add_host(IUnknown* object, LONG page_index, LONG id, placement where)
    {
        host_object* h = host_object_of(object);
        if (serials_.count(h)) return;
        serials_[h] = static_cast<std::uint32_t>(serials_.size() + 1);
        plan_.push_back({planned::host, h->unknown(), page_index, id, static_cast<BYTE>(where)});
    }

    void plan()
    {
        auto& pages = doc_->pages();
        std::unordered_map<LONG, LONG> index_of_id;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            page& p = *pages[i];
            const LONG index = static_cast<LONG>(i + 1);
            index_of_id[p.id()] = index;
            auto is_known = [&p](IUnknown* object) { return p.knows_element(object); };
            std::unordered_set<IUnknown*> listed;
            for (const list_entry& e : p.objects().entries()) {
                if (host_object_of(e.identity.get())) {
                    add_host(e.identity.get(), index, e.id, placement::page_objects);
                } else {
                    BYTE flags = in_page_objects | (is_known(e.identity.get()) ? known_element : 0);
                    plan_.push_back({planned::element, e.identity.get(), index, e.id, flags});
                    listed.insert(e.identity.get());
                }
            }
            for (const auto& e : p.elements()) {
                // The engine's own elements (a placed PDF page) are saved as host objects.
                if (host_object_of(e.get())) continue;
                com::ComPtr<IUnknown> identity;
                e->QueryInterface(IID_IUnknown, identity.put_void());
                const bool in_list = identity && listed.count(identity.get()) != 0;
                if (!in_list) plan_.push_back({planned::element, e.get(), index, 0, known_element});
            }
            for (const list_entry& e : p.resources().entries()) {
                if (host_object_of(e.identity.get()))
                    add_host(e.identity.get(), index, e.id, placement::resources);
                else
                    plan_.push_back({planned::element, e.identity.get(), index, e.id, in_resources});
            }
            for (const list_entry& e : p.resources().unlisted()) {
                if (host_object_of(e.identity.get())) {
                    add_host(e.identity.get(), index, 0, placement::resources_unlisted);
                } else {
                    com::ComPtr<IPersist> persist;
                    e.identity->QueryInterface(IPersist::iid, persist.put_void());
                    if (persist)
                        plan_.push_back(
                            {planned::element, e.identity.get(), index, 0, kept_in_resources});
                }
            }
        }
        // Objects reached only through another object's properties come along, unlisted.
        for (std::size_t i = 0; i < plan_.size(); ++i) {
            if (plan_[i].what != planned::host) continue;
            std::vector<IUnknown*> refs;
            host_object_of(plan_[i].object)->references(refs);
            for (IUnknown* r : refs) {
                host_object* h = host_object_of(r);
                if (!h || h->ctx() != &doc_->ctx()) continue;
                auto at = index_of_id.find(h->page_id());
                add_host(r, at == index_of_id.end() ? 0 : at->second, 0, placement::none);
            }
        }
    }

    document_object* doc_;
    std::vector<planned> plan_;
    std::unordered_map<host_object*, std::uint32_t> serials_;
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
