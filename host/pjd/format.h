// The chunk layout of .pjd files, shared by the writer and the reader (README.md has the table).
#pragma once

#include <cstdint>

namespace host::pjd {

constexpr std::uint8_t magic[8] = {'Z', 'P', 'J', 'D', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t format_version = 1;

constexpr std::uint32_t fourcc(char a, char b, char c, char d)
{
    return std::uint32_t(std::uint8_t(a)) | (std::uint32_t(std::uint8_t(b)) << 8) |
           (std::uint32_t(std::uint8_t(c)) << 16) | (std::uint32_t(std::uint8_t(d)) << 24);
}
constexpr std::uint32_t chunk_head = fourcc('H', 'E', 'A', 'D');
constexpr std::uint32_t chunk_page = fourcc('P', 'A', 'G', 'E');
constexpr std::uint32_t chunk_object = fourcc('O', 'B', 'J', ' ');
constexpr std::uint32_t chunk_element = fourcc('E', 'L', 'E', 'M');
// Which element made which page objects: page index, count, then (object id, element id) pairs.
// After the object and element chunks; a page whose objects no element is known to have made
// has none.
constexpr std::uint32_t chunk_makers = fourcc('M', 'A', 'D', 'E');
constexpr std::uint32_t chunk_document_object = fourcc('D', 'O', 'C', 'O');
// The PDF made elsewhere the pages lie over: its file name beside the .pjd and its content key,
// both UTF-8. At most one, after the pages.
constexpr std::uint32_t chunk_original = fourcc('O', 'R', 'I', 'G');
constexpr std::uint32_t chunk_end = fourcc('E', 'N', 'D', ' ');

// Type, length, payload, CRC-32 of type + length + payload.
constexpr std::size_t chunk_overhead = 12;

// Where an element chunk's object lives.
enum element_flags : std::uint8_t {
    in_page_objects = 1,    // in the page object list under its id
    known_element = 2,      // given to the page object list's AddElement
    in_resources = 4,       // in the resource list under its id
    kept_in_resources = 8,  // kept by the resource list without an id
    // The object of an earlier element chunk, listed here as well: the record is that chunk's
    // index (u32) among the element chunks that hold a record, and the class id is that
    // chunk's. Without it, an element in two lists would come back as two elements.
    repeats_earlier = 16,
};

}  // namespace host::pjd
