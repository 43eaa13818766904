#pragma once

#include <span>

#include "reports/Punctuality.h"
#include "reports/ReportExport.h"
#include "reports/ReportRows.h"

namespace fw {

// The export of a listed report: its title, the header block with the on-time window, the rows
// as listed and the per-line summary ("汇总"). The rows must outlive the document.
ExportDocument ReportDocument(const ReportHeading& heading, std::span<const ReportRow> rows,
                              OnTimeWindow window);

}  // namespace fw
