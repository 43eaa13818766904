#include "reports/ReportListModel.h"

#include <QColor>

namespace fw {

int ReportListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.Size());
}

int ReportListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(kReportColumnCount);
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const auto column = static_cast<std::size_t>(index.column());
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return QString::fromStdString(rows_.Row(static_cast<std::size_t>(index.row()))[column]);
        case Qt::ForegroundRole:
            return kReportColumns[column].highlighted ? QColor(255, 0, 0) : QColor(0, 0, 0);
        default:
            return {};
    }
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(
            kReportColumns[static_cast<std::size_t>(section)].heading.data(),
            static_cast<qsizetype>(
                kReportColumns[static_cast<std::size_t>(section)].heading.size()));
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == Qt::AccessibleTextRole) {
        const std::string_view spoken = kReportColumns[static_cast<std::size_t>(section)].spoken;
        if (!spoken.empty())
            return QString::fromUtf8(spoken.data(), static_cast<qsizetype>(spoken.size()));
    }
    return {};
}

bool ReportListModel::AddServerRow(const Json::Value& body, const VehicleStore& vehicles,
                                   StatusFilter filter) {
    std::optional<ReportRow> row = ServerReportRow(body, vehicles, filter);
    if (!row) return false;
    // The view is told where the row goes before it is there.
    const std::size_t at = rows_.PlaceOf(*row);
    beginInsertRows({}, static_cast<int>(at), static_cast<int>(at));
    rows_.InsertAt(at, std::move(*row));
    endInsertRows();
    return true;
}

void ReportListModel::AddRunRows(ReportList rows) {
    if (rows.Empty()) return;
    beginResetModel();
    rows_.Append(std::move(rows));
    rows_.Sort();
    endResetModel();
}

void ReportListModel::Clear() {
    if (rows_.Empty()) return;
    beginResetModel();
    rows_.Clear();
    endResetModel();
}

}  // namespace fw
