// Reading a written PDF back with qpdf, apart from the fuzz targets: qpdf's headers are C++17
// and the project's are C++20.
#pragma once

#include <string>

// True when qpdf reads `pdf` without an exception or a warning, resolves every object, and
// finds `pages` pages; otherwise `why` says what went wrong.
bool reads_back_whole(const std::string& pdf, std::size_t pages, std::string* why);
