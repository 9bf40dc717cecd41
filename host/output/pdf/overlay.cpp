// The layer laid over the input's pages with qpdf: each layer page as a form XObject placed on
// the input page, its annotations moved over with the same matrix, its fields added to the
// input's form, its optional content groups to the input's.
#include "host/output/pdf/overlay.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <set>

#include <qpdf/Pl_String.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFAcroFormDocumentHelper.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFMatrix.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageObjectHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include "host/output/pdf/page_form.h"
#include "platform/com/regular_file.h"

namespace host::pdf {
namespace {

// A name for the layer's form in the page's resources that the page does not use yet.
std::string free_name(QPDFObjectHandle xobjects)
{
    std::string name = "/ZCntLayer";
    for (int n = 2; xobjects.isDictionary() && xobjects.hasKey(name); ++n)
        name = "/ZCntLayer" + std::to_string(n);
    return name;
}

// qpdf moves an annotation's /Rect and appearance with the matrix, not the points it lists:
// a text mark's QuadPoints (a line's, a polygon's, a callout's) would stay where the layer
// page had them, off the words on a turned or offset page.
void transform_points(QPDFObjectHandle annot, const QPDFMatrix& cm)
{
    auto pairs = [&cm](QPDFObjectHandle list) {
        if (!list.isArray()) return;
        const int n = list.getArrayNItems();
        for (int i = 0; i + 1 < n; i += 2) {
            double x = 0, y = 0;
            if (!list.getArrayItem(i).getValueAsNumber(x) || !list.getArrayItem(i + 1).getValueAsNumber(y))
                continue;
            double tx = 0, ty = 0;
            cm.transform(x, y, tx, ty);
            list.setArrayItem(i, QPDFObjectHandle::newReal(tx, 4));
            list.setArrayItem(i + 1, QPDFObjectHandle::newReal(ty, 4));
        }
    };
    for (const char* key : {"/QuadPoints", "/CL", "/L", "/Vertices"}) pairs(annot.getKey(key));
    QPDFObjectHandle ink = annot.getKey("/InkList");
    if (ink.isArray())
        for (int i = 0; i < ink.getArrayNItems(); ++i) pairs(ink.getArrayItem(i));
}

void place(QPDF& in, QPDFPageObjectHelper& to, QPDFPageObjectHelper& from,
           QPDFAcroFormDocumentHelper& in_form, QPDF& layer, QPDFAcroFormDocumentHelper& layer_form)
{
    QPDFObjectHandle form = page_as_form(in, from);
    QPDFObjectHandle resources = to.getAttribute("/Resources", true);
    if (!resources.isDictionary()) {
        resources = QPDFObjectHandle::newDictionary();
        to.getObjectHandle().replaceKey("/Resources", resources);
    }
    QPDFObjectHandle xobjects = resources.getKey("/XObject");
    if (!xobjects.isDictionary()) {
        xobjects = QPDFObjectHandle::newDictionary();
        resources.replaceKey("/XObject", xobjects);
    }
    const std::string name = free_name(xobjects);
    xobjects.replaceKey(name, form);
    QPDFMatrix cm;
    const std::string content =
        to.placeFormXObject(form, name, to.getCropBox().getArrayAsRectangle(), cm, true, true, true);
    // The page's own drawing in q … Q, so that a state it leaves behind does not move the layer.
    to.addPageContents(QPDFObjectHandle::newStream(&in, "q\n"), true);
    to.addPageContents(QPDFObjectHandle::newStream(&in, "\nQ\n" + content), false);

    QPDFObjectHandle annots = from.getObjectHandle().getKey("/Annots");
    if (!annots.isArray() || annots.getArrayNItems() == 0) return;
    std::vector<QPDFObjectHandle> new_annots, new_fields;
    std::set<QPDFObjGen> old_fields;
    in_form.transformAnnotations(annots, new_annots, new_fields, old_fields, cm, &layer, &layer_form);
    in_form.addAndRenameFormFields(new_fields);
    QPDFObjectHandle own = to.getObjectHandle().getKey("/Annots");
    if (!own.isArray()) {
        own = QPDFObjectHandle::newArray();
        to.getObjectHandle().replaceKey("/Annots", own);
    }
    for (QPDFObjectHandle& a : new_annots) {
        transform_points(a, cm);
        a.replaceKey("/P", to.getObjectHandle());
        own.appendItem(a);
    }
}

// The layer's form fonts and optional content groups, for what was moved over to find them.
void merge_catalog(QPDF& in, QPDF& layer)
{
    QPDFObjectHandle root = in.getRoot(), theirs = layer.getRoot();
    // Step by step: qpdf warns about keys asked of what is no dictionary.
    auto at = [](QPDFObjectHandle d, const char* name) {
        return d.isDictionary() ? d.getKey(name) : QPDFObjectHandle::newNull();
    };
    QPDFObjectHandle dr = at(at(at(theirs, "/AcroForm"), "/DR"), "/Font");
    if (dr.isDictionary() && at(root, "/AcroForm").isDictionary()) {
        QPDFObjectHandle form = root.getKey("/AcroForm");
        QPDFObjectHandle own_dr = form.getKey("/DR");
        if (!own_dr.isDictionary()) {
            own_dr = QPDFObjectHandle::newDictionary();
            form.replaceKey("/DR", own_dr);
        }
        QPDFObjectHandle fonts = own_dr.getKey("/Font");
        if (!fonts.isDictionary()) {
            fonts = QPDFObjectHandle::newDictionary();
            own_dr.replaceKey("/Font", fonts);
        }
        for (const std::string& key : dr.getKeys())
            if (!fonts.hasKey(key)) fonts.replaceKey(key, in.copyForeignObject(dr.getKey(key)));
    }
    QPDFObjectHandle layers = theirs.getKey("/OCProperties");
    if (!layers.isDictionary()) return;
    QPDFObjectHandle copied = in.copyForeignObject(layers);
    QPDFObjectHandle own = root.getKey("/OCProperties");
    if (!own.isDictionary()) {
        root.replaceKey("/OCProperties", copied);
        return;
    }
    auto append = [](QPDFObjectHandle to, const char* key, QPDFObjectHandle from) {
        QPDFObjectHandle list = to.getKey(key);
        if (!from.isArray()) return;
        if (!list.isArray()) {
            list = QPDFObjectHandle::newArray();
            to.replaceKey(key, list);
        }
        for (int i = 0; i < from.getArrayNItems(); ++i) list.appendItem(from.getArrayItem(i));
    };
    append(own, "/OCGs", copied.getKey("/OCGs"));
    QPDFObjectHandle d = own.getKey("/D");
    if (!d.isDictionary()) {
        own.replaceKey("/D", copied.getKey("/D"));
        return;
    }
    append(d, "/Order", at(at(copied, "/D"), "/Order"));
    append(d, "/AS", at(at(copied, "/D"), "/AS"));
    if (d.getKey("/ON").isArray()) append(d, "/ON", at(at(copied, "/D"), "/ON"));
}

}  // namespace

HRESULT overlay_pdf(const std::string& input, const std::string& layer_bytes, std::string* out,
                    std::vector<std::string>* warnings, std::string* message) noexcept
{
    if (!out || !message) return E_POINTER;
    out->clear();
    try {
        // Held until qpdf takes it over, so that no failure on the way leaves it open.
        com::file_ptr file(com::fopen_regular_file(input.c_str()));
        if (!file) {
            const int error = errno;
            *message = "cannot open " + input + ": " + com::open_failure(error);
            return STG_E_FILENOTFOUND;
        }
        QPDF in;
        in.setSuppressWarnings(true);
        in.setAttemptRecovery(true);
        try {
            in.processFile(input.c_str(), file.release(), true);
        } catch (const QPDFExc& e) {
            if (e.getErrorCode() == qpdf_e_password) {
                *message = input + " is locked with a password";
                return E_ACCESSDENIED;
            }
            *message = input + " cannot be read: " + e.getMessageDetail();
            return E_INVALIDARG;
        }
        if (in.isEncrypted() && warnings)
            warnings->push_back(input + " was encrypted; it is written without encryption");
        QPDF layer;
        layer.processMemoryFile("annotations", layer_bytes.data(), layer_bytes.size());
        std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(in).getAllPages();
        std::vector<QPDFPageObjectHelper> ours = QPDFPageDocumentHelper(layer).getAllPages();
        if (pages.size() != ours.size()) {
            *message = input + " has " + std::to_string(pages.size()) + " pages, the annotations " +
                       std::to_string(ours.size());
            return E_INVALIDARG;
        }
        // poppler shows a page of no size as a Letter page; there is nothing to lay a layer on.
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const QPDFObjectHandle::Rectangle box = pages[i].getCropBox().getArrayAsRectangle();
            if (!(std::fabs(box.urx - box.llx) >= 1e-3 && std::fabs(box.ury - box.lly) >= 1e-3)) {
                *message = "page " + std::to_string(i + 1) + " of " + input + " has no size";
                return E_INVALIDARG;
            }
        }
        QPDFAcroFormDocumentHelper in_form(in), layer_form(layer);
        for (std::size_t i = 0; i < pages.size(); ++i)
            place(in, pages[i], ours[i], in_form, layer, layer_form);
        merge_catalog(in, layer);
        // Written straight into the caller's string: a buffer copied out would hold the
        // output twice at the peak.
        Pl_String sink("annotated", nullptr, *out);
        QPDFWriter w(in);
        w.setOutputPipeline(&sink);
        w.setPreserveEncryption(false);
        w.setObjectStreamMode(qpdf_o_generate);
        w.write();
    } catch (const std::bad_alloc&) {
        out->clear();
        *message = "out of memory while annotating " + input;
        return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        out->clear();
        *message = input + " cannot be annotated: " + e.what();
        return E_INVALIDARG;
    }
    return S_OK;
}

}  // namespace host::pdf
