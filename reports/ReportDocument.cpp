#include "reports/ReportDocument.h"

namespace fw {

ExportDocument ReportDocument(const ReportHeading& heading, std::span<const ReportRow> rows,
                              OnTimeWindow window) {
    ExportDocument document;
    document.title = std::string(kReportTitle);
    document.header = HeaderBlock(heading);
    document.header.push_back({"准点窗口", DescribeWindow(window)});
    document.detail = DetailTable(rows);
    document.summaries.push_back(LineSummary(rows, window));
    return document;
}

}  // namespace fw
