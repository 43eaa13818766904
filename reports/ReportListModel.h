#pragma once

#include <QAbstractTableModel>

#include "reports/ReportRows.h"

namespace Json {
class Value;
}

namespace fw {

class VehicleStore;

// The report list's rows for its view: eleven columns with their headings, the lateness
// columns in red. Server rows take their planned place as they come; a run's rows join at once.
class ReportListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The body of a server report message (9021); false when the filter or an empty plate
    // refused it.
    bool AddServerRow(const Json::Value& body, const VehicleStore& vehicles, StatusFilter filter);
    // A run's rows, appended, then the whole list in planned order.
    void AddRunRows(ReportList rows);
    void Clear();

    const ReportList& Rows() const { return rows_; }

private:
    ReportList rows_;
};

}  // namespace fw
