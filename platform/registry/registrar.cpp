// Running parsed registration scripts against the registry, as one change of the file.
#include "platform/registry/registrar.h"

#include <new>

#include "platform/registry/reg_store.h"
#include "platform/registry/rgs_script.h"

namespace registry {
namespace {

void register_entries(key& parent, const std::vector<rgs_entry>& entries)
{
    for (const rgs_entry& e : entries) {
        if (e.kind == entry_kind::value) {
            parent.set_value(e.name, e.type, e.data);
            continue;
        }
        if (e.kind == entry_kind::force_remove || e.kind == entry_kind::remove)
            remove_tree(parent, e.path);
        if (e.kind == entry_kind::remove) continue;
        key* at = create(parent, e.path);
        if (e.has_data) at->set_value(u"", e.type, e.data);
        register_entries(*at, e.children);
    }
}

void unregister_entries(key& parent, const std::vector<rgs_entry>& entries)
{
    for (const rgs_entry& e : entries) {
        if (e.kind == entry_kind::value) {
            parent.remove_value(e.name);
            continue;
        }
        if (e.kind == entry_kind::remove) continue;
        key* at = find(parent, e.path);
        if (!at) continue;
        if (e.kind == entry_kind::force_remove) {
            remove_tree(parent, e.path);
            continue;
        }
        unregister_entries(*at, e.children);
        // A key someone else filled with subkeys of their own stays, as RegDeleteKey would
        // leave it.
        if (e.kind == entry_kind::key && at->subkeys.empty()) remove_tree(parent, e.path);
    }
}

HRESULT run(std::u16string_view script, std::span<const replacement> replacements,
            bool registering) noexcept
{
    try {
        std::u16string text;
        std::vector<rgs_entry> entries;
        if (!replace_variables(script, replacements, &text) || !parse_script(text, &entries))
            return DISP_E_EXCEPTION;
        const LONG r = change_registry([&](key& root) -> LONG {
            if (registering) register_entries(root, entries);
            else unregister_entries(root, entries);
            return ERROR_SUCCESS;
        });
        return HRESULT_FROM_WIN32(static_cast<std::uint32_t>(r));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace

HRESULT register_script(std::u16string_view script,
                        std::span<const replacement> replacements) noexcept
{
    return run(script, replacements, true);
}

HRESULT unregister_script(std::u16string_view script,
                          std::span<const replacement> replacements) noexcept
{
    return run(script, replacements, false);
}

std::u16string quote_for_script(std::u16string_view text)
{
    std::u16string quoted;
    for (char16_t c : text) {
        quoted.push_back(c);
        if (c == u'\'') quoted.push_back(u'\'');
    }
    return quoted;
}

}  // namespace registry
