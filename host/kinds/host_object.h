// The common part of every host object kind: its kind, creation serial, id and list, the page
// it was made for, whether its own Attach was called, its journal name and the journal
// recorder, and the hooks for the object views and the .pjd records.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "contentelements/zprint_page.h"
#include "host/io/files.h"
#include "host/model/call_record.h"
#include "host/pjd/byte_io.h"
#include "platform/com/com.h"

namespace host {

class host_object;
struct painter;
struct resource_info;

// Answered by every host object: how the engine recognises its own objects behind an interface.
struct IHostObject : IUnknown {
    static constexpr IID iid = com::make_guid("{3D0B6E51-7A1C-4C8E-9F2B-5E7A1D4C9B60}");
    using base = IUnknown;
    virtual host_object* host_self() noexcept = 0;
};

// The host object behind an interface pointer, or null. No reference is kept.
host_object* host_object_of(IUnknown* object) noexcept;

using property_list = std::vector<std::pair<std::string, std::string>>;

// Resolves the object serials of a .pjd file while it is loaded; null for 0 or unknown ones.
struct ref_lookup {
    virtual IUnknown* object(std::uint32_t serial) const noexcept = 0;

protected:
    ~ref_lookup() = default;
};
// Gives the serial under which an object is saved; 0 when it is not saved.
struct ref_serials {
    virtual std::uint32_t serial(IUnknown* object) const noexcept = 0;

protected:
    ~ref_serials() = default;
};

const char* kind_name(LONG kind) noexcept;

class host_object : public IHostObject {
public:
    using interface_type = IHostObject;

    host_object* host_self() noexcept override { return this; }

    LONG kind() const noexcept { return kind_; }
    LONG serial() const noexcept { return serial_; }
    LONG id() const noexcept { return id_; }
    placement place() const noexcept { return place_; }
    LONG page_id() const noexcept { return page_id_; }
    context* ctx() const noexcept { return ctx_.get(); }
    // "shape#3" once a list has given it an id, "shape~7" (creation serial) before.
    std::string name() const;

    void set_listed(LONG id, placement where) noexcept
    {
        id_ = id;
        place_ = where;
    }
    void set_unlisted() noexcept { place_ = placement::none; }
    bool attached() const noexcept { return attached_; }
    void restore_attached() noexcept { attached_ = true; }

    virtual IUnknown* unknown() noexcept = 0;
    // The object's properties as name/value strings, in interface order.
    virtual void describe(property_list& out) const = 0;
    virtual void save(byte_writer& out, const ref_serials& refs) const = 0;
    // Reads what save wrote; false when the record does not fit the kind.
    virtual bool load(byte_reader& in, const ref_lookup& refs) = 0;
    // The objects this one refers to, for saving them along.
    virtual void references(std::vector<IUnknown*>&) const {}
    // Lets go of every object held, breaking cycles when the document closes.
    virtual void drop_references() noexcept {}
    // Hands the painter what this object shows; resources and unplaced kinds show nothing.
    virtual void paint(painter&) const {}
    // What this object offers as a resource to the objects that use it.
    virtual void resource(resource_info&) const {}

    template <typename... Args>
    call_record record(std::string_view member, const Args&... args) const noexcept
    {
        if (!ctx_ || !ctx_->log.enabled()) return {};
        return record_call(ctx_.get(), page_id_, name(), member, args...);
    }

    // The journal name of a part of this object ("shape#3.path"); empty when the journal is off.
    std::string part_name(const char* part) const noexcept
    {
        if (!ctx_ || !ctx_->log.enabled()) return {};
        try {
            return name() + "." + part;
        } catch (...) {
            return {};
        }
    }

    // Set once, by the factory.
    void bind(std::shared_ptr<context> ctx, LONG kind, LONG page_id) noexcept;
    // An object made by class id belongs to no document until a list of one takes it.
    void adopt(const std::shared_ptr<context>& ctx, LONG page_id) noexcept
    {
        if (!ctx_ && ctx) bind(ctx, kind_, page_id);
    }

protected:
    host_object() noexcept = default;
    ~host_object();

    HRESULT object_kind(LONG* kind) noexcept;
    HRESULT attach(IDispatch* page_objects, IDispatch* resources, IDispatch* document) noexcept;

private:
    std::shared_ptr<context> ctx_;
    // The kind codes are all below 1 000; with the two flags beside it the header packs into
    // 16 bytes, and a text object or a font fits malloc's next smaller size.
    std::int16_t kind_ = 0;
    placement place_ = placement::none;
    // Attach's lists and document are not kept: the object already knows its page, and
    // holding them would tie every object to its page in a cycle.
    bool attached_ = false;
    LONG serial_ = 0;
    LONG id_ = 0;
    LONG page_id_ = 0;
    host_object* live_prev_ = nullptr;  // the context's list of live objects
    host_object* live_next_ = nullptr;

public:
    host_object* next_live() const noexcept { return live_next_; }
};

// A host object of interface I (an IZObject): its IDispatch from I's member table, IZObject's
// two members, and the IHostObject hook.
template <typename Derived, typename I>
class kind_object
    : public com::object_root<Derived, com::automation::dispatch_impl<I>, host_object> {
public:
    HRESULT GetObjectKind(LONG* kind) noexcept override { return this->object_kind(kind); }
    HRESULT Attach(IDispatch* page_objects, IDispatch* resources,
                   IDispatch* document) noexcept override
    {
        return this->attach(page_objects, resources, document);
    }
    IUnknown* unknown() noexcept override { return this->identity(); }
    static constexpr bool aggregatable = false;
};

// BSTR results of the getters: a copy of the stored text, never null.
HRESULT copy_out(const std::u16string& text, BSTR* out) noexcept;
std::u16string from_bstr(BSTR text);


// Small formatting helpers for describe().
std::string number(LONG v);
std::string colour(OLE_COLOR v);
std::string real(double v);
std::string quoted(const std::u16string& text);

}  // namespace host
