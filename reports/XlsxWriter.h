#pragma once

#include <string>

#include "reports/ReportExport.h"

namespace fw {

// An Excel workbook: the detail table on the first sheet under the title and the header block,
// its heading row frozen and filtered, date-time texts as real date-time cells (texts that are
// none stay text cells), red columns red, column widths fitted to their texts; each summary on
// a sheet of its own. Printing repeats the heading row on A4 landscape pages.
ExportResult WriteXlsx(const ExportDocument& document, const std::string& path,
                       const ExportProgress& progress = {});

}  // namespace fw
