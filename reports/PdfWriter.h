#pragma once

#include <optional>
#include <string>

#include "reports/PunctualityChart.h"
#include "reports/ReportExport.h"

namespace fw {

// A PDF on A4 landscape pages with the CJK font embedded: the title and the header block, the
// detail table paginated with its heading row on every page (red columns red, long texts
// wrapped), each summary from a new page, the charts on the last page when given, and
// "第 n 页 / 共 N 页" at the foot of every page. Safe to run off the interface thread, as long
// as the charts are not drawn on meanwhile.
ExportResult WritePdf(const ExportDocument& document, const std::string& path,
                      const std::optional<ChartDrawing>& charts,
                      const ExportProgress& progress = {});

// The face the PDF and the charts write Chinese with.
inline constexpr const char* kPdfFontFamily = "WenQuanYi Micro Hei";

}  // namespace fw
