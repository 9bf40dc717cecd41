// The form fields' hot paths: the design-time drawing of a text field on a 96-dpi memory
// context, saving and loading a combo box with a thousand options, and a field property set
// and read by name through IDispatch.
#include <benchmark/benchmark.h>

#include <string>

#include "contentelements/cnt_fields.h"
#include "contentelements/zprint_objects.h"
#include "fields/field_classes.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"
#include "platform/gdi/gdi.h"

namespace {

using cnt::fields::create_field;

template <typename I>
com::ComPtr<I> make_field(HRESULT (*create)(IUnknown*, REFIID, void**) noexcept)
{
    com::ComPtr<I> out;
    create(nullptr, I::iid, out.put_void());
    return out;
}

void BM_DrawTextField(benchmark::State& state)
{
    HDC screen = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 60);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    auto field = make_field<IZCntElementFormField>(&create_field<zeCntElementTypeFieldText>);
    com::ComPtr<IZCntElementBase> base;
    field->QueryInterface(IZCntElementBase::iid, base.put_void());
    base->SetPosition(10, 10, 300, 24);
    BSTR name = SysAllocString(u"Customer number");
    field->put_Name(name);
    SysFreeString(name);
    com::ComPtr<IZElement> element;
    field->QueryInterface(IZElement::iid, element.put_void());
    for (auto _ : state)
        benchmark::DoNotOptimize(element->Draw(reinterpret_cast<LONGLONG>(dc), 0, 0, 0, 0, 0, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    DeleteDC(screen);
}
BENCHMARK(BM_DrawTextField);

// A combo box with 1 000 options, saved into a fresh stream and loaded into a new box.
void BM_ComboSaveLoad(benchmark::State& state)
{
    auto combo = make_field<IZCntElementFieldCombo>(&create_field<zeCntElementTypeFieldCombo>);
    com::ComPtr<IZCntChoiceFieldOptionCollection> items;
    combo->get_ChoiceItems(items.put());
    for (int i = 0; i < 1000; ++i) {
        com::ComPtr<IZCntChoiceFieldOption> option;
        items->Add(option.put());
        const std::u16string text = u"Option " + std::u16string(1, static_cast<char16_t>(u'A' + i % 26));
        BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        option->put_DisplayName(s);
        option->put_ExportValue(s);
        SysFreeString(s);
    }
    com::ComPtr<IPersistStreamInit> from;
    combo->QueryInterface(IPersistStreamInit::iid, from.put_void());
    for (auto _ : state) {
        com::ComPtr<IStream> stream;
        com::create_memory_stream(stream.put());
        from->Save(stream.get(), FALSE);
        LARGE_INTEGER start{};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        auto to = make_field<IPersistStreamInit>(&create_field<zeCntElementTypeFieldCombo>);
        benchmark::DoNotOptimize(to->Load(stream.get()));
    }
}
BENCHMARK(BM_ComboSaveLoad)->Unit(benchmark::kMicrosecond);

// "Name" looked up, put and read back through the field's IZCntElementFormField dispatch.
void BM_InvokeFieldNameByName(benchmark::State& state)
{
    auto field = make_field<IZCntElementFormField>(&create_field<zeCntElementTypeFieldCheck>);
    IDispatch* dispatch = field.get();
    BSTR value = SysAllocString(u"f1");
    for (auto _ : state) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(u"Name")};
        DISPID id = 0;
        dispatch->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
        VARIANT arg;
        arg.vt = VT_BSTR;
        arg.bstrVal = value;
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS put{&arg, &named, 1, 1};
        dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr);
        VARIANT result;
        VariantInit(&result);
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        dispatch->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
        benchmark::DoNotOptimize(result.bstrVal);
        VariantClear(&result);
    }
    SysFreeString(value);
}
BENCHMARK(BM_InvokeFieldNameByName);

}  // namespace
