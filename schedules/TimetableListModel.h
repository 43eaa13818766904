#pragma once

#include <QAbstractTableModel>

#include <memory>

#include "schedules/Timetable.h"

namespace fw {

// The import page's list of departures: batch, departure time, line, one row each, read from the
// imported timetable where it lies, so a long timetable costs nothing per row off screen.
class TimetableListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SetTimetable(std::shared_ptr<const ImportedTimetable> timetable);
    const ImportedTimetable* Timetable() const { return timetable_.get(); }

private:
    std::shared_ptr<const ImportedTimetable> timetable_;
};

}  // namespace fw
