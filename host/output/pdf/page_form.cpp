// A page of an opened PDF file as a form XObject of the file being written. qpdf's own helper
// makes the form in the page's file, and making an object there first reads every object of
// that file; these make it where it is wanted, copying what it uses or leaving it where it is
// for our own writer to write from there.
#include "host/output/pdf/page_form.h"

#include <memory>
#include <string>

#include <qpdf/Pipeline.hh>

#include "host/output/pdf/object_writer.h"
#include "host/output/pdf/pdf_names.h"

namespace host::pdf {
namespace {

// The page's content streams, decoded and joined, when the form's data is asked for.
class page_contents : public QPDFObjectHandle::StreamDataProvider {
public:
    explicit page_contents(QPDFPageObjectHelper page) : page_(std::move(page)) {}
    void provideStreamData(QPDFObjGen const&, Pipeline* pipeline) override
    {
        page_.pipeContents(pipeline);
    }

private:
    QPDFPageObjectHelper page_;
};

// A value of the page's file as a value of `out`: what is indirect is copied with what it
// refers to (once per file, however often it is asked for), what is direct is rebuilt around
// the copies. `inline_top` writes an indirect array or dictionary itself into the form, as the
// form's own keys are. qpdf bounds how deep a file's values nest, so the recursion is bounded
// too.
QPDFObjectHandle copied(QPDF& out, QPDFObjectHandle value, bool inline_top = false)
{
    if (value.isIndirect() && !(inline_top && (value.isArray() || value.isDictionary()))) {
        // qpdf does not follow a reference to a page or to the page tree when it copies, and
        // the reference becomes null; asked to copy one itself, it hands back no object.
        if (value.isPageObject() || value.isPagesObject()) return QPDFObjectHandle::newNull();
        QPDFObjectHandle copy = out.copyForeignObject(value);
        return copy.isInitialized() ? copy : QPDFObjectHandle::newNull();
    }
    if (value.isArray()) {
        QPDFObjectHandle array = QPDFObjectHandle::newArray();
        for (int i = 0, n = value.getArrayNItems(); i < n; ++i)
            array.appendItem(copied(out, value.getArrayItem(i)));
        return array;
    }
    if (value.isDictionary()) {
        QPDFObjectHandle dict = QPDFObjectHandle::newDictionary();
        for (const std::string& key : value.getKeys())
            dict.replaceKey(key, copied(out, value.getKey(key)));
        return dict;
    }
    return value.shallowCopy();
}

// The form's own keys, its box (copied: four numbers, which the painter reads to place the
// form) and its content; `take` gives it the page's resources and group.
template <typename Take>
QPDFObjectHandle form_of(QPDF& out, QPDFPageObjectHelper page, Take take)
{
    QPDFObjectHandle form = out.newStream();
    QPDFObjectHandle dict = form.getDict();
    dict.replaceKey(name::Type, QPDFObjectHandle::newName(name::XObject));
    dict.replaceKey(name::Subtype, QPDFObjectHandle::newName(name::Form));
    for (const char* key : {name::Resources, name::Group}) take(dict, key, page.getAttribute(key, false));
    dict.replaceKey(name::BBox, copied(out, page.getTrimBox(false), true));
    form.replaceStreamData(std::make_shared<page_contents>(page), QPDFObjectHandle::newNull(),
                           QPDFObjectHandle::newNull());
    if (!page.getAttribute(name::Rotate, false).isNull() ||
        !page.getAttribute(name::UserUnit, false).isNull())
        dict.replaceKey(name::Matrix,
                        QPDFObjectHandle::newArray(page.getMatrixForTransformations()));
    return form;
}

}  // namespace

QPDFObjectHandle page_as_form(QPDF& out, QPDFPageObjectHelper page)
{
    return form_of(out, page, [&out](QPDFObjectHandle& dict, const char* key, QPDFObjectHandle value) {
        dict.replaceKey(key, copied(out, value, true));
    });
}

QPDFObjectHandle page_as_form(QPDF& out, object_writer& file, QPDFPageObjectHelper page)
{
    // A stand-in of `out` holds each value; `file` writes the value where the stand-in is.
    return form_of(out, page, [&out, &file](QPDFObjectHandle& dict, const char* key, QPDFObjectHandle value) {
        if (value.isNull()) return;
        QPDFObjectHandle holder = out.makeIndirectObject(QPDFObjectHandle::newDictionary());
        file.write_in_place_of(holder, value);
        dict.replaceKey(key, holder);
    });
}

}  // namespace host::pdf
