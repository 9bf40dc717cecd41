// The cost of a call through IDispatch against a direct vtable call: by DISPID, by name, and a
// string property put.
#include <benchmark/benchmark.h>

#include "tests/platform/dispatch_test_object.h"

namespace {

using namespace dispatch_test;

struct fixture {
    com::ComPtr<IDispatch> disp;
    CDispatchTest* obj = nullptr;
    fixture() { make_test_object(&disp, &obj); }
};

void BM_DirectCall(benchmark::State& state)
{
    fixture f;
    com::ComPtr<IDispatchTestBase> base;
    f.disp->QueryInterface(IDispatchTestBase::iid, base.put_void());
    // Read through a volatile pointer so that the call stays an indirect one.
    IDispatchTestBase* volatile opaque = base.get();
    LONG i = 0;
    for (auto _ : state) {
        IDispatchTestBase* p = opaque;
        benchmark::DoNotOptimize(p->SetPosition(i, i + 1, i + 2, i + 3));
        ++i;
    }
}
BENCHMARK(BM_DirectCall);

// What a client does without IDispatch when its values arrive as VARIANTs of another type:
// four coercions, then the vtable call. Invoke's target is within 3x of this.
void BM_DirectCallWithCoercion(benchmark::State& state)
{
    fixture f;
    com::ComPtr<IDispatchTestBase> base;
    f.disp->QueryInterface(IDispatchTestBase::iid, base.put_void());
    IDispatchTestBase* volatile opaque = base.get();
    VARIANT given[4] = {vi2(1), vi2(2), vi2(3), vi2(4)};
    for (auto _ : state) {
        VARIANT v[4];
        for (int i = 0; i < 4; ++i) {
            VariantInit(&v[i]);
            VariantChangeType(&v[i], &given[i], 0, VT_I4);
        }
        IDispatchTestBase* p = opaque;
        benchmark::DoNotOptimize(p->SetPosition(v[0].lVal, v[1].lVal, v[2].lVal, v[3].lVal));
    }
}
BENCHMARK(BM_DirectCallWithCoercion);

void BM_InvokeByDispid(benchmark::State& state)
{
    fixture f;
    VARIANT rgvarg[4] = {vi4(4), vi4(3), vi4(2), vi4(1)};
    DISPPARAMS params{rgvarg, nullptr, 4, 0};
    IDispatch* volatile opaque = f.disp.get();
    for (auto _ : state) {
        rgvarg[0].lVal++;
        benchmark::DoNotOptimize(
            opaque->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    }
}
BENCHMARK(BM_InvokeByDispid);

void BM_InvokeByDispidCoerced(benchmark::State& state)
{
    fixture f;
    // Four VT_I2 arguments: each goes through VariantChangeType to VT_I4.
    VARIANT rgvarg[4] = {vi2(4), vi2(3), vi2(2), vi2(1)};
    DISPPARAMS params{rgvarg, nullptr, 4, 0};
    IDispatch* volatile opaque = f.disp.get();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            opaque->Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
}
BENCHMARK(BM_InvokeByDispidCoerced);

void BM_InvokeByName(benchmark::State& state)
{
    fixture f;
    VARIANT rgvarg[4] = {vi4(4), vi4(3), vi4(2), vi4(1)};
    DISPPARAMS params{rgvarg, nullptr, 4, 0};
    LPOLESTR names[] = {const_cast<LPOLESTR>(u"setPosition")};
    IDispatch* volatile opaque = f.disp.get();
    for (auto _ : state) {
        DISPID id = DISPID_UNKNOWN;
        opaque->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
        benchmark::DoNotOptimize(
            opaque->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
    }
}
BENCHMARK(BM_InvokeByName);

void BM_InvokePropertyPutBstr(benchmark::State& state)
{
    fixture f;
    VARIANT value = vstr(u"A note on the first page");
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{&value, &put, 1, 1};
    IDispatch* volatile opaque = f.disp.get();
    for (auto _ : state)
        benchmark::DoNotOptimize(opaque->Invoke(7, IID_NULL, 0, DISPATCH_PROPERTYPUT, &params,
                                                nullptr, nullptr, nullptr));
    VariantClear(&value);
}
BENCHMARK(BM_InvokePropertyPutBstr);

void BM_InvokePropertyGetLong(benchmark::State& state)
{
    fixture f;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    IDispatch* volatile opaque = f.disp.get();
    VARIANT result;
    for (auto _ : state) {
        benchmark::DoNotOptimize(opaque->Invoke(8, IID_NULL, 0, DISPATCH_PROPERTYGET, &none,
                                                &result, nullptr, nullptr));
        benchmark::DoNotOptimize(result.lVal);
    }
}
BENCHMARK(BM_InvokePropertyGetLong);

}  // namespace
