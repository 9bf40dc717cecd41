// Loading .pjd bytes: every chunk is checked (lengths, checksums, order, counts) before
// anything is made; then the pages, host objects, elements and document objects are made and
// the elements attached. Any failure discards what was made and names the cause.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "host/pjd/pjd.h"

#include "host/io/crc32.h"
#include "host/kinds/factory.h"
#include "host/model/element_view.h"
#include "host/pjd/format.h"
#include "platform/com/regular_file.h"
#include "platform/com/streams.h"

namespace host {
namespace {

using namespace pjd;

struct parsed_page {
    LONG id, width, height, resolution, next_object_id, next_resource_id;
    std::u16string title;
    std::vector<word> words;
};
struct parsed_item {
    bool element;
    std::uint32_t page_index;
    BYTE place;  // placement or element flags
    LONG id;
    LONG kind;        // host objects
    bool attached;    // host objects
    CLSID clsid;      // elements
    std::uint32_t repeats;  // an element listed again: the record it repeats
    // The record, within the file's bytes, which outlive the load.
    const BYTE* record;
    std::uint32_t record_size;
};
struct parsed_file {
    std::vector<parsed_page> pages;
    std::vector<parsed_item> items;  // in file order
    std::vector<std::pair<CLSID, std::vector<BYTE>>> document_objects;
    // (page index from 1, object id, element id): which element made which page object.
    std::vector<std::array<LONG, 3>> makers;
    LONG next_page_id = 1;
    bool has_original = false;
    std::string original_file, original_key;
};

std::string hex(HRESULT hr)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(hr));
    return buffer;
}

