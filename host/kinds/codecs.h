// The codecs of the property tables (property_table.h): for each type of value a host object
// kind keeps, how it is handed out and taken in through the interface, shown in the journal,
// described in reports, and saved in and loaded from a .pjd record.
#pragma once

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "host/kinds/factory.h"
#include "host/kinds/rect_view.h"

namespace host {
namespace codec {

// How one type of value is handed out and taken in through its interface, named in the
// journal, described and saved. `type` is the member, `arg` the interface's value.
template <typename T>
struct plain {
    using type = T;
    using arg = T;
    static HRESULT get(const T& field, T* v) noexcept
    {
        *v = field;
        return S_OK;
    }
    static HRESULT put(T& field, T v) noexcept
    {
        field = v;
        return S_OK;
    }
    static T shown(T v) noexcept { return v; }
};

// LONG, saved as 32 bits.
struct i32 : plain<LONG> {
    static std::string report(const context*, LONG v) { return number(v); }
    static void save(byte_writer& out, const ref_serials&, LONG v) { out.i32(v); }
    static bool load(byte_reader& in, const ref_lookup&, LONG& v)
    {
        v = in.i32();
        return true;
    }
};

// A 16-bit value (SHORT, VARIANT_BOOL), saved as 16 bits.
struct i16 : plain<SHORT> {
    static std::string report(const context*, SHORT v) { return number(v); }
    static void save(byte_writer& out, const ref_serials&, SHORT v)
    {
        out.u16(static_cast<std::uint16_t>(v));
    }
    static bool load(byte_reader& in, const ref_lookup&, SHORT& v)
    {
        v = static_cast<SHORT>(in.u16());
        return true;
    }
};

// A colour 0x00BBGGRR, journaled and described as a 32-bit number.
struct colour : plain<OLE_COLOR> {
    static ULONG shown(OLE_COLOR v) noexcept { return static_cast<ULONG>(v); }
    static std::string report(const context*, OLE_COLOR v) { return host::colour(v); }
    static void save(byte_writer& out, const ref_serials&, OLE_COLOR v) { out.u32(v); }
    static bool load(byte_reader& in, const ref_lookup&, OLE_COLOR& v)
    {
        v = in.u32();
        return true;
    }
};

struct f64 : plain<double> {
    static std::string report(const context*, double v) { return real(v); }
    static void save(byte_writer& out, const ref_serials&, double v) { out.f64(v); }
    static bool load(byte_reader& in, const ref_lookup&, double& v)
    {
        v = in.f64();
        return true;
    }
};

// An enumeration of the interface, saved as 32 bits.
template <typename E>
struct enumeration : plain<E> {
    static std::string report(const context*, E v) { return number(v); }
    static void save(byte_writer& out, const ref_serials&, E v) { out.i32(v); }
    static bool load(byte_reader& in, const ref_lookup&, E& v)
    {
        v = static_cast<E>(in.i32());
        return true;
    }
};

// A text, a BSTR at the interface; never null when handed out.
struct text {
    using type = std::u16string;
    using arg = BSTR;
    static HRESULT get(const std::u16string& field, BSTR* v) noexcept { return copy_out(field, v); }
    static HRESULT put(std::u16string& field, BSTR v) noexcept
    {
        try {
            field = from_bstr(v);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    static BSTR shown(BSTR v) noexcept { return v; }
    static std::string report(const context*, const std::u16string& v) { return utf8(v); }
    static void save(byte_writer& out, const ref_serials&, const std::u16string& v) { out.text(v); }
    static bool load(byte_reader& in, const ref_lookup&, std::u16string& v)
    {
        v = in.text();
        return true;
    }
};

// Another object, held and saved by its serial; described by its journal name.
template <typename I>
struct reference {
    using type = com::ComPtr<I>;
    using arg = I*;
    static constexpr bool is_reference = true;
    static HRESULT get(const com::ComPtr<I>& field, I** v) noexcept
    {
        field.copy_to(v);
        return S_OK;
    }
    static HRESULT put(com::ComPtr<I>& field, I* v) noexcept
    {
        field = com::ComPtr<I>(v);
        return S_OK;
    }
    static object_ref shown(I* v) noexcept { return ref(v); }
    static std::string report(const context* ctx, const com::ComPtr<I>& v)
    {
        return ctx ? ctx->name_of(v.get()) : "";
    }
    static void save(byte_writer& out, const ref_serials& refs, const com::ComPtr<I>& v)
    {
        out.u32(refs.serial(v.get()));
    }
    static bool load(byte_reader& in, const ref_lookup& refs, com::ComPtr<I>& v)
    {
        return load_ref(in, refs, &v);
    }
};

// A VARIANT_BOOL kept as VARIANT_TRUE or VARIANT_FALSE whatever it was given.
struct flag : plain<VARIANT_BOOL> {
    static HRESULT put(VARIANT_BOOL& field, VARIANT_BOOL v) noexcept
    {
        field = v ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    static std::string report(const context*, VARIANT_BOOL v) { return number(v); }
    static void save(byte_writer& out, const ref_serials&, VARIANT_BOOL v)
    {
        out.u16(static_cast<std::uint16_t>(v));
    }
    static bool load(byte_reader& in, const ref_lookup&, VARIANT_BOOL& v)
    {
        v = in.u16() ? VARIANT_TRUE : VARIANT_FALSE;
        return true;
    }
};

// A yes or no the engine keeps, described as "true" or "false" and saved as one byte.
struct yes_no {
    using type = bool;
    static std::string report(const context*, bool v) { return v ? "true" : "false"; }
    static void save(byte_writer& out, const ref_serials&, bool v) { out.u8(v ? 1 : 0); }
    static bool load(byte_reader& in, const ref_lookup&, bool& v)
    {
        v = in.u8() != 0;
        return true;
    }
};

// Bytes given whole (pixels, a palette), described by their count.
struct bytes {
    using type = std::vector<BYTE>;
    static std::string report(const context*, const std::vector<BYTE>& v)
    {
        return number(static_cast<LONG>(v.size()));
    }
    static void save(byte_writer& out, const ref_serials&, const std::vector<BYTE>& v)
    {
        out.blob(v);
    }
    static bool load(byte_reader& in, const ref_lookup&, std::vector<BYTE>& v)
    {
        v = in.blob();
        return true;
    }
};

// The rectangle behind a rect view: four entries "Rect.Left" … in the description.
struct rect {
    using type = rect_data;
    static void describe(property_list& out, const char*, const context*, const rect_data& v)
    {
        describe_rect(v, out);
    }
    static void save(byte_writer& out, const ref_serials&, const rect_data& v) { save_rect(v, out); }
    static bool load(byte_reader& in, const ref_lookup&, rect_data& v)
    {
        load_rect(v, in);
        return true;
    }
};

}  // namespace codec

}  // namespace host
