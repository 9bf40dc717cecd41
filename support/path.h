// CPath: a file path given as ANSI text, taken apart into drive, directory, file name and
// extension, with the two questions the image element asks of it: does the file exist, and
// what is its extension.
//
// Parsing happens in the constructor: one pair of enclosing double quotes is removed, the rest
// is split like _splitpath_s, forward slashes in the directory become backslashes, and the
// extension loses its dot (it stays empty when the file name is empty). A null path is the
// empty path. Paths longer than 259 characters once unquoted, and paths with a directory, file
// name or extension longer than 255 characters, are refused: every part stays empty and
// GetStatus() says E_INVALIDARG. Running out of memory leaves the parts empty with
// E_OUTOFMEMORY.
#pragma once

#include <string>

#include "platform/com/types.h"

class CPath {
public:
    explicit CPath(LPCSTR path) noexcept;
    CPath(const CPath&) = default;
    CPath& operator=(const CPath&) = default;
    virtual ~CPath();

    // Nonzero when the file name is not empty and PathFileExistsA finds GetPath(); the file
    // system is not asked when there is no file name.
    BOOL FileExists() const noexcept;

    // A copy of the extension, without its dot ("" when memory runs out).
    std::string GetExtension() const noexcept;

    // Drive + directory + file name, then '.' and the extension when there is one.
    std::string GetPath() const noexcept;

    const std::string& GetDrive() const noexcept { return drive_; }
    const std::string& GetDirectory() const noexcept { return directory_; }
    const std::string& GetFileName() const noexcept { return file_name_; }

    // S_OK, or why the parts are empty (E_INVALIDARG, E_OUTOFMEMORY).
    HRESULT GetStatus() const noexcept { return status_; }

private:
    void Parse(LPCSTR path);
    void Clear() noexcept;

    std::string drive_;
    std::string directory_;
    std::string file_name_;
    std::string extension_;
    HRESULT status_ = S_OK;
};
