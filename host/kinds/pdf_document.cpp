// The PDF document (a PDF file opened for placing its pages) and the placed PDF page (one of
// its pages on a page, an element of that page). Both are made by class id, as an image
// element makes them, and belong to a document once one of its lists takes them.
#include <mutex>
#include <new>

#include <tuple>

#include "host/kinds/property_table.h"
#include "host/output/paint.h"
#include "host/output/pdf/pdf_file.h"

namespace host {
namespace {

using maker = HRESULT (*)(const std::shared_ptr<context>&, LONG, IDispatch**) noexcept;

struct pdf_fields {
    std::u16string file_;
    LONG flags_ = 0;
    pdf::pdf_file pdf_;
};

std::string opened_text(const pdf_fields& f) { return f.pdf_.is_open() ? "true" : "false"; }
std::string pdf_page_count(const pdf_fields& f) { return number(f.pdf_.page_count()); }

// Whether the file was open is saved after the table's part of the record.
constexpr auto pdf_table = std::tuple{
    field<codec::text>("FileName", &pdf_fields::file_),
    field<codec::i32>("Flags", &pdf_fields::flags_),
    shown<pdf_fields>("Opened", opened_text),
    shown<pdf_fields>("PageCount", pdf_page_count),
};

class pdf_document : public table_kind<pdf_document, IZPdfDocument, pdf_fields, pdf_table> {
public:
    HRESULT Open(BSTR file, LONG flags, BSTR password) noexcept override
    {
        auto rec = record("Open", file, flags);
        try {
            file_ = from_bstr(file);
            flags_ = flags;
            password_ = utf8(com::bstr_view(password));
        } catch (const std::bad_alloc&) {
            return rec(E_OUTOFMEMORY);
        }
        return rec(open());
    }
    HRESULT get_PageCount(LONG* count) noexcept override
    {
        auto rec = record("get_PageCount");
        if (!count) return rec(E_POINTER);
        *count = pdf_.page_count();
        return rec(S_OK, *count);
    }
    HRESULT GetPageSize(LONG number, double* width, double* height) noexcept override
    {
        auto rec = record("GetPageSize", number);
        if (!width || !height) return rec(E_POINTER);
        *width = *height = 0;
        if (!pdf_.is_open()) return rec(E_UNEXPECTED);
        if (!pdf_.page_size(number, width, height)) return rec(E_INVALIDARG);
        return rec(S_OK, *width, *height);
    }
    HOST_GET_PROPERTY(FileName)

