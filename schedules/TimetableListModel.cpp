#include "schedules/TimetableListModel.h"

namespace fw {

int TimetableListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !timetable_ ? 0 : static_cast<int>(timetable_->rows.size());
}

int TimetableListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TimetableListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    const DepartureList& rows = timetable_->rows;
    const DepartureList::View d = rows.At(static_cast<std::size_t>(index.row()));
    auto text = [](std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); };
    switch (index.column()) {
        case 0: return text(rows.Batches()[static_cast<std::size_t>(d.batch)]);
        case 1: return text(d.time);
        case 2: return text(d.line);
        default: return {};
    }
}

QVariant TimetableListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case 0: return QStringLiteral("批次");
        case 1: return QStringLiteral("出发时间");
        case 2: return QStringLiteral("线路");
        default: return {};
    }
}

void TimetableListModel::SetTimetable(std::shared_ptr<const ImportedTimetable> timetable) {
    beginResetModel();
    timetable_ = std::move(timetable);
    endResetModel();
}

}  // namespace fw
