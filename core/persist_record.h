// IPersistStreamInit with the framing every record of the library shares: a 32-bit version
// first, a newer version than the class writes refused with E_UNEXPECTED, then the class's own
// fields. The elements, the element info and the container all persist through it:
//
//   static constexpr const CLSID& class_id = …;     what GetClassID answers
//   static constexpr ULONG record_version = …;      written; newer ones are refused
//   HRESULT save_fields(IStream*) noexcept;          the record after the version (or
//   HRESULT save_fields(IStream*, BOOL clear_dirty)  when the fields are records themselves)
//   HRESULT load_fields(IStream*, ULONG version) noexcept;
//   auto& dirty_flag() noexcept;                     the class's own dirty flag
#pragma once

#include "core/record_io.h"
#include "platform/com/com.h"

namespace cnt {

template <typename Derived>
class persist_record : public IPersistStreamInit {
public:
    using interface_type = IPersistStreamInit;

    HRESULT GetClassID(CLSID* clsid) noexcept override
    {
        if (!clsid) return E_POINTER;
        *clsid = Derived::class_id;
        return S_OK;
    }
    HRESULT IsDirty() noexcept override { return self().dirty_flag() ? S_OK : S_FALSE; }
    HRESULT Load(IStream* stream) noexcept override
    {
        if (!stream) return E_POINTER;
        const record::direct_scope direct(stream);
        ULONG version = 0;
        RETURN_IF_FAILED(record::read_u32(stream, &version));
        if (version > Derived::record_version) return E_UNEXPECTED;
        RETURN_IF_FAILED(self().load_fields(stream, version));
        self().dirty_flag() = false;
        return S_OK;
    }
    HRESULT Save(IStream* stream, BOOL clear_dirty) noexcept override
    {
        if (!stream) return E_POINTER;
        const record::direct_scope direct(stream);
        RETURN_IF_FAILED(record::write_u32(stream, Derived::record_version));
        if constexpr (requires(Derived& d) { d.save_fields(stream, clear_dirty); })
            RETURN_IF_FAILED(self().save_fields(stream, clear_dirty));
        else
            RETURN_IF_FAILED(self().save_fields(stream));
        if (clear_dirty) self().dirty_flag() = false;
        return S_OK;
    }
    // Only the version's size is promised: the rest of a record varies with its content.
    HRESULT GetSizeMax(ULARGE_INTEGER* size) noexcept override
    {
        if (!size) return E_POINTER;
        size->QuadPart = 4;
        return S_OK;
    }
    HRESULT InitNew() noexcept override
    {
        self().dirty_flag() = true;
        return S_OK;
    }

protected:
    persist_record() = default;
    ~persist_record() = default;

private:
    Derived& self() noexcept { return static_cast<Derived&>(*this); }
};

}  // namespace cnt