std::string type_name(std::uint32_t type)
{
    std::string s;
    for (int i = 0; i < 4; ++i) {
        char c = static_cast<char>(type >> (8 * i));
        s += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return s;
}

// The shortest page chunk (no title, no words) and object chunk (an empty record).
constexpr std::size_t smallest_page_chunk = chunk_overhead + 32;
constexpr std::size_t smallest_item_chunk = chunk_overhead + 22;

class parser {
public:
    HRESULT run(const BYTE* data, std::size_t size, parsed_file* out, std::string* message)
    {
        byte_reader file(data, size);
        const BYTE* m = file.skip(sizeof magic);
        if (!m || std::memcmp(m, magic, sizeof magic) != 0)
            return fail(message, "not a .pjd file (bad signature)");
        std::uint32_t pages = 0, objects = 0, elements = 0, document_objects = 0;
        std::uint32_t chunk_index = 0;
        bool ended = false;
        while (!ended) {
            const std::size_t offset = size - file.left();
            if (file.left() == 0) return fail(message, "file ends before its end chunk");
            if (file.left() < chunk_overhead)
                return fail(message, at(offset) + "truncated chunk header");
            const BYTE* start = data + offset;
            const std::uint32_t type = file.u32();
            const std::uint32_t length = file.u32();
            if (length > file.left() || file.left() - length < 4)
                return fail(message, at(offset) + "chunk '" + type_name(type) + "' length " +
                                         std::to_string(length) + " runs past the end of the file");
            const BYTE* payload = file.skip(length);
            const std::uint32_t stored = file.u32();
            if (crc32(start, 8 + std::size_t(length)) != stored)
                return fail(message, at(offset) + "chunk '" + type_name(type) + "' checksum mismatch");
            byte_reader in(payload, length);
            std::string what;
            if (chunk_index == 0 && type != chunk_head)
                return fail(message, at(offset) + "first chunk is not the header");
            // The original's chunk is the last before the end.
            if (out->has_original && type != chunk_end)
                return fail(message, at(offset) + "chunk '" + type_name(type) + "' after the original's");
            if (type == chunk_head) {
                if (chunk_index != 0) return fail(message, at(offset) + "second header chunk");
                const std::uint32_t version = in.u32();
                if (in.ok() && version > format_version) {
                    *message = "format version " + std::to_string(version) +
                               " is newer than this reader's (" + std::to_string(format_version) + ")";
                    return E_UNEXPECTED;
                }
                pages = in.u32();
                objects = in.u32();
                elements = in.u32();
                document_objects = in.u32();
                out->next_page_id = in.i32();
                if (!in.at_end() || version == 0 || pages > size / chunk_overhead ||
                    objects > size / chunk_overhead || elements > size / chunk_overhead ||
                    document_objects > size / chunk_overhead || out->next_page_id < 1)
                    return fail(message, at(offset) + "malformed header chunk");
                // Room for what the header counts, up to what the file can hold.
                out->pages.reserve(std::min<std::size_t>(pages, size / smallest_page_chunk));
                out->items.reserve(
                    std::min<std::size_t>(std::size_t(objects) + elements, size / smallest_item_chunk));
            } else if (type == chunk_page) {
                if (out->pages.size() >= pages || !out->items.empty())
                    return fail(message, at(offset) + "page chunk out of place");
                parsed_page p;
                p.id = in.i32();
                p.width = in.i32();
                p.height = in.i32();
                p.resolution = in.i32();
                p.next_object_id = in.i32();
                p.next_resource_id = in.i32();
                p.title = in.text();
                std::uint32_t n = in.u32();
                if (!in.ok() || n > in.left() / 24) return fail(message, at(offset) + "malformed page chunk");
                for (std::uint32_t i = 0; i < n; ++i) {
                    word w;
                    w.text = in.text();
                    w.left = in.i32();
                    w.top = in.i32();
                    w.right = in.i32();
                    w.bottom = in.i32();
                    w.object_id = in.i32();
                    p.words.push_back(std::move(w));
                }
                if (!in.at_end() || p.id <= 0 || p.width < 0 || p.height < 0 ||
                    p.resolution <= 0 || p.next_object_id < 1 || p.next_resource_id < 1)
                    return fail(message, at(offset) + "malformed page chunk");
                out->pages.push_back(std::move(p));
            } else if (type == chunk_object || type == chunk_element) {
                if (out->pages.size() != pages || !out->document_objects.empty() ||
                    !out->makers.empty())
                    return fail(message, at(offset) + "object chunk out of place");
                parsed_item item{};
                item.element = type == chunk_element;
                if (!item.element) {
                    const std::uint32_t serial = in.u32();
                    if (serial != ++object_serial_)
                        return fail(message, at(offset) + "object serial out of sequence");
                }
                item.page_index = in.u32();
                item.place = in.u8();
                item.id = in.i32();
                if (item.element) {
                    item.clsid = in.guid();
                } else {
                    item.kind = in.i32();
                    item.attached = in.u8() != 0;
                }
                item.record_size = in.u32();
                item.record = in.skip(item.record_size);
                if (!in.at_end() || item.page_index > pages || !valid(item))
                    return fail(message, at(offset) + "malformed " +
                                             (item.element ? "element" : "object") + " chunk");
                if (item.element && (item.place & repeats_earlier)) {
                    item.repeats = byte_reader(item.record, item.record_size).u32();
                    if (item.repeats >= element_classes_.size() ||
                        !(element_classes_[item.repeats] == item.clsid))
                        return fail(message, at(offset) + "element chunk repeats no earlier one");
                } else if (item.element) {
                    element_classes_.push_back(item.clsid);
                }
                out->items.push_back(std::move(item));
            } else if (type == chunk_makers) {
                if (out->pages.size() != pages || !out->document_objects.empty())
                    return fail(message, at(offset) + "maker chunk out of place");
                const std::uint32_t page_index = in.u32();
                const std::uint32_t n = in.u32();
                if (!in.ok() || page_index < 1 || page_index > pages || n > in.left() / 8)
                    return fail(message, at(offset) + "malformed maker chunk");
                for (std::uint32_t i = 0; i < n; ++i) {
                    const LONG object = in.i32();
                    const LONG maker = in.i32();
                    out->makers.push_back({static_cast<LONG>(page_index), object, maker});
                }
                if (!in.at_end()) return fail(message, at(offset) + "malformed maker chunk");
            } else if (type == chunk_document_object) {
                if (out->pages.size() != pages)
                    return fail(message, at(offset) + "document object chunk out of place");
                CLSID clsid = in.guid();
                std::vector<BYTE> record = in.blob();
                if (!in.at_end()) return fail(message, at(offset) + "malformed document object chunk");
                out->document_objects.emplace_back(clsid, std::move(record));
            } else if (type == chunk_original) {
                if (out->pages.size() != pages)
                    return fail(message, at(offset) + "original chunk out of place");
                const std::vector<BYTE> name = in.blob(), key = in.blob();
                if (!in.at_end() || name.empty() || key.empty())
                    return fail(message, at(offset) + "malformed original chunk");
                out->has_original = true;
                out->original_file.assign(name.begin(), name.end());
                out->original_key.assign(key.begin(), key.end());
            } else if (type == chunk_end) {
                if (length != 0) return fail(message, at(offset) + "malformed end chunk");
                ended = true;
            } else {
                return fail(message, at(offset) + "unknown chunk '" + type_name(type) + "'");
            }
            ++chunk_index;
        }
        if (file.left() != 0) return fail(message, "data after the end chunk");
        std::uint32_t seen_objects = 0, seen_elements = 0;
        for (const parsed_item& i : out->items) (i.element ? seen_elements : seen_objects)++;
        if (out->pages.size() != pages || seen_objects != objects || seen_elements != elements ||
            out->document_objects.size() != document_objects)
            return fail(message, "chunk counts differ from the header");
        return S_OK;
    }

private:
    static bool valid(const parsed_item& item)
    {
        if (item.element) {
            const BYTE flags = item.place;
            if ((flags & 0x0F) == 0 || (flags & ~0x1F)) return false;
            if ((flags & repeats_earlier) && item.record_size != 4) return false;
            const bool needs_id = flags & (in_page_objects | in_resources);
            return needs_id ? item.id > 0 && item.page_index > 0 : item.id == 0 && item.page_index > 0;
        }
        if (item.place > static_cast<BYTE>(placement::resources_unlisted)) return false;
        const auto where = static_cast<placement>(item.place);
        if (where == placement::page_objects && !lists_as_page_object(item.kind)) return false;
        if ((where == placement::resources || where == placement::resources_unlisted) &&
            !lists_as_resource(item.kind))
            return false;
        if (where == placement::none) return lists_as_page_object(item.kind) || lists_as_resource(item.kind);
        const bool needs_id = where == placement::page_objects || where == placement::resources;
        return item.page_index > 0 && (needs_id ? item.id > 0 : item.id == 0);
    }
    static std::string at(std::size_t offset) { return "at byte " + std::to_string(offset) + ": "; }
    static HRESULT fail(std::string* message, std::string text)
    {
        *message = "damaged .pjd file: " + std::move(text);
        return PJD_E_DAMAGED;
    }

    std::uint32_t object_serial_ = 0;
    std::vector<CLSID> element_classes_;  // of the element chunks that hold a record
};

class serial_table final : public ref_lookup {
public:
    std::vector<com::ComPtr<IDispatch>> objects;
    IUnknown* object(std::uint32_t serial) const noexcept override
    {
        if (serial == 0 || serial > objects.size()) return nullptr;
        return objects[serial - 1].get();
    }
};

// Gives `stream` (a memory stream) exactly the bytes of a record, at position 0: one stream
// serves every record of a load instead of one made and filled for each.
HRESULT refill(IStream* stream, const BYTE* record, std::size_t size) noexcept
{
    if (size > ULONG(-1)) return E_OUTOFMEMORY;
    ULARGE_INTEGER none{};
    RETURN_IF_FAILED(stream->SetSize(none));
    RETURN_IF_FAILED(stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr));
    ULONG written = 0;
    RETURN_IF_FAILED(stream->Write(record, static_cast<ULONG>(size), &written));
    return stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
}

