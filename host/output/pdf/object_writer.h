// A PDF file written object by object as the objects are made: each is numbered, written, and
// forgotten but for its offset, so that a long document never sits in memory twice. Pages,
// their annotations and resources come as PDF text; what qpdf holds (fonts, images, placed
// pages) is written at the end with the numbers this file gave it, objects of a placed page's
// own file straight from that file.
// Compressed files pack the objects that are not streams into object streams and end with a
// cross-reference stream; uncompressed ones have a classic cross-reference table.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <libdeflate.h>

namespace host::pdf {

// One compressor for every stream of a file: a fresh one per stream costs more in allocation
// than the compression itself. It is made at the first stream packed (about half a megabyte): a
// file written plain packs none. When the file is done, the thread keeps the compressor for its
// next file, so that one writing many small files does not make and free it each time.
// libdeflate compresses a whole buffer at a time, faster than zlib on long streams at the same
// level and a little smaller; a stream packed piece by piece (image rows) goes through zlib.
class deflater {
public:
    deflater() = default;
    ~deflater();
    deflater(const deflater&) = delete;
    deflater& operator=(const deflater&) = delete;
    // Appends the packed bytes, a zlib stream, to `out`; false (and `out` as it was) when the
    // data is shorter than `worth_packing`, or the compressor cannot be made or fails. The data
    // is then written as it is.
    bool pack(std::string_view data, std::string* out);
    // Below this many bytes packing saves less than the /Filter entry costs (a rectangle's
    // appearance, a check mark), and takes as long as for a page: a file of many annotations
    // comes out both smaller and faster when they are left plain.
    static constexpr std::size_t worth_packing = 128;

private:
    libdeflate_compressor* c_ = nullptr;
    bool made_ = false;  // tried to have one
};

class object_writer {
public:
    // Appends the file to `out`, which must be empty. `objects` is where the qpdf objects live.
    object_writer(std::string& out, QPDF& objects, bool compress);
    object_writer(const object_writer&) = delete;
    object_writer& operator=(const object_writer&) = delete;

    // A number for an object to be written later (or now, by object() or stream()).
    int reserve();
    // A dictionary, array or other non-stream object as its PDF text.
    void object(int number, std::string_view text);
    // A stream: `entries` are its dictionary's entries without << >> and /Length; the data is
    // deflated here in a compressed file unless `filtered` says it is encoded already.
    void stream(int number, std::string_view entries, std::string_view data, bool filtered);
    // The number in this file of an indirect qpdf object (given on the first ask), written by
    // finish(). The object may belong to `objects` or to an opened file that stays open until
    // finish() has run.
    int number_of(QPDFObjectHandle object);
    // Appends a qpdf object as PDF text: indirect objects as references to their numbers here.
    // A page or the page tree of another file is written as null: a placed page's resources
    // may point at them, and they would drag the whole file along.
    void append(std::string& text, QPDFObjectHandle object);
    // Where `holder` (an indirect object of `objects`) appears, `value` is written instead, in
    // place: a value of another file given to an object of `objects` without copying it over.
    void write_in_place_of(QPDFObjectHandle holder, QPDFObjectHandle value);
    // Writes the qpdf objects asked for (and those they reach), then the cross-reference
    // section and the trailer. Throws as qpdf does for stream data it cannot read.
    void finish(int root, int info);

    deflater& packer() { return packer_; }
    // What finish() could not write as it was (a stream of a placed PDF that cannot be read,
    // written empty).
    const std::vector<std::string>& warnings() const noexcept { return warnings_; }
    // The bytes written so far.
    std::size_t size() const noexcept { return out_.size(); }
    // Makes room for a file of about `bytes` at once: growing step by step would hold the
    // file one and a half times over while it is copied.
    void expect(std::size_t bytes) noexcept;

private:
    struct entry {
        std::uint64_t where = 0;    // offset, or the object stream's number
        std::uint32_t index = 0;    // place in the object stream
        std::uint8_t type = 0;      // 0 free (not written), 1 at an offset, 2 in an object stream
    };
    // A direct object's text; an indirect one's own text rather than a reference to it.
    void append_value(std::string& text, QPDFObjectHandle object);
    void write_qpdf(int number, QPDFObjectHandle object);

    void flush_packed();
    // `rest`: the trailer's entries after /Size (/Root, /Info, /ID).
    void table_trailer(const std::string& rest);
    void stream_trailer(const std::string& rest);

    // 128 bits that tell files apart (not a cryptographic digest: the identifier only has to
    // differ between different files): two FNV-1a hashes from different starting points.
    class fingerprint {
    public:
        void add(std::string_view bytes) noexcept;
        std::string hex() const;

    private:
        std::uint64_t a_ = 0xCBF29CE484222325ull, b_ = 0x84222325CBF29CE4ull;
    };

    std::string& out_;
    QPDF& qpdf_;
    bool compress_;
    deflater packer_;
    std::vector<entry> entries_{entry{}};  // object 0 is always free
    // Numbers by the file an object belongs to and its number there.
    std::map<std::pair<const QPDF*, QPDFObjGen>, int> numbers_;
    std::vector<std::pair<QPDFObjectHandle, int>> queued_;
    std::map<QPDFObjGen, QPDFObjectHandle> in_place_;
    // Objects waiting to go into the next object stream: their text and where each starts.
    std::string packed_;
    std::vector<std::pair<int, std::size_t>> packed_at_;
    std::string scratch_;
    std::vector<std::string> warnings_;
};

}  // namespace host::pdf
