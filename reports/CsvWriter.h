#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "reports/ReportExport.h"

namespace fw {

// UTF-8 with a byte-order mark (what spreadsheet programs need to take the text as Chinese),
// or GBK without one for older programs (conf.ini: CsvCharset=GBK).
enum class CsvCharset { Utf8, Gbk };
// "UTF-8" (also "UTF8"), "GBK" (also "GB2312", "CP936", "936"), letter case ignored; empty means
// UTF-8. Anything else gives nothing.
std::optional<CsvCharset> CsvCharsetNamed(std::string_view name);

// Appends one field as RFC 4180 has it: quoted, with its quotes doubled, when it holds a comma,
// a quote, a line break or edge blanks; as it is otherwise.
void AppendCsvField(std::string& out, std::string_view field);

// A field from the data: one a spreadsheet would take as a formula (it begins with '=', '+',
// '-', '@', a tab or a CR) is written after an apostrophe, which spreadsheets show as text.
void AppendCsvDataField(std::string& out, std::string_view field);

// The header block as "label,value" records, a blank record, the detail table with its
// headings, then each summary after a blank record and its title. Records end in CR LF.
// Shares are written as percentages ("95.3%"); header values and cells are data fields.
ExportResult WriteCsv(const ExportDocument& document, const std::string& path, CsvCharset charset,
                      const ExportProgress& progress = {});

}  // namespace fw
