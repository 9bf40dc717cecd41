// A sample persistable class registered in the class table, created by ProgID, given a value by
// coercion, saved to a memory stream and loaded back through the class id in the stream.
#include "tools/zcnt/self_check.h"

#include "platform/com/class_factory.h"
#include "platform/com/com.h"
#include "platform/com/streams.h"

namespace {

constexpr CLSID kSampleClass = com::make_guid("{5E1FC0DE-7A1B-4C2D-9E3F-0123456789AB}");
constexpr char16_t kSampleProgId[] = u"ContentElements.SelfCheckSample.1";

// A persistable counter: its record is one little-endian 32-bit value.
class CSample : public com::object_root<CSample, IPersistStream> {
public:
    HRESULT GetClassID(CLSID* clsid) noexcept override
    {
        if (!clsid) return E_POINTER;
        *clsid = kSampleClass;
        return S_OK;
    }
    HRESULT IsDirty() noexcept override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) noexcept override
    {
        if (!stream) return E_POINTER;
        ULONG read = 0;
        HRESULT hr = stream->Read(&value_, sizeof value_, &read);
        if (FAILED(hr)) return hr;
        if (read != sizeof value_) return STG_E_READFAULT;
        dirty_ = false;
        return S_OK;
    }
    HRESULT Save(IStream* stream, BOOL clear_dirty) noexcept override
    {
        if (!stream) return E_POINTER;
        RETURN_IF_FAILED(stream->Write(&value_, sizeof value_, nullptr));
        if (clear_dirty) dirty_ = false;
        return S_OK;
    }
    HRESULT GetSizeMax(ULARGE_INTEGER* size) noexcept override
    {
        if (!size) return E_POINTER;
        size->QuadPart = sizeof value_;
        return S_OK;
    }

    void set(LONG value) noexcept
    {
        value_ = value;
        dirty_ = true;
    }
    LONG value() const noexcept { return value_; }

private:
    LONG value_ = 0;
    bool dirty_ = true;
};

struct reporter {
    std::FILE* out;
    bool ok = true;
    bool step(const char* what, HRESULT hr)
    {
        if (out) std::fprintf(out, "  %-58s 0x%08X\n", what, static_cast<unsigned>(hr));
        if (FAILED(hr)) ok = false;
        return SUCCEEDED(hr);
    }
    bool check(const char* what, bool good)
    {
        return step(what, good ? S_OK : E_FAIL);
    }
};

}  // namespace

bool zcnt::run_self_check(std::FILE* verdict, bool quiet)
{
    std::FILE* out = quiet ? nullptr : verdict;
    reporter r{out};
    if (out) std::fprintf(out, "zcnt self-check\n");

    DWORD cookie = 0;
    if (!r.step("register the sample class factory", com::register_class_factory<CSample>(kSampleClass, &cookie))) {
        std::fprintf(verdict, "self-check FAILED\n");
        return false;
    }
    r.step("register its ProgID", com::register_progid(kSampleProgId, kSampleClass));

    CLSID clsid{};
    r.step("CLSIDFromProgID(ContentElements.SelfCheckSample.1)", CLSIDFromProgID(kSampleProgId, &clsid));
    com::ComPtr<IPersistStream> sample;
    r.step("CoCreateInstance by that class id",
           CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IPersistStream::iid, sample.put_void()));

    com::Variant text = com::Variant::from_string(u" 1,234 ");
    com::Variant number;
    r.step("VariantChangeType(\" 1,234 \" to VT_I4)", VariantChangeType(number.get(), text.get(), 0, VT_I4));
    r.check("the value is 1234", number.vt() == VT_I4 && number->lVal == 1234);
    if (sample) static_cast<CSample*>(sample.get())->set(number->lVal);

    com::ComPtr<IStream> stream;
    r.step("create a memory stream", com::create_memory_stream(stream.put()));
    if (sample && stream) {
        r.step("OleSaveToStream", OleSaveToStream(sample.get(), stream.get()));
        LARGE_INTEGER start{};
        r.step("seek back to the start", stream->Seek(start, STREAM_SEEK_SET, nullptr));
        com::ComPtr<IPersistStream> loaded;
        r.step("OleLoadFromStream", OleLoadFromStream(stream.get(), IPersistStream::iid, loaded.put_void()));
        r.check("the loaded object holds 1234",
                loaded && static_cast<CSample*>(loaded.get())->value() == 1234);
        r.check("the loaded object is a new one", loaded && !com::same_object(loaded.get(), sample.get()));
    }
    sample.reset();
    stream.reset();

    r.step("revoke the class factory", CoRevokeClassObject(cookie));
    com::revoke_progid(kSampleProgId);
    r.check("every object released (module lock count 0)", com::module_lock_count() == 0);
    std::fprintf(verdict, "%s\n", r.ok ? "self-check passed" : "self-check FAILED");
    return r.ok;
}
