// Speed of VariantChangeType on the conversions property pages use most: I4 to and from BSTR.
#include <benchmark/benchmark.h>

#include "platform/com/raii.h"
#include "platform/com/variant.h"

namespace {

void BM_VariantChangeType_I4ToBstr(benchmark::State& state)
{
    com::Variant source = com::Variant::from_i4(-1234567);
    com::Variant dest;
    for (auto _ : state) {
        HRESULT hr = VariantChangeType(dest.put(), source.get(), 0, VT_BSTR);
        benchmark::DoNotOptimize(hr);
    }
}
BENCHMARK(BM_VariantChangeType_I4ToBstr);

void BM_VariantChangeType_BstrToI4(benchmark::State& state)
{
    com::Variant source = com::Variant::from_string(u"-1234567");
    com::Variant dest;
    for (auto _ : state) {
        HRESULT hr = VariantChangeType(dest.put(), source.get(), 0, VT_I4);
        benchmark::DoNotOptimize(hr);
        benchmark::DoNotOptimize(dest->lVal);
    }
}
BENCHMARK(BM_VariantChangeType_BstrToI4);

void BM_VariantChangeType_R8ToBstr(benchmark::State& state)
{
    com::Variant source = com::Variant::from_r8(1234.5678);
    com::Variant dest;
    for (auto _ : state) {
        HRESULT hr = VariantChangeType(dest.put(), source.get(), 0, VT_BSTR);
        benchmark::DoNotOptimize(hr);
    }
}
BENCHMARK(BM_VariantChangeType_R8ToBstr);

}  // namespace
