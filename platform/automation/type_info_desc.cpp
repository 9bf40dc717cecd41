// FUNCDESC and VARDESC as ITypeInfo hands them out: one allocation per description, holding
// its parameter, type and default-value parts, freed by ReleaseFuncDesc / ReleaseVarDesc.
#include "platform/automation/type_library_impl.h"

#include <new>
#include <vector>

namespace com::automation {
namespace {

constexpr MEMBERID first_constant_id = 0x40000000;

struct funcdesc_block : FUNCDESC {
    std::vector<ELEMDESC> elems;
    std::vector<TYPEDESC> types;  // reserved up front: TYPEDESCs point into it
    std::vector<PARAMDESCEX> defaults;

    ~funcdesc_block()
    {
        for (PARAMDESCEX& d : defaults) VariantClear(&d.varDefaultValue);
    }
};

struct vardesc_block : VARDESC {
    VARIANT value;
};

// Builds the TYPEDESCs of one function, resolving references through its type info.
class typedesc_builder {
public:
    typedesc_builder(const type_info_impl& info, std::vector<TYPEDESC>& pool) noexcept
        : info_(info), pool_(pool)
    {
    }

    // The type of the value: a VT_USERDEFINED reference (behind a pointer for interfaces) when
    // the library can answer it, else the VARTYPE.
    void value(const param_desc& p, TYPEDESC& td)
    {
        ref_target target;
        HREFTYPE ref = 0;
        if (info_.param_target(p, &target) && info_.href_of(target, &ref)) {
            if (p.udt == udt_kind::object) {
                TYPEDESC& user = add();
                user.vt = VT_USERDEFINED;
                user.hreftype = ref;
                td.vt = VT_PTR;
                td.lptdesc = &user;
            } else {
                td.vt = VT_USERDEFINED;
                td.hreftype = ref;
            }
            return;
        }
        td.vt = p.vt;
    }

    void param(const param_desc& p, TYPEDESC& td)
    {
        if (p.kind == arg_kind::out || p.kind == arg_kind::retval ||
            p.kind == arg_kind::variant_in) {
            TYPEDESC& pointee = add();
            value(p, pointee);
            td.vt = VT_PTR;
            td.lptdesc = &pointee;
            return;
        }
        value(p, td);
    }

private:
    TYPEDESC& add()
    {
        pool_.push_back(TYPEDESC{});
        return pool_.back();
    }

    const type_info_impl& info_;
    std::vector<TYPEDESC>& pool_;
};

void default_variant(const param_desc& p, VARIANT* v)
{
    VariantInit(v);
    const default_value& d = p.def;
    v->vt = d.vt;
    switch (d.vt) {
    case VT_I4: v->lVal = static_cast<LONG>(d.i); break;
    case VT_BOOL: v->boolVal = static_cast<VARIANT_BOOL>(d.i); break;
    case VT_R8: v->dblVal = d.d; break;
    case VT_BSTR:
        v->bstrVal = SysAllocString(d.s ? d.s : u"");
        if (!v->bstrVal) throw std::bad_alloc();
        break;
    default: v->vt = VT_EMPTY; break;
    }
    // The default as the parameter's own type, where it converts.
    if (p.kind == arg_kind::scalar && v->vt != p.vt) {
        VARIANT converted;
        VariantInit(&converted);
        if (SUCCEEDED(VariantChangeType(&converted, v, 0, p.vt))) {
            VariantClear(v);
            *v = converted;
        }
    }
}

}  // namespace

HRESULT type_info_impl::GetFuncDesc(UINT index, FUNCDESC** out) noexcept
{
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!desc || index >= desc->members.size()) return TYPE_E_ELEMENTNOTFOUND;
    const member_desc& m = desc->members[index];
    const bool dispatch_view = kind_ == TKIND_DISPATCH;
    const UINT listed = dispatch_view ? m.visible : m.count;
    try {
        auto block = std::make_unique<funcdesc_block>();
        FUNCDESC& f = *block;
        f = FUNCDESC{};
        block->elems.resize(listed);
        block->types.reserve(3 * (m.count + 1u));
        block->defaults.reserve(listed);
        typedesc_builder types(*this, block->types);
        SHORT optional = 0;
        for (UINT i = 0; i < listed; ++i) {
            const param_desc& p = m.params[i];
            ELEMDESC& e = block->elems[i];
            types.param(p, e.tdesc);
            e.paramdesc.wParamFlags = p.flags;
            e.paramdesc.pparamdescex = nullptr;
            if (p.flags & PARAMFLAG_FHASDEFAULT) {
                block->defaults.push_back(PARAMDESCEX{});
                PARAMDESCEX& d = block->defaults.back();
                d.cBytes = sizeof(PARAMDESCEX);
                default_variant(p, &d.varDefaultValue);
                e.paramdesc.pparamdescex = &d;
            } else if (p.flags & PARAMFLAG_FOPT) {
                ++optional;
            }
        }
        f.memid = m.id;
        f.lprgelemdescParam = listed ? block->elems.data() : nullptr;
        f.funckind = dispatch_view ? FUNC_DISPATCH : FUNC_PUREVIRTUAL;
        f.invkind = static_cast<INVOKEKIND>(m.invkind);
        f.callconv = CC_STDCALL;
        f.cParams = static_cast<SHORT>(listed);
        f.cParamsOpt = optional;
        f.wFuncFlags = m.func_flags;
        if (!dispatch_view)
            f.elemdescFunc.tdesc.vt = VT_HRESULT;
        else if (m.has_retval)
            types.value(m.params[m.count - 1], f.elemdescFunc.tdesc);
        else
            f.elemdescFunc.tdesc.vt = VT_VOID;
        *out = block.release();
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

void type_info_impl::ReleaseFuncDesc(FUNCDESC* desc_out) noexcept
{
    delete static_cast<funcdesc_block*>(desc_out);
}

HRESULT type_info_impl::GetVarDesc(UINT index, VARDESC** out) noexcept
{
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (kind_ != TKIND_ENUM || index >= constants.size()) return TYPE_E_ELEMENTNOTFOUND;
    auto* block = new (std::nothrow) vardesc_block{};
    if (!block) return E_OUTOFMEMORY;
    block->memid = static_cast<MEMBERID>(first_constant_id + index);
    block->varkind = VAR_CONST;
    VariantInit(&block->value);
    block->value.vt = VT_I4;
    block->value.lVal = constants[index].value;
    block->lpvarValue = &block->value;
    block->elemdescVar.tdesc.vt = VT_I4;
    *out = block;
    return S_OK;
}

void type_info_impl::ReleaseVarDesc(VARDESC* desc_out) noexcept
{
    delete static_cast<vardesc_block*>(desc_out);
}

}  // namespace com::automation
