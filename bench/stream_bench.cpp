// Speed of the memory stream on the sizes documents are saved and loaded in: 64 KiB writes and
// reads, and a stream built from nothing by small writes.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/com/com_ptr.h"
#include "platform/com/streams.h"

namespace {

constexpr ULONG kChunk = 64 * 1024;
constexpr LONGLONG kSpan = 64ll * 1024 * 1024;  // the stream wraps here so memory stays bounded

void BM_MemoryStream_Write64K(benchmark::State& state)
{
    com::ComPtr<IStream> stream;
    com::create_memory_stream(stream.put());
    std::vector<BYTE> chunk(kChunk, 0x5A);
    LONGLONG at = 0;
    for (auto _ : state) {
        if (at == kSpan) {
            stream->Seek(LARGE_INTEGER{.QuadPart = 0}, STREAM_SEEK_SET, nullptr);
            at = 0;
        }
        ULONG written = 0;
        HRESULT hr = stream->Write(chunk.data(), kChunk, &written);
        benchmark::DoNotOptimize(hr);
        at += written;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kChunk);
}
BENCHMARK(BM_MemoryStream_Write64K);

void BM_MemoryStream_Read64K(benchmark::State& state)
{
    std::vector<BYTE> contents(static_cast<std::size_t>(kSpan), 0xA5);
    com::ComPtr<IStream> stream;
    com::create_memory_stream(contents.data(), contents.size(), stream.put());
    std::vector<BYTE> chunk(kChunk);
    for (auto _ : state) {
        ULONG read = 0;
        HRESULT hr = stream->Read(chunk.data(), kChunk, &read);
        if (read < kChunk) {
            stream->Seek(LARGE_INTEGER{.QuadPart = 0}, STREAM_SEEK_SET, nullptr);
            hr = stream->Read(chunk.data(), kChunk, &read);
        }
        benchmark::DoNotOptimize(hr);
        benchmark::DoNotOptimize(chunk.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kChunk);
}
BENCHMARK(BM_MemoryStream_Read64K);

// A fresh stream grown to 1 MiB by 16-byte writes: the cost of geometric growth.
void BM_MemoryStream_Build1MiBBy16ByteWrites(benchmark::State& state)
{
    constexpr ULONG kSmall = 16;
    constexpr ULONG kTotal = 1024 * 1024;
    BYTE record[kSmall] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    for (auto _ : state) {
        com::ComPtr<IStream> stream;
        com::create_memory_stream(stream.put());
        for (ULONG done = 0; done < kTotal; done += kSmall) stream->Write(record, kSmall, nullptr);
        benchmark::DoNotOptimize(stream.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kTotal);
}
BENCHMARK(BM_MemoryStream_Build1MiBBy16ByteWrites);

}  // namespace
