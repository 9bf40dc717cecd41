// Object numbering, object streams and the cross-reference section of the PDF writer.
#include "host/output/pdf/object_writer.h"
#include "host/output/pdf/pdf_names.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>
#include <utility>

#include <qpdf/Buffer.hh>

namespace host::pdf {
namespace {

// Objects a compressed file packs into one object stream: enough to compress well, few enough
// that what waits for the next stream stays small.
constexpr std::size_t kPerObjectStream = 128;

void append_int(std::string& s, std::uint64_t v)
{
    char digits[24];
    auto [end, ec] = std::to_chars(digits, digits + sizeof digits, v);
    (void)ec;
    s.append(digits, end);
}

void append_ref(std::string& s, int number)
{
    append_int(s, static_cast<std::uint64_t>(number));
    s += " 0 R";
}

// A name as qpdf holds it ("/A B") in the file's spelling ("/A#20B"). Every byte that is not a
// plain printable character is written as #xx, the number sign too. qpdf holds a stray '#' of
// a damaged name (one not followed by two hex digits) as a null byte, which no name may
// contain: it goes back as the number sign it was, so that the name still matches the content
// stream that uses it. (qpdf's own unparse writes a name's number sign bare, so that a placed
// "/A#41" would come back as "/AA": names are the one kind of value not left to it.)
void append_name(std::string& s, const std::string& name)
{
    static const char digits[] = "0123456789ABCDEF";
    s += '/';
    for (std::size_t i = name.empty() || name[0] != '/' ? 0 : 1; i < name.size(); ++i) {
        auto c = static_cast<unsigned char>(name[i]);
        if (c == 0) c = '#';
        const bool plain = c > 0x20 && c < 0x7F && !std::strchr("#()<>[]{}/%", c);
        if (plain) {
            s += static_cast<char>(c);
        } else {
            s += '#';
            s += digits[c >> 4];
            s += digits[c & 15];
        }
    }
}

// How many bytes a cross-reference stream needs for `v`.
int width_of(std::uint64_t v)
{
    int w = 1;
    while (w < 8 && (v >> (8 * w)) != 0) ++w;
    return w;
}

void put_be(std::string& s, std::uint64_t v, int width)
{
    for (int i = width - 1; i >= 0; --i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The compressor a thread keeps between files; freed with the thread.
struct kept_compressor {
    libdeflate_compressor* c = nullptr;
    ~kept_compressor() { libdeflate_free_compressor(c); }
};
thread_local kept_compressor kept;

// zlib's default level: the files are as small as before, and made faster.
constexpr int kLevel = 6;

}  // namespace

deflater::~deflater()
{
    if (!kept.c)
        kept.c = c_;
    else
        libdeflate_free_compressor(c_);
}

bool deflater::pack(std::string_view data, std::string* out)
{
    if (data.size() < worth_packing) return false;
    if (!made_) {
        made_ = true;
        std::swap(c_, kept.c);
        if (!c_) c_ = libdeflate_alloc_compressor(kLevel);
    }
    if (!c_) return false;
    const std::size_t start = out->size();
    out->resize(start + libdeflate_zlib_compress_bound(c_, data.size()));
    const std::size_t packed = libdeflate_zlib_compress(c_, data.data(), data.size(),
                                                        out->data() + start, out->size() - start);
    out->resize(packed ? start + packed : start);
    return packed != 0;
}

void object_writer::fingerprint::add(std::string_view bytes) noexcept
{
    for (unsigned char c : bytes) {
        a_ = (a_ ^ c) * 0x100000001B3ull;
        b_ = (b_ ^ c) * 0x100000001B3ull;
    }
}

std::string object_writer::fingerprint::hex() const
{
    char text[33];
    std::snprintf(text, sizeof text, "%016llX%016llX", static_cast<unsigned long long>(a_),
                  static_cast<unsigned long long>(b_));
    return text;
}

object_writer::object_writer(std::string& out, QPDF& objects, bool compress)
    : out_(out), qpdf_(objects), compress_(compress)
{
    // The binary comment tells transfer programs that the file is not text.
    out_ += "%PDF-1.7\n%\xBF\xF7\xA2\xFE\n";
}

int object_writer::reserve()
{
    entries_.emplace_back();
    return static_cast<int>(entries_.size() - 1);
}

void object_writer::object(int number, std::string_view text)
{
    if (compress_) {
        packed_at_.emplace_back(number, packed_.size());
        packed_ += text;
        packed_ += '\n';
        if (packed_at_.size() >= kPerObjectStream) flush_packed();
        return;
    }
    entries_[static_cast<std::size_t>(number)] = {out_.size(), 0, 1};
    append_int(out_, static_cast<std::uint64_t>(number));
    out_ += " 0 obj\n";
    out_ += text;
    out_ += "\nendobj\n";
}

void object_writer::stream(int number, std::string_view entries, std::string_view data, bool filtered)
{
    std::string_view body = data;
    bool packed = false;
    if (compress_ && !filtered && !data.empty()) {
        scratch_.clear();
        if (packer_.pack(data, &scratch_)) {
            body = scratch_;
            packed = true;
        }
    }
    entries_[static_cast<std::size_t>(number)] = {out_.size(), 0, 1};
    append_int(out_, static_cast<std::uint64_t>(number));
    out_ += " 0 obj\n<<";
    if (!entries.empty()) {
        out_ += ' ';
        out_ += entries;
    }
    if (packed) out_ += " /Filter /FlateDecode";
    out_ += " /Length ";
    append_int(out_, body.size());
    out_ += " >>\nstream\n";
    out_ += body;
    out_ += "\nendstream\nendobj\n";
}

void object_writer::expect(std::size_t bytes) noexcept
{
    // Only a hint: when the room cannot be had at once, the file grows as it goes.
    try {
        if (bytes > out_.capacity() && bytes < out_.max_size() / 2) out_.reserve(bytes);
    } catch (const std::exception&) {
    }
}

int object_writer::number_of(QPDFObjectHandle object)
{
    const auto key = std::make_pair(static_cast<const QPDF*>(object.getOwningQPDF()), object.getObjGen());
    auto known = numbers_.find(key);
    if (known != numbers_.end()) return known->second;
    const int n = reserve();
    numbers_.emplace(key, n);
    queued_.emplace_back(object, n);
    return n;
}

void object_writer::write_in_place_of(QPDFObjectHandle holder, QPDFObjectHandle value)
{
    in_place_[holder.getObjGen()] = value;
}

void object_writer::append(std::string& text, QPDFObjectHandle object)
{
    if (!object.isInitialized() || !object.isIndirect()) {
        append_value(text, object);
        return;
    }
    if (object.getOwningQPDF() == &qpdf_) {
        if (!in_place_.empty()) {
            if (auto it = in_place_.find(object.getObjGen()); it != in_place_.end()) {
                append_value(text, it->second);
                return;
            }
        }
    } else if (object.isPageObject() || object.isPagesObject()) {
        text += "null";
        return;
    }
    append_ref(text, number_of(object));
}

void object_writer::append_value(std::string& text, QPDFObjectHandle object)
{
    if (!object.isInitialized()) {
        text += "null";
        return;
    }
    switch (object.getTypeCode()) {
    case ::ot_boolean:
    case ::ot_integer:
    case ::ot_real:
    case ::ot_string:
        // qpdf's own spelling: a string from a placed file with delimiters or binary bytes, or a
        // number too large for us, is written as qpdf read it.
        text += object.unparseResolved();
        return;
    case ::ot_name:
        append_name(text, object.getName());
        return;
    case ::ot_array: {
        text += '[';
        bool first = true;
        for (QPDFObjectHandle item : object.aitems()) {
            if (!first) text += ' ';
            first = false;
            append(text, item);
        }
        text += ']';
        return;
    }
    case ::ot_dictionary:
        text += "<<";
        for (auto [key, value] : object.ditems()) {
            if (value.isNull()) continue;  // a null entry is the same as none
            text += ' ';
            append_name(text, key);
            text += ' ';
            append(text, value);
        }
        text += " >>";
        return;
    default:
        // Streams are always indirect; nothing else belongs in a file's objects.
        text += "null";
        return;
    }
}

void object_writer::write_qpdf(int number, QPDFObjectHandle object)
{
    if (!object.isStream()) {
        std::string text;
        append_value(text, object);
        this->object(number, text);
        return;
    }
    QPDFObjectHandle dict = object.getDict();
    // The filters and their parameters as lists. qpdf has already undone the encryption of a
    // stream from an encrypted file, /Crypt filters included; those go, as this file is not
    // encrypted and has no crypt filter to name.
    std::vector<QPDFObjectHandle> filters, parameters;
    QPDFObjectHandle filter = dict.getKey(name::Filter), parms = dict.getKey(name::DecodeParms);
    if (filter.isArray()) {
        for (int i = 0; i < filter.getArrayNItems(); ++i) {
            filters.push_back(filter.getArrayItem(i));
            parameters.push_back(parms.isArray() ? parms.getArrayItem(i) : QPDFObjectHandle::newNull());
        }
    } else if (!filter.isNull()) {
        filters.push_back(filter);
        parameters.push_back(parms);
    }
    bool any_parameters = false;
    for (std::size_t i = filters.size(); i-- > 0;) {
        if (filters[i].isName() && filters[i].getName() == name::Crypt) {
            filters.erase(filters.begin() + static_cast<std::ptrdiff_t>(i));
            parameters.erase(parameters.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            any_parameters = any_parameters || !parameters[i].isNull();
        }
    }
    std::string entries;
    for (auto [key, value] : dict.ditems()) {
        if (key == name::Length || key == name::Filter || key == name::DecodeParms || value.isNull()) continue;
        if (!entries.empty()) entries += ' ';
        append_name(entries, key);
        entries += ' ';
        append(entries, value);
    }
    const std::string plain = entries;
    // One filter as itself, several as a list; parameters only beside filters that have any
    // (without a filter they mean nothing, and a filter of ours may come instead).
    auto put = [&](const char* key, const std::vector<QPDFObjectHandle>& items) {
        if (!entries.empty()) entries += ' ';
        entries += key;
        entries += ' ';
        append(entries, items.size() == 1 ? items[0] : QPDFObjectHandle::newArray(items));
    };
    if (!filters.empty()) {
        put(name::Filter, filters);
        if (any_parameters) put(name::DecodeParms, parameters);
    }
    std::shared_ptr<Buffer> data;
    try {
        data = object.getRawStreamData();
    } catch (const std::exception& e) {
        // A placed page whose content cannot be read shows empty rather than failing the file.
        if (warnings_.size() < 100)
            warnings_.push_back(std::string("a stream of a placed PDF is left empty: ") + e.what());
        stream(number, plain, {}, false);
        return;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    stream(number, entries, bytes, !filters.empty());
}

void object_writer::flush_packed()
{
    if (packed_at_.empty()) return;
    const int number = reserve();
    std::string index;
    for (const auto& [n, at] : packed_at_) {
        append_int(index, static_cast<std::uint64_t>(n));
        index += ' ';
        append_int(index, at);
        index += ' ';
    }
    std::string entries = "/Type /ObjStm /N ";
    append_int(entries, packed_at_.size());
    entries += " /First ";
    append_int(entries, index.size());
    index += packed_;
    std::uint32_t i = 0;
    for (const auto& item : packed_at_)
        entries_[static_cast<std::size_t>(item.first)] = {static_cast<std::uint64_t>(number), i++, 2};
    packed_.clear();
    packed_at_.clear();
    stream(number, entries, index, false);
}

void object_writer::finish(int root, int info)
{
    // Writing one qpdf object may queue those it refers to. An object of a placed file that
    // qpdf cannot read is left out (a null), as a reader leaves out what it cannot read.
    for (std::size_t i = 0; i < queued_.size(); ++i) {
        const auto [object, number] = queued_[i];
        try {
            write_qpdf(number, object);
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& e) {
            if (object.getOwningQPDF() == &qpdf_) throw;
            if (warnings_.size() < 100)
                warnings_.push_back(std::string("an object of a placed PDF is left out: ") + e.what());
        }
    }
    queued_.clear();
    flush_packed();
    // Numbers reserved and never written become null objects: no gaps in the table.
    for (std::size_t n = 1; n < entries_.size(); ++n)
        if (entries_[n].type == 0) object(static_cast<int>(n), "null");
    flush_packed();

    // The same file gives the same identifier.
    fingerprint hash;
    hash.add(out_);
    const std::string hex = hash.hex();
    std::string rest = " /Root ";
    append_ref(rest, root);
    rest += " /Info ";
    append_ref(rest, info);
    rest += " /ID [<" + hex + "> <" + hex + ">]";
    if (compress_)
        stream_trailer(rest);
    else
        table_trailer(rest);
}

void object_writer::table_trailer(const std::string& rest)
{
    const std::size_t at = out_.size();
    out_ += "xref\n0 ";
    append_int(out_, entries_.size());
    out_ += "\n0000000000 65535 f \n";
    char line[24];
    for (std::size_t n = 1; n < entries_.size(); ++n) {
        std::snprintf(line, sizeof line, "%010llu 00000 n \n",
                      static_cast<unsigned long long>(entries_[n].where));
        out_ += line;
    }
    out_ += "trailer\n<< /Size ";
    append_int(out_, entries_.size());
    out_ += rest + " >>\nstartxref\n";
    append_int(out_, at);
    out_ += "\n%%EOF\n";
}

void object_writer::stream_trailer(const std::string& rest)
{
    const int self = reserve();
    const std::size_t at = out_.size();
    entries_[static_cast<std::size_t>(self)] = {at, 0, 1};
    std::uint64_t widest = 0;
    std::uint32_t last = 0xFFFF;  // object 0's generation
    for (const entry& e : entries_) {
        widest = std::max(widest, e.where);
        last = std::max(last, e.index);
    }
    const int w2 = width_of(widest), w3 = width_of(last);
    std::string rows;
    rows.reserve(entries_.size() * static_cast<std::size_t>(1 + w2 + w3));
    for (std::size_t n = 0; n < entries_.size(); ++n) {
        const entry& e = entries_[n];
        rows += static_cast<char>(e.type);
        put_be(rows, e.where, w2);
        put_be(rows, n == 0 ? 0xFFFF : e.index, w3);
    }
    std::string entries = "/Type /XRef /Size ";
    append_int(entries, entries_.size());
    entries += " /W [1 " + std::to_string(w2) + ' ' + std::to_string(w3) + "]" + rest;
    stream(self, entries, rows, false);
    out_ += "startxref\n";
    append_int(out_, at);
    out_ += "\n%%EOF\n";
}

}  // namespace host::pdf
