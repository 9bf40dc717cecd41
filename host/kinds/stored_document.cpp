// Stored documents (a .pjd file opened for placing its pages) and placed document pages.
//
// A file is loaded once for a document and for every document it places, however many
// objects place it: they share what was loaded, keyed by the file's real path, size and
// modification time. A file that places itself, directly or through others, is refused where
// it would be loaded inside itself, with a message naming the cycle.
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "host/kinds/property_table.h"
#include "host/output/paint.h"
#include "host/pjd/pjd.h"

namespace host {

// A loaded file, closed once the last object that places it lets it go.
struct loaded_file {
    com::ComPtr<document_object> doc;
    loaded_file() = default;
    loaded_file(const loaded_file&) = delete;
    loaded_file& operator=(const loaded_file&) = delete;
    ~loaded_file()
    {
        if (doc) doc->close();
    }
};

struct stored_file_cache {
    // Real path, pages only, size, modification time in seconds and nanoseconds.
    using key = std::tuple<std::string, bool, long long, long long, long>;
    // Weak: the objects that place a file own it, the cache only finds it.
    std::map<key, std::weak_ptr<loaded_file>> files;
};

namespace {

// A stored document may place pages of further stored documents; past this depth only the
// pages' sizes and words are loaded.
constexpr int kMaxNesting = 4;
thread_local int nesting = 0;
// The files being loaded, outermost first, and the cache of the outermost document: the
// documents loaded inside it share that cache.
thread_local std::vector<std::string> loading;
thread_local std::shared_ptr<stored_file_cache> active_cache;

std::string real_path_of(const std::string& path)
{
    char real[PATH_MAX];
    if (::realpath(path.c_str(), real) == nullptr) return path;
    return real;
}

std::string cycle_text(const std::string& real)
{
    std::string text = real + " places itself: ";
    bool in_cycle = false;
    for (const std::string& file : loading) {
        in_cycle = in_cycle || file == real;
        if (in_cycle) text += file + " -> ";
    }
    return text + real;
}

struct stored_fields {
    std::u16string file_;
    LONG flags_ = 0;
    com::ComPtr<document_object> doc_;
};

std::string loaded_text(const stored_fields& f) { return f.doc_ ? "true" : "false"; }
std::string stored_page_count(const stored_fields& f)
{
    return number(f.doc_ ? static_cast<LONG>(f.doc_->pages().size()) : 0);
}

// Whether the document was loaded is saved after the table's part of the record.
constexpr auto stored_table = std::tuple{
    field<codec::text>("FileName", &stored_fields::file_),
    field<codec::i32>("Flags", &stored_fields::flags_),
    shown<stored_fields>("Loaded", loaded_text),
    shown<stored_fields>("PageCount", stored_page_count),
};

class stored_document
    : public table_kind<stored_document, IZStoredDocument, stored_fields, stored_table> {
public:
    void final_release() noexcept { let_go(); }

    HRESULT Load(BSTR file, LONG flags) noexcept override
    {
        auto rec = record("Load", file, flags);
        try {
            file_ = from_bstr(file);
            flags_ = flags;
        } catch (const std::bad_alloc&) {
            return rec(E_OUTOFMEMORY);
        }
        return rec(open());
    }
    HRESULT get_Pages(IZPageList** pages) noexcept override
    {
        auto rec = record("get_Pages");
        if (!pages) return rec(E_POINTER);
        *pages = nullptr;
        if (!doc_) return rec(E_UNEXPECTED);
        *pages = doc_->page_list_part();
        (*pages)->AddRef();
        return rec(S_OK, part_name("pages"));
    }
    HOST_GET_PROPERTY(FileName)

    void resource(resource_info& out) const override
    {
        out.stored_document = true;
        out.stored = doc_.get();
    }
    void describe(property_list& out) const override
    {
        with_table::describe(out);
        if (!error_.empty()) out.emplace_back("Error", error_);
    }
    void save(byte_writer& out, const ref_serials& refs) const override
    {
        with_table::save(out, refs);
        out.u8(doc_ ? 1 : 0);
    }
    bool load(byte_reader& in, const ref_lookup& refs) override
    {
        if (!load_fields(in, refs)) return false;
        const bool was_loaded = in.u8() != 0;
        if (!in.ok()) return false;
        // The file is opened again; one that is gone now leaves the document unloaded.
        if (was_loaded) open();
        return true;
    }

private:
    void let_go() noexcept
    {
        doc_ = nullptr;
        shared_.reset();
    }

    HRESULT open() noexcept
    {
        let_go();
        error_.clear();
        std::string message;
        HRESULT hr = S_OK;
        try {
            hr = share_or_load(&message);
            if (FAILED(hr)) {
                error_ = message;
            } else if (doc_->pages().empty()) {
                message = "the stored document has no pages";
            }
            if (!message.empty())
                if (context* c = ctx()) c->note_unusable(utf8(file_), message);
            // What the placed document could not use (a .pjd it places that is gone or places
            // itself further down) is missing from this one too, so it is this document's to name,
            // once however often the document is placed.
            if (doc_)
                if (context* c = ctx(); c && c != &doc_->ctx())
                    for (const unusable_file& f : doc_->ctx().unusable_files) {
                        bool named = false;
                        for (const unusable_file& n : c->unusable_files)
                            named = named || (n.file == f.file && n.cause == f.cause);
                        if (!named) c->note_unusable(f.file, f.cause);
                    }
        } catch (const std::bad_alloc&) {
            let_go();
            return E_OUTOFMEMORY;
        }
        return hr;
    }

    HRESULT share_or_load(std::string* message)
    {
        const std::string path = native_path(file_);
        const std::string real = real_path_of(path);
        for (const std::string& file : loading)
            if (file == real) {
                *message = cycle_text(real);
                return E_INVALIDARG;
            }
        const bool pages_only = nesting + 1 > kMaxNesting;
        struct stat st {};
        const bool known = ::stat(real.c_str(), &st) == 0;
        const stored_file_cache::key key{real, pages_only, st.st_size, st.st_mtim.tv_sec,
                                         st.st_mtim.tv_nsec};
        std::shared_ptr<stored_file_cache> cache = cache_for_this_document();
        if (known)
            if (auto it = cache->files.find(key); it != cache->files.end())
                if ((shared_ = it->second.lock())) {
                    doc_ = shared_->doc;
                    return S_OK;
                }

        std::vector<BYTE> bytes;
        HRESULT hr = pjd_read_file(path, &bytes, message);
        if (FAILED(hr)) return hr;
        auto loaded = std::make_shared<loaded_file>();
        {
            // Undone however the load ends; the documents loaded inside share this cache.
            struct frame {
                std::shared_ptr<stored_file_cache> outer;
                frame(const std::string& file, const std::shared_ptr<stored_file_cache>& cache)
                    : outer(active_cache)
                {
                    loading.push_back(file);
                    active_cache = cache;
                    ++nesting;
                }
                ~frame()
                {
                    --nesting;
                    active_cache = std::move(outer);
                    loading.pop_back();
                }
            } inside(real, cache);
            hr = pjd_load(bytes.data(), bytes.size(), pages_only, &loaded->doc, message);
        }
        if (FAILED(hr)) return hr;
        if (known) cache->files[key] = loaded;
        shared_ = std::move(loaded);
        doc_ = shared_->doc;
        return S_OK;
    }

    // The cache of the document this object belongs to; a document loaded for placing takes
    // the one of the document that places it.
    std::shared_ptr<stored_file_cache> cache_for_this_document()
    {
        context* c = ctx();
        std::shared_ptr<stored_file_cache> cache = c ? c->stored_files : nullptr;
        if (!cache) cache = active_cache ? active_cache : std::make_shared<stored_file_cache>();
        if (c && !c->stored_files) c->stored_files = cache;
        return cache;
    }

    std::shared_ptr<loaded_file> shared_;
    std::string error_;
};

struct placed_page_fields {
    com::ComPtr<IZStoredDocument> doc_;
    LONG number_ = 0;
    rect_data rect_;
};
constexpr auto placed_page_table = std::tuple{
    field<codec::reference<IZStoredDocument>>("Document", &placed_page_fields::doc_),
    field<codec::i32>("PageNumber", &placed_page_fields::number_),
    field<codec::rect>("Rect", &placed_page_fields::rect_),
};

class placed_page : public table_kind<placed_page, IZPlacedDocumentPage, placed_page_fields,
                                      placed_page_table> {
public:
    HOST_REF_PROPERTY(Document)
    HOST_PROPERTY(PageNumber)
    HRESULT get_Rect(IZRect** rect) noexcept override
    {
        auto rec = record("get_Rect");
        return rec(make_rect_view(this, &rect_, rect), part_name("rect"));
    }

    void paint(painter& p) const override
    {
        document_page_paint d;
        if (doc_) d.document = resource_of(doc_.get()).stored;
        d.page_number = number_;
        d.rect = {rect_.left, rect_.top, rect_.right, rect_.bottom};
        p.document_page(d);
    }
};

}  // namespace

HRESULT make_stored_document(const std::shared_ptr<context>& ctx, LONG page_id,
                             IDispatch** out) noexcept
{
    return make_kind<stored_document>(ctx, zeKindStoredDocument, page_id, out);
}

HRESULT make_placed_page(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept
{
    return make_kind<placed_page>(ctx, zeKindPlacedDocumentPage, page_id, out);
}

}  // namespace host
