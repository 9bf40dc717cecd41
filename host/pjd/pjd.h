// .pjd files, the engine's own document format (layout in README.md): saving a document to
// bytes and loading bytes into a new document, and the atomic file write. Every failure is an
// HRESULT with a one-line message for the tool.
#pragma once

#include <string>
#include <vector>

#include "host/io/files.h"
#include "host/model/document_object.h"

namespace host {

// Damaged or malformed .pjd data.
constexpr HRESULT PJD_E_DAMAGED = STG_E_INVALIDHEADER;

HRESULT pjd_save(document_object* doc, std::vector<BYTE>* out, std::string* message) noexcept;

// Checks every chunk before anything is made. With `pages_only` only the pages (sizes,
// resolution, ids, words) are made: what a stored document placed on another page needs.
HRESULT pjd_load(const BYTE* data, std::size_t size, bool pages_only,
                 com::ComPtr<document_object>* out, std::string* message) noexcept;

// Written to a temporary file next to `path`, flushed to the disk and renamed over it.
HRESULT pjd_write_file(const std::string& path, const std::vector<BYTE>& bytes,
                       std::string* message) noexcept;
HRESULT pjd_read_file(const std::string& path, std::vector<BYTE>* bytes,
                      std::string* message) noexcept;

}  // namespace host
