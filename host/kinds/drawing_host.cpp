// The drawing host of a device context; see drawing_host.h.
#include "host/kinds/drawing_host.h"

#include "platform/com/com.h"

namespace host {
namespace {

class drawing_host
    : public com::object_root<drawing_host, com::automation::dispatch_impl<IZDrawingHost>> {
public:
    void init(HDC dc) noexcept { dc_ = dc; }

    // The flags are kept for later uses; none is defined yet.
    HRESULT SetBackground(OLE_COLOR colour, LONG) noexcept override
    {
        if (!dc_) return E_UNEXPECTED;
        return SetBkColor(dc_, static_cast<COLORREF>(colour)) == CLR_INVALID ? E_INVALIDARG : S_OK;
    }

private:
    HDC dc_ = nullptr;
};

}  // namespace

HRESULT make_drawing_host(HDC dc, IZDrawingHost** out) noexcept
{
    if (!out) return E_POINTER;
    *out = nullptr;
    com::ComPtr<drawing_host> made;
    RETURN_IF_FAILED(com::make<drawing_host>(made.put()));
    made->init(dc);
    *out = made.detach();
    return S_OK;
}

}  // namespace host
