#pragma once

#include <string_view>

namespace fw {

// FreeXL reads a workbook's shared string correctly only while the string's characters are
// continued over at most one record boundary and its header and formatting data stay inside
// their records. Past that it reads beyond the record it holds and gives wrong text for that
// string and every string after it, without an error. This looks at the shared strings of an
// .xls file first, so such a workbook is refused instead of being imported wrongly.
enum class SharedStrings {
    Readable,   // FreeXL reads every string as written (or the file is left to FreeXL to judge)
    TooLong,    // a string FreeXL would misread: thousands of characters in one cell
};

SharedStrings CheckSharedStrings(std::string_view file);

}  // namespace fw
