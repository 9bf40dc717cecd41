// Fuzz target: arbitrary bytes as a .pjd file. Loading returns a result code; a document that
// loaded saves to bytes that load again and save to the same bytes, and everything is freed.
// Its mutator changes one chunk's payload at a time and writes the lengths and checksums anew,
// so that mutated files get past the chunk checks to the document builder and the element
// loaders; an input that is not chunked is mutated as plain bytes. ZCNT_FUZZ_PLAIN=1 in the
// environment keeps to plain byte mutation, to compare coverage. Build with
// -DZCNT_FUZZ_REPLAY_MAIN to replay files without libFuzzer.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "host/engine.h"
#include "host/io/crc32.h"
#include "host/pjd/format.h"
#include "module/class_map.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool registered = SUCCEEDED(cnt::module::register_classes());
    if (!registered) std::abort();
    host::document loaded;
    if (FAILED(host::document::load_bytes(data, size, &loaded))) return 0;
    std::vector<BYTE> first, second;
    if (FAILED(loaded.save_bytes(&first))) return 0;  // an element may refuse to save again
    host::document again;
    if (FAILED(host::document::load_bytes(first.data(), first.size(), &again))) std::abort();
    if (FAILED(again.save_bytes(&second)) || first != second) std::abort();
    return 0;
}

#ifndef ZCNT_FUZZ_REPLAY_MAIN

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t max_size);

namespace {

struct chunk {
    std::uint32_t type;
    std::vector<std::uint8_t> payload;
};

std::uint32_t load32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void store32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// The chunks after the signature, whatever their checksums say; false when the bytes are not
// a signature followed by whole chunks.
bool split(const std::uint8_t* data, std::size_t size, std::vector<chunk>* out)
{
    constexpr std::size_t head = sizeof host::pjd::magic;
    if (size < head || std::memcmp(data, host::pjd::magic, head) != 0) return false;
    std::size_t at = head;
    while (at < size) {
        if (size - at < host::pjd::chunk_overhead) return false;
        const std::uint32_t length = load32(data + at + 4);
        if (length > size - at - host::pjd::chunk_overhead) return false;
        out->push_back(chunk{load32(data + at), {data + at + 8, data + at + 8 + length}});
        at += host::pjd::chunk_overhead + length;
    }
    return !out->empty();
}

std::vector<std::uint8_t> join(const std::vector<chunk>& chunks)
{
    std::vector<std::uint8_t> out(host::pjd::magic, host::pjd::magic + sizeof host::pjd::magic);
    for (const chunk& c : chunks) {
        const std::size_t start = out.size();
        store32(out, c.type);
        store32(out, static_cast<std::uint32_t>(c.payload.size()));
        out.insert(out.end(), c.payload.begin(), c.payload.end());
        store32(out, host::crc32(out.data() + start, out.size() - start));
    }
    return out;
}

}  // namespace

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size,
                                               std::size_t max_size, unsigned int seed)
{
    static const bool plain = std::getenv("ZCNT_FUZZ_PLAIN") != nullptr;
    std::vector<chunk> chunks;
    if (plain || !split(data, size, &chunks)) return LLVMFuzzerMutate(data, size, max_size);
    std::minstd_rand random(seed);
    const std::size_t pick = random() % chunks.size();
    switch (random() % 16) {
    case 0:  // the same chunk twice: counts and order checks
        chunks.insert(chunks.begin() + static_cast<std::ptrdiff_t>(pick), chunks[pick]);
        break;
    case 1:  // a chunk fewer
        chunks.erase(chunks.begin() + static_cast<std::ptrdiff_t>(pick));
        break;
    case 2:  // two chunks swapped
        std::swap(chunks[pick], chunks[random() % chunks.size()]);
        break;
    default: {  // one payload mutated, within what the whole may grow to
        std::vector<std::uint8_t>& payload = chunks[pick].payload;
        if (size > max_size) return LLVMFuzzerMutate(data, size, max_size);
        const std::size_t room = payload.size() + (max_size - size);
        if (room == 0) return LLVMFuzzerMutate(data, size, max_size);
        const std::size_t used = payload.size();
        payload.resize(room);
        payload.resize(LLVMFuzzerMutate(payload.data(), used, room));
        break;
    }
    }
    const std::vector<std::uint8_t> joined = join(chunks);
    if (joined.size() > max_size) return LLVMFuzzerMutate(data, size, max_size);
    std::memcpy(data, joined.data(), joined.size());
    return joined.size();
}

#else
#include "fuzz/replay_main.h"
#endif