    void resource(resource_info& out) const override { out.pdf = &pdf_; }
    void describe(property_list& out) const override
    {
        with_table::describe(out);
        if (!error_.empty()) out.emplace_back("Error", error_);
    }
    // The password is not kept in the file: an encrypted PDF opens again only without one.
    void save(byte_writer& out, const ref_serials& refs) const override
    {
        with_table::save(out, refs);
        out.u8(pdf_.is_open() ? 1 : 0);
    }
    bool load(byte_reader& in, const ref_lookup& refs) override
    {
        if (!load_fields(in, refs)) return false;
        const bool was_open = in.u8() != 0;
        if (!in.ok()) return false;
        if (was_open) open();  // a file gone since leaves the document unopened
        return true;
    }

private:
    HRESULT open() noexcept
    {
        error_.clear();
        try {
            context* c = ctx();
            if (c && !c->opened_pdfs) c->opened_pdfs = std::make_shared<pdf::opened_pdfs>();
            const HRESULT hr =
                pdf_.open(native_path(file_), password_, &error_, c ? c->opened_pdfs.get() : nullptr);
            double width = 0, height = 0;
            if (FAILED(hr))
                unusable(error_);
            else if (pdf_.page_count() == 0)
                unusable("the PDF has no pages");
            else if (pdf_.page_size(1, &width, &height) && (width == 0 || height == 0))
                unusable("the first page of the PDF has no size");
            return hr;
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

    // A file opened but with nothing to place is as unusable as one that did not open.
    void unusable(const std::string& cause) const
    {
        if (context* c = ctx()) c->note_unusable(utf8(file_), cause);
    }

    std::string password_;
    std::string error_;
};

struct placed_pdf_fields {
    com::ComPtr<IZPdfDocument> doc_;
    LONG number_ = 1;
    VARIANT_BOOL keep_ = VARIANT_TRUE;
    LONG left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};
constexpr auto placed_pdf_table = std::tuple{
    field<codec::reference<IZPdfDocument>>("Document", &placed_pdf_fields::doc_),
    field<codec::i32>("PageNumber", &placed_pdf_fields::number_),
    field<codec::flag>("KeepAspectRatio", &placed_pdf_fields::keep_),
    field<codec::i32>("Left", &placed_pdf_fields::left_),
    field<codec::i32>("Top", &placed_pdf_fields::top_),
    field<codec::i32>("Width", &placed_pdf_fields::width_),
    field<codec::i32>("Height", &placed_pdf_fields::height_),
};

// Also an element of its page, so its COM part is made here rather than by kind_object.
class placed_pdf_page
    : public with_table<
          com::object_root<placed_pdf_page, com::automation::dispatch_impl<IZPlacedPdfPage>,
                           com::automation::dispatch_impl<IZElement>, host_object>,
          placed_pdf_fields, placed_pdf_table> {
public:
    IUnknown* unknown() noexcept override { return this->identity(); }

    HOST_GET_PROPERTY(Document)
    HRESULT putref_Document(IZPdfDocument* value) noexcept override
    {
        const HRESULT hr = put_field<row_of("Document")>("putref_Document", value);
        find_file();
        return hr;
    }
    HOST_PROPERTY(PageNumber)
    HOST_PROPERTY(KeepAspectRatio)
    HRESULT SetPosition(LONG left, LONG top, LONG width, LONG height) noexcept override
    {
        auto rec = record("SetPosition", left, top, width, height);
        left_ = left;
        top_ = top;
        width_ = width;
        height_ = height;
        return rec(S_OK);
    }
    HRESULT GetPosition(LONG* left, LONG* top, LONG* width, LONG* height) noexcept override
    {
        auto rec = record("GetPosition");
        if (!left || !top || !width || !height) return rec(E_POINTER);
        *left = left_;
        *top = top_;
        *width = width_;
        *height = height_;
        return rec(S_OK, *left, *top, *width, *height);
    }

    HRESULT GetObjectKind(LONG* kind) noexcept override { return object_kind(kind); }
    HRESULT Attach(IDispatch* page_objects, IDispatch* resources, IDispatch* document) noexcept override
    {
        return attach(page_objects, resources, document);
    }
    HRESULT GetBounds(LONG* left, LONG* top, LONG* right, LONG* bottom) noexcept override
    {
        auto rec = record("GetBounds");
        if (!left || !top || !right || !bottom) return rec(E_POINTER);
        *left = left_;
        *top = top_;
        *right = static_cast<LONG>(static_cast<ULONG>(left_) + static_cast<ULONG>(width_));
        *bottom = static_cast<LONG>(static_cast<ULONG>(top_) + static_cast<ULONG>(height_));
        return rec(S_OK, *left, *top, *right, *bottom);
    }
    // The page shows in the PDF the engine writes; a design-time picture is not drawn.
    HRESULT Draw(LONGLONG, LONG, LONG, LONG, LONG, LONG, LONGLONG) noexcept override { return S_OK; }

    bool load(byte_reader& in, const ref_lookup& refs) override
    {
        const bool loaded = with_table::load(in, refs);
        find_file();
        return loaded;
    }
    void drop_references() noexcept override
    {
        with_table::drop_references();
        file_ = nullptr;
    }

    void paint(painter& p) const override
    {
        pdf_page_paint d;
        d.file = file_;
        d.page_number = number_;
        d.keep_aspect = keep_ != VARIANT_FALSE;
        d.rect = {left_, top_, static_cast<LONG>(static_cast<ULONG>(left_) + static_cast<ULONG>(width_)),
                  static_cast<LONG>(static_cast<ULONG>(top_) + static_cast<ULONG>(height_))};
        p.pdf_page(d);
    }

private:
    // Found when the document is given rather than when painting: asking the document for it
    // counts a reference, and documents written on two threads may paint one PDF document.
    void find_file() noexcept { file_ = doc_ ? resource_of(doc_.get()).pdf : nullptr; }

    const pdf::pdf_file* file_ = nullptr;  // of doc_, which keeps it
};

// Creation by class id: the object belongs to no document yet (see host_object::adopt). The
// class objects are static and live as long as the process, so they hold no module lock.
template <maker Make>
class engine_class final : public IClassFactory {
public:
    HRESULT QueryInterface(REFIID riid, void** out) noexcept override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown && riid != IClassFactory::iid) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG AddRef() noexcept override { return 2; }
    ULONG Release() noexcept override { return 1; }
    HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) noexcept override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        com::ComPtr<IDispatch> made;
        RETURN_IF_FAILED(Make(nullptr, 0, made.put()));
        return made->QueryInterface(riid, object);
    }
    HRESULT LockServer(BOOL) noexcept override { return S_OK; }
};

}  // namespace

HRESULT make_pdf_document(const std::shared_ptr<context>& ctx, LONG page_id, IDispatch** out) noexcept
{
    return make_kind<pdf_document>(ctx, zeKindPdfDocument, page_id, out);
}

HRESULT make_placed_pdf_page(const std::shared_ptr<context>& ctx, LONG page_id,
                             IDispatch** out) noexcept
{
    // Two dispatch interfaces: made through the first, handed out as the first's IDispatch.
    if (!out) return E_POINTER;
    *out = nullptr;
    com::ComPtr<IZPlacedPdfPage> made;
    RETURN_IF_FAILED(com::make<placed_pdf_page>(made.put()));
    host_object_of(made.get())->bind(ctx, zeKindPlacedPdfPage, page_id);
    return made->QueryInterface(IDispatch::iid, reinterpret_cast<void**>(out));
}

HRESULT register_engine_classes() noexcept
{
    static engine_class<make_pdf_document> pdf_documents;
    static engine_class<make_placed_pdf_page> placed_pdf_pages;
    static const HRESULT result = [] {
        DWORD cookie = 0;
        HRESULT hr = CoRegisterClassObject(CLSID_ZPdfDocument, &pdf_documents, CLSCTX_INPROC_SERVER,
                                           REGCLS_MULTIPLEUSE, &cookie);
        if (SUCCEEDED(hr))
            hr = CoRegisterClassObject(CLSID_ZPlacedPdfPage, &placed_pdf_pages,
                                       CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
        return hr;
    }();
    return result;
}

}  // namespace host
