// Journal lines as the engine's objects record their calls: "who.member(args…) -> results",
// made only while the journal of the document is on; and where a host object lives.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "host/model/context.h"
#include "platform/com/com.h"

namespace host {

// Where a host object lives.
enum class placement : BYTE { none = 0, page_objects = 1, resources = 2, resources_unlisted = 3 };

// Wraps an interface pointer given to the journal, so that it is written by name.
struct object_ref {
    IUnknown* p;
};
template <typename I>
object_ref ref(I* p) noexcept
{
    return {p ? static_cast<IUnknown*>(p) : nullptr};
}

// One journal line under construction: inactive when the journal is off.
class call_record {
public:
    call_record() noexcept = default;
    call_record(context* ctx, LONG page_id, std::string text) noexcept
        : ctx_(ctx), page_id_(page_id), text_(std::move(text))
    {
    }

    HRESULT operator()(HRESULT hr) noexcept
    {
        finish(hr);
        return hr;
    }
    template <typename... Outs>
    HRESULT operator()(HRESULT hr, const Outs&... outs) noexcept
    {
        if (ctx_ && SUCCEEDED(hr)) {
            try {
                text_ += " -> ";
                bool first = true;
                ((append_one(first), append_any(text_, *ctx_, outs)), ...);
            } catch (...) {
            }
        }
        finish(hr);
        return hr;
    }

    template <typename T>
    static void append_any(std::string& out, const context& ctx, const T& value)
    {
        if constexpr (std::is_same_v<T, object_ref>)
            out += ctx.name_of(value.p);
        else if constexpr (std::is_enum_v<T>)
            append_value(out, static_cast<LONG>(value));
        else if constexpr (std::is_same_v<T, BSTR> || std::is_same_v<T, const OLECHAR*>)
            append_value(out, com::bstr_view(const_cast<BSTR>(value)));
        else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, const char*>)
            append_value(out, std::string_view(value));
        else if constexpr (std::is_same_v<T, VARIANT_BOOL>)
            append_value(out, static_cast<SHORT>(value));
        else
            append_value(out, value);
    }

private:
    void append_one(bool& first)
    {
        if (!first) text_ += ',';
        first = false;
    }
    void finish(HRESULT hr) noexcept
    {
        if (!ctx_) return;
        try {
            if (FAILED(hr) || hr != S_OK) {
                text_ += FAILED(hr) ? " !" : " ?";
                append_hresult(text_, hr);
            }
        } catch (...) {
        }
        ctx_->log.add(page_id_, std::move(text_));
        ctx_ = nullptr;
    }

    context* ctx_ = nullptr;
    LONG page_id_ = 0;
    std::string text_;
};

// Starts a journal line "who.member(args…)" when the journal of `ctx` is on.
template <typename... Args>
call_record record_call(context* ctx, LONG page_id, const std::string& who,
                        std::string_view member, const Args&... args) noexcept
{
    if (!ctx || !ctx->log.enabled()) return {};
    try {
        std::string text = who;
        text += '.';
        text += member;
        text += '(';
        [[maybe_unused]] bool first = true;
        auto one = [&](const auto& a) {
            if (!first) text += ',';
            first = false;
            call_record::append_any(text, *ctx, a);
        };
        (one(args), ...);
        (void)one;
        text += ')';
        return call_record(ctx, page_id, std::move(text));
    } catch (...) {
        return {};
    }
}

}  // namespace host
