// The scene of a document's pages for the output writers.
#include "host/output/scene.h"

#include <unordered_set>

#include "contentelements/cnt_link.h"
#include "contentelements/cnt_note.h"
#include "contentelements/cnt_stamp.h"
#include "contentelements/zprint_objects.h"
#include "host/kinds/host_object.h"
#include "host/model/document_object.h"
#include "platform/com/raii.h"
#include "platform/shell/user.h"

namespace host {

LONG page_count(document_object* doc) noexcept
{
    return doc ? static_cast<LONG>(doc->pages().size()) : 0;
}

page_frame frame_of(document_object* doc, LONG index) noexcept
{
    if (index < 0 || index >= page_count(doc)) return {};
    const page& p = *doc->pages()[static_cast<std::size_t>(index)];
    return {p.width(), p.height(), p.resolution()};
}

void paint_page(document_object* doc, LONG index, painter& to)
{
    if (index < 0 || index >= page_count(doc)) return;
    page& p = *doc->pages()[static_cast<std::size_t>(index)];
    for (const list_entry& e : p.objects().entries())
        if (host_object* h = host_object_of(e.identity.get())) h->paint(to);
}

void paint_page_objects(document_object* doc, LONG index, painter& to,
                        const std::function<bool(LONG maker)>& include)
{
    if (index < 0 || index >= page_count(doc)) return;
    page& p = *doc->pages()[static_cast<std::size_t>(index)];
    for (const list_entry& e : p.objects().entries())
        if (include(e.maker))
            if (host_object* h = host_object_of(e.identity.get())) h->paint(to);
}

namespace {

std::u16string text_of(com::Bstr& b) { return std::u16string(b.view()); }

// The plain text a viewer lists for the element.
void read_texts(const com::ComPtr<IUnknown>& e, page_element& out)
{
    com::Bstr a, b;
    if (auto link = e.try_as<IZCntElementLink>()) {
        if (SUCCEEDED(link->get_Description(a.put()))) out.contents = text_of(a);
    } else if (auto note = e.try_as<IZCntElementNote>()) {
        if (SUCCEEDED(note->get_Text(a.put()))) out.contents = text_of(a);
    } else if (auto stamp = e.try_as<IZCntElementStamp>()) {
        if (SUCCEEDED(stamp->get_HeaderText(a.put()))) out.title = text_of(a);
        if (SUCCEEDED(stamp->get_ContentText(b.put()))) {
            const std::u16string content = text_of(b);
            out.contents = out.title;
            if (!out.title.empty() && !content.empty()) out.contents += u" \u2013 ";
            out.contents += content;
        }
    }
}

// A note that fills in its page number, the date or the user's name is listed with what it
// shows, not with the placeholders of its text: the lines it made, in order.
void read_filled_in_text(const com::ComPtr<IUnknown>& e, page& p, page_element& out)
{
    auto note = e.try_as<IZCntElementNote>();
    ZeCntNoteStyle style{};
    if (!note || FAILED(note->get_NoteStyle(&style)) || style < zeCntNoteStyleAutoTextPageNumber ||
        style > zeCntNoteStyleAutoTextUserName)
        return;
    std::u16string shown;
    for (const list_entry& made : p.objects().entries()) {
        if (made.maker != out.id) continue;
        com::Bstr line;
        auto text = made.identity.try_as<IZTextObject>();
        if (text && SUCCEEDED(text->get_Text(line.put()))) {
            if (!shown.empty()) shown += u' ';
            shown += line.view();
        }
    }
    if (!shown.empty()) out.contents = std::move(shown);
}

}  // namespace

std::vector<page_element> elements_on(document_object* doc, LONG index)
{
    std::vector<page_element> out;
    if (index < 0 || index >= page_count(doc)) return out;
    page& p = *doc->pages()[static_cast<std::size_t>(index)];
    std::unordered_set<LONG> makers;
    for (const list_entry& e : p.objects().entries())
        if (e.maker != 0) makers.insert(e.maker);
    if (makers.empty()) return out;
    for (const list_entry& e : p.objects().entries()) {
        if (!makers.count(e.id) || host_object_of(e.identity.get())) continue;
        auto base = e.identity.try_as<IZCntElementBase>();
        if (!base) continue;
        ZeCntElementType type{};
        if (FAILED(base->get_ElementType(&type))) continue;
        page_element element;
        element.id = e.id;
        element.type = static_cast<LONG>(type);
        read_texts(e.identity, element);
        read_filled_in_text(e.identity, p, element);
        out.push_back(std::move(element));
    }
    return out;
}

std::vector<paint_rect> word_boxes(document_object* doc, LONG index)
{
    std::vector<paint_rect> out;
    if (index < 0 || index >= page_count(doc)) return out;
    for (const word& w : doc->pages()[static_cast<std::size_t>(index)]->words())
        out.push_back({w.left, w.top, w.right, w.bottom});
    return out;
}

std::u16string annotation_author()
{
    char16_t buffer[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(buffer, &size)) return {};
    return std::u16string(buffer);
}

}  // namespace host