// Makes objects by class id as CoCreateInstance does, keeping the class factories of the
// first few classes: the elements of a file mostly share a few classes.
class class_factories {
public:
    class_factories() noexcept
    {
        try {
            known_.reserve(kKept);
        } catch (const std::bad_alloc&) {
        }
    }

    HRESULT create(REFCLSID clsid, com::ComPtr<IUnknown>* out) noexcept
    {
        IClassFactory* factory = nullptr;
        for (const auto& [id, kept] : known_)
            if (id == clsid) factory = kept.get();
        com::ComPtr<IClassFactory> asked;
        if (!factory) {
            RETURN_IF_FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr,
                                              IClassFactory::iid, asked.put_void()));
            factory = asked.get();
            // Only within the room reserved: keeping a factory never allocates.
            if (known_.size() < known_.capacity()) known_.emplace_back(clsid, asked);
        }
        const HRESULT hr = factory->CreateInstance(nullptr, IID_IUnknown, out->put_void());
        if (FAILED(hr)) out->reset();
        return hr;
    }

private:
    static constexpr std::size_t kKept = 8;
    std::vector<std::pair<CLSID, com::ComPtr<IClassFactory>>> known_;
};

HRESULT load_persisted(class_factories& classes, REFCLSID clsid, const BYTE* record,
                       std::size_t size, IStream* stream, com::ComPtr<IUnknown>* out) noexcept
{
    com::ComPtr<IUnknown> made;
    RETURN_IF_FAILED(classes.create(clsid, &made));
    RETURN_IF_FAILED(refill(stream, record, size));
    com::ComPtr<IPersistStreamInit> init;
    com::ComPtr<IPersistStream> plain;
    made->QueryInterface(IPersistStreamInit::iid, init.put_void());
    if (init) {
        RETURN_IF_FAILED(init->Load(stream));
    } else {
        made->QueryInterface(IPersistStream::iid, plain.put_void());
        if (!plain) return E_NOINTERFACE;
        RETURN_IF_FAILED(plain->Load(stream));
    }
    *out = std::move(made);
    return S_OK;
}

