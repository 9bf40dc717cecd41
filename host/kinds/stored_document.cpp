// Stored documents (a .pjd file opened for placing its pages) and placed document pages.
#include "host/kinds/factory.h"
#include "host/kinds/properties.h"
#include "host/kinds/rect_view.h"
#include "host/output/paint.h"
#include "host/pjd/pjd.h"

namespace host {
namespace {

// A stored document may place pages of further stored documents, even of its own file; past
// this depth only the pages' sizes and words are loaded, which ends any loop.
constexpr int kMaxNesting = 4;
thread_local int nesting = 0;

class stored_document : public kind_object<stored_document, IZStoredDocument> {
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
    HOST_GET_TEXT(FileName, file_)

    void resource(resource_info& out) const override
    {
        out.stored_document = true;
        out.stored = doc_.get();
    }
    void describe(property_list& out) const override
    {
        out.emplace_back("FileName", utf8(file_));
        out.emplace_back("Flags", number(flags_));
        out.emplace_back("Loaded", doc_ ? "true" : "false");
        out.emplace_back("PageCount", number(doc_ ? static_cast<LONG>(doc_->pages().size()) : 0));
        if (!error_.empty()) out.emplace_back("Error", error_);
    }
    void save(byte_writer& out, const ref_serials&) const override
    {
        out.text(file_);
        out.i32(flags_);
        out.u8(doc_ ? 1 : 0);
    }
    bool load(byte_reader& in, const ref_lookup&) override
    {
        file_ = in.text();
        flags_ = in.i32();
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

    std::u16string file_;
    LONG flags_ = 0;
    com::ComPtr<document_object> doc_;
    std::string error_;
};

class placed_page : public kind_object<placed_page, IZPlacedDocumentPage> {
public:
    HRESULT get_Document(IZStoredDocument** v) noexcept override
    {
        auto rec = record("get_Document");
        if (!v) return rec(E_POINTER);
        doc_.copy_to(v);
        return rec(S_OK, ref(*v));
    }
    HRESULT putref_Document(IZStoredDocument* v) noexcept override
    {
        auto rec = record("putref_Document", ref(v));
        doc_ = com::ComPtr<IZStoredDocument>(v);
        return rec(S_OK);
    }
    HOST_LONG_PROPERTY(PageNumber, number_)
    HRESULT get_Rect(IZRect** rect) noexcept override
    {
        auto rec = record("get_Rect");
        return rec(make_rect_view(this, &rect_, rect), part_name("rect"));
    }

    void describe(property_list& out) const override
    {
        out.emplace_back("Document", ctx()->name_of(doc_.get()));
        out.emplace_back("PageNumber", number(number_));
        describe_rect(rect_, out);
    }
    void save(byte_writer& out, const ref_serials& refs) const override
    {
        out.u32(refs.serial(doc_.get()));
        out.i32(number_);
        save_rect(rect_, out);
    }
    bool load(byte_reader& in, const ref_lookup& refs) override
    {
        if (!load_ref(in, refs, &doc_)) return false;
        number_ = in.i32();
        load_rect(rect_, in);
        return in.ok();
    }
    void references(std::vector<IUnknown*>& out) const override
    {
        if (doc_) out.push_back(doc_.get());
    }
    void paint(painter& p) const override
    {
        document_page_paint d;
        if (doc_) d.document = resource_of(doc_.get()).stored;
        d.page_number = number_;
        d.rect = {rect_.left, rect_.top, rect_.right, rect_.bottom};
        p.document_page(d);
    }
    void drop_references() noexcept override
    {
        host_object::drop_references();
        doc_ = nullptr;
    }

private:
    com::ComPtr<IZStoredDocument> doc_;
    LONG number_ = 0;
    rect_data rect_;
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
