// Stored documents (a .pjd file opened for placing its pages) and placed document pages.
#include <tuple>

#include "host/kinds/property_table.h"
#include "host/output/paint.h"
#include "host/pjd/pjd.h"

namespace host {
namespace {

// A stored document may place pages of further stored documents, even of its own file; past
// this depth only the pages' sizes and words are loaded, which ends any loop.
constexpr int kMaxNesting = 4;
thread_local int nesting = 0;

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
    void final_release() noexcept
    {
        if (doc_) doc_->close();
    }

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
    HRESULT open() noexcept
    {
        if (doc_) doc_->close();
        doc_ = nullptr;
        error_.clear();
        std::vector<BYTE> bytes;
        std::string message;
        HRESULT hr = pjd_read_file(native_path(file_), &bytes, &message);
        if (SUCCEEDED(hr)) {
            ++nesting;
            hr = pjd_load(bytes.data(), bytes.size(), nesting > kMaxNesting, &doc_, &message);
            --nesting;
        }
        if (FAILED(hr)) error_ = message;
        return hr;
    }

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