std::string guid_text(REFCLSID clsid)
{
    OLECHAR buffer[40] = {};
    StringFromGUID2(clsid, buffer, 40);
    return utf8(buffer);
}

HRESULT build(const parsed_file& f, bool pages_only, document_object* doc, std::string* message)
{
    for (const parsed_page& p : f.pages) {
        page* made = nullptr;
        if (HRESULT hr = doc->new_page(p.width, p.height, p.resolution, p.id, &made); FAILED(hr)) {
            if (hr != E_INVALIDARG) {
                *message = "page id " + std::to_string(p.id) + " cannot be made: " + hex(hr);
                return hr;
            }
            *message = "damaged .pjd file: page id " + std::to_string(p.id) + " given twice";
            return PJD_E_DAMAGED;
        }
        com::ComPtr<page> hold;
        hold.attach(made);
        made->set_title(p.title);
        made->words() = p.words;
        made->objects().set_next_id(p.next_object_id);
        made->resources().set_next_id(p.next_resource_id);
    }
    if (f.next_page_id > doc->ctx().next_page_id) doc->ctx().next_page_id = f.next_page_id;
    doc->original_file() = f.original_file;
    doc->original_key() = f.original_key;
    if (pages_only) return S_OK;

    auto page_of = [&](std::uint32_t index) -> page* {
        return index == 0 ? nullptr : doc->pages()[index - 1].get();
    };
    auto damaged = [&](const std::string& text) {
        *message = "damaged .pjd file: " + text;
        return PJD_E_DAMAGED;
    };
    // A list refuses an id it holds already; any other failure is the list's own.
    auto not_listed = [&](HRESULT hr, LONG id) {
        if (hr == E_INVALIDARG) return damaged("object id " + std::to_string(id) + " given twice");
        *message = "object id " + std::to_string(id) + " cannot be listed: " + hex(hr);
        return hr;
    };

    serial_table table;
    for (const parsed_item& item : f.items) {
        if (item.element) continue;
        page* p = page_of(item.page_index);
        com::ComPtr<IDispatch> made;
        RETURN_IF_FAILED(create_host_object(doc->shared_ctx(), item.kind, p ? p->id() : 0, made.put()));
        table.objects.push_back(std::move(made));
    }
    std::size_t serial = 0;
    for (const parsed_item& item : f.items) {
        if (item.element) continue;
        host_object* h = host_object_of(table.objects[serial++].get());
        byte_reader in(item.record, item.record_size);
        if (!h->load(in, table) || !in.at_end())
            return damaged("record of object " + std::to_string(serial) + " (" +
                           kind_name(item.kind) + ") does not fit its kind");
        if (item.attached) h->restore_attached();
    }

    // Each list gets its room at once: the file says how many entries it holds.
    {
        std::vector<std::array<std::size_t, 2>> listed(f.pages.size());
        for (const parsed_item& item : f.items) {
            if (item.page_index == 0) continue;
            const bool on_page = item.element ? (item.place & in_page_objects) != 0
                                              : item.place == static_cast<BYTE>(placement::page_objects);
            const bool in_list = item.element ? (item.place & in_resources) != 0
                                              : item.place == static_cast<BYTE>(placement::resources);
            if (on_page) ++listed[item.page_index - 1][0];
            if (in_list) ++listed[item.page_index - 1][1];
        }
        for (std::size_t i = 0; i < listed.size() && i < doc->pages().size(); ++i) {
            page* p = doc->pages()[i].get();
            if (listed[i][0]) p->objects().reserve(listed[i][0]);
            if (listed[i][1]) p->resources().reserve(listed[i][1]);
        }
    }

    com::ComPtr<IStream> records;
    RETURN_IF_FAILED(com::create_memory_stream(records.put()));
    class_factories classes;
    std::vector<com::ComPtr<IUnknown>> elements;
    std::vector<page*> element_pages;
    // Each element made from a record, and whether it waits to be attached.
    struct made_element {
        com::ComPtr<IUnknown> object;
        bool queued;
    };
    std::vector<made_element> made;
    serial = 0;
    for (const parsed_item& item : f.items) {
        page* p = page_of(item.page_index);
        if (!item.element) {
            IDispatch* object = table.objects[serial++].get();
            const auto where = static_cast<placement>(item.place);
            HRESULT hr = S_OK;
            if (where == placement::page_objects)
                hr = p->objects().insert(p->ctx(), object, where, "element", item.id);
            else if (where == placement::resources)
                hr = p->resources().insert(p->ctx(), object, where, "resource", item.id);
            else if (where == placement::resources_unlisted)
                hr = p->resources().keep(object, where);
            if (FAILED(hr)) return not_listed(hr, item.id);
            // A placed PDF page is an element of its page as well.
            com::ComPtr<IZElement> as_element;
            object->QueryInterface(IZElement::iid, as_element.put_void());
            if (as_element && where == placement::page_objects) p->elements().push_back(as_element);
            continue;
        }
        com::ComPtr<IUnknown> element;
        HRESULT hr = S_OK;
        if (item.place & repeats_earlier)
            element = made[item.repeats].object;
        else
            hr = load_persisted(classes, item.clsid, item.record, item.record_size, records.get(), &element);
        if (FAILED(hr)) {
            *message = "element " + std::to_string(item.id) + " of page " +
                       std::to_string(item.page_index) + " (class " + guid_text(item.clsid) +
                       ") cannot be loaded: " + hex(hr);
            return hr;
        }
        if (item.place & in_page_objects)
            hr = p->objects().insert(p->ctx(), element.get(), placement::page_objects, "element", item.id);
        else if (item.place & in_resources)
            hr = p->resources().insert(p->ctx(), element.get(), placement::resources, "resource", item.id);
        else if (item.place & kept_in_resources)
            hr = p->resources().keep(element.get(), placement::resources_unlisted);
        if (FAILED(hr)) return not_listed(hr, item.id);
        if (!(item.place & repeats_earlier)) made.push_back({element, false});
        if (item.place & known_element) {
            com::ComPtr<IZElement> as_element;
            element->QueryInterface(IZElement::iid, as_element.put_void());
            // A fresh element is known nowhere yet.
            const bool known = (item.place & repeats_earlier) && p->knows_element(element.get());
            if (as_element && !known) p->elements().push_back(as_element);
        }
        // Only an element that was on its page is attached again: one the resource list alone
        // holds was never attached, and attaching it would add it to the page objects, so that
        // every save and reload would make one more of it. An element is attached once.
        if (!(item.place & (in_page_objects | known_element))) continue;
        bool& queued = made[item.place & repeats_earlier ? item.repeats : made.size() - 1].queued;
        if (queued) continue;
        queued = true;
        elements.push_back(std::move(element));
        element_pages.push_back(p);
    }

    for (const auto& [page_index, object, maker] : f.makers)
        doc->pages()[static_cast<std::size_t>(page_index - 1)]->objects().set_maker(object, maker);

    for (const auto& [clsid, record] : f.document_objects) {
        com::ComPtr<IUnknown> object;
        HRESULT hr = load_persisted(classes, clsid, record.data(), record.size(), records.get(), &object);
        com::ComPtr<IDispatch> as_dispatch;
        if (SUCCEEDED(hr)) hr = object->QueryInterface(IDispatch::iid, as_dispatch.put_void());
        if (SUCCEEDED(hr)) hr = doc->add_item(as_dispatch.get());
        if (FAILED(hr)) {
            *message = "document object of class " + guid_text(clsid) + " cannot be loaded: " + hex(hr);
            return hr;
        }
    }

    // Last, so that every element finds the container and keeps its id.
    for (std::size_t i = 0; i < elements.size(); ++i) {
        com::ComPtr<IZElement> as_element;
        elements[i]->QueryInterface(IZElement::iid, as_element.put_void());
        if (!as_element) continue;
        page* p = element_pages[i];
        attach_through_view(p, as_element.get(), doc);
    }
    return S_OK;
}

}  // namespace

