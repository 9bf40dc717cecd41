// Fuzz target: arbitrary text through VariantChangeType to every value type and back to BSTR.
//
// The input is read two ways, as raw UTF-16 and as Windows-1252 text (which reaches the number
// and date parsers far more often). Every conversion must return an HRESULT, never crash, and
// leave no BSTR behind. Build with -DZCNT_FUZZ_REPLAY_MAIN to replay files without libFuzzer.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/com/codepage.h"
#include "platform/com/variant.h"

namespace {

constexpr VARTYPE targets[] = {VT_I1,   VT_UI1, VT_I2,   VT_UI2, VT_I4,   VT_UI4,
                               VT_INT,  VT_UINT, VT_I8,  VT_UI8, VT_R4,   VT_R8,
                               VT_CY,   VT_DATE, VT_BOOL, VT_DECIMAL, VT_EMPTY, VT_NULL,
                               VT_ERROR, VT_ARRAY | VT_UI1};
constexpr USHORT flag_sets[] = {0, VARIANT_ALPHABOOL, VARIANT_NOVALUEPROP | VARIANT_LOCALBOOL};

void exercise(BSTR text)
{
    VARIANT source;
    source.vt = VT_BSTR;
    source.bstrVal = text;
    for (USHORT flags : flag_sets) {
        for (VARTYPE vt : targets) {
            VARIANT value;
            VariantInit(&value);
            if (FAILED(VariantChangeType(&value, &source, flags, vt))) continue;
            VARIANT back;
            VariantInit(&back);
            if (SUCCEEDED(VariantChangeType(&back, &value, flags, VT_BSTR))) {
                // The text form of a value must read back as the same type.
                VARIANT again;
                VariantInit(&again);
                VariantChangeType(&again, &back, flags, vt);
                VariantClear(&again);
            }
            VariantClear(&back);
            // In place, over the converted value itself.
            VariantChangeType(&value, &value, flags, VT_R8);
            VariantClear(&value);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const long live = com::bstr_live_count();
    BSTR raw = SysAllocStringByteLen(reinterpret_cast<const char*>(data), static_cast<UINT>(size));
    if (raw) exercise(raw);
    SysFreeString(raw);

    std::u16string ansi = com::from_ansi(std::string_view(reinterpret_cast<const char*>(data), size));
    BSTR text = SysAllocStringLen(ansi.data(), static_cast<UINT>(ansi.size()));
    if (text) exercise(text);
    SysFreeString(text);

    if (com::bstr_live_count() != live) {
        std::fputs("BSTR leaked\n", stderr);
        std::abort();
    }
    return 0;
}

#ifdef ZCNT_FUZZ_REPLAY_MAIN
#include "fuzz/replay_main.h"
#endif