HRESULT pjd_load(const BYTE* data, std::size_t size, bool pages_only,
                 com::ComPtr<document_object>* out, std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    if (!out || (!data && size)) return E_POINTER;
    out->reset();
    try {
        parsed_file f;
        RETURN_IF_FAILED(parser().run(data, size, &f, message));
        com::ComPtr<document_object> doc;
        RETURN_IF_FAILED(make_document(&doc));
        const bool journal_was_on = doc->ctx().log.enabled();
        HRESULT hr = build(f, pages_only, doc.get(), message);
        doc->ctx().log.enable(journal_was_on);
        if (FAILED(hr)) {
            doc->close();
            return hr;
        }
        *out = std::move(doc);
        return S_OK;
    } catch (const std::bad_alloc&) {
        *message = "out of memory while loading";
        return E_OUTOFMEMORY;
    }
}

HRESULT pjd_read_file(const std::string& path, std::vector<BYTE>* bytes,
                      std::string* message) noexcept
{
    std::string ignored;
    if (!message) message = &ignored;
    try {
        int fd = com::open_regular_file(path.c_str());
        if (fd < 0) {
            const int error = errno;
            *message = error == EISDIR || error == ESPIPE
                           ? path + " is not a file"
                           : "cannot open " + path + ": " + std::strerror(error);
            return error == ENOENT ? STG_E_FILENOTFOUND : STG_E_ACCESSDENIED;
        }
        struct stat st {};
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            *message = path + " is not a file";
            return STG_E_ACCESSDENIED;
        }
        bytes->resize(static_cast<std::size_t>(st.st_size));
        std::size_t done = 0;
        while (done < bytes->size()) {
            ssize_t n = ::read(fd, bytes->data() + done, bytes->size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
        bytes->resize(done);
        return S_OK;
    } catch (const std::bad_alloc&) {
        *message = "out of memory while reading " + path;
        return E_OUTOFMEMORY;
    }
}

}  // namespace host
