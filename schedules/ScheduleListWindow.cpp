#include "schedules/ScheduleListWindow.h"

#include <QHeaderView>

#include <algorithm>
#include <QLineEdit>

#include "base/MessageBox.h"
#include "net/NotSent.h"
#include "net/Requests.h"
#include "res/RESOURCE.H"
#include "skin/SkinControls.h"

namespace fw {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The first column takes the window's width less the 300 pixels of the other two and the room
// of the vertical scroll bar.
int NameColumnWidth(int windowWidth) { return std::max(100, windowWidth - 300 - 16); }

}  // namespace

ScheduleListWindow::ScheduleListWindow(ScheduleLink link, QWidget* owner)
    : CUIWnd(owner), link_(std::move(link)) {}

void ScheduleListWindow::InitSkinWindowId() { SetSkinWindowId(IDW_PAIBAN_GUANLI); }

bool ScheduleListWindow::OnCreate() {
    view_ = Item<SkinListCtrl>(IDC_LSTCTRL_ARRANGE);
    auto* search = Item<QLineEdit>(IDC_EDT_PAIBAN_GL_NAME);
    if (view_ == nullptr || search == nullptr) return false;
    view_->SetImageList(link_.markImages);
    // The rows are sorted here, by this window's own state; the header only reports clicks.
    view_->header()->setSectionsClickable(true);
    view_->setHeaderLabels({QStringLiteral("名称"), QStringLiteral("启用时间"), QStringLiteral("截止时间")});
    view_->setColumnWidth(0, NameColumnWidth(width()));
    view_->setColumnWidth(1, 150);
    view_->setColumnWidth(2, 150);
    connect(view_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ToggleScheduleMark(view_->indexOfTopLevelItem(item)); });
    connect(view_->header(), &QHeaderView::sectionClicked, this, &ScheduleListWindow::SortScheduleList);
    connect(search, &QLineEdit::returnPressed, this, &ScheduleListWindow::SearchSchedules);
    return true;
}

void ScheduleListWindow::resizeEvent(QResizeEvent* event) {
    CUIWnd::resizeEvent(event);
    if (view_ != nullptr) view_->setColumnWidth(0, NameColumnWidth(width()));
}

void ScheduleListWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    if (id == IDC_BTN_PAIBAN_GL_SEARCH) SearchSchedules();
    else if (id == IDC_BTN_PAIBAN_GL_DELE) DeleteMarkedSchedules();
}

QTreeWidgetItem* ScheduleListWindow::MakeItem(const ScheduleRow& row) const {
    auto* item = new QTreeWidgetItem({Q(row.name), Q(row.startDate), Q(row.endDate)});
    view_->SetItemImage(item, row.marked ? 1 : 0);
    return item;
}

void ScheduleListWindow::AddScheduleRow(const std::string& name, const std::string& startDate,
                                        const std::string& endDate) {
    schedules_.Add(name, startDate, endDate);
    view_->addTopLevelItem(MakeItem(schedules_.Rows().back()));
}

void ScheduleListWindow::ShowRows() {
    view_->clear();
    QList<QTreeWidgetItem*> items;
    for (const ScheduleRow& row : schedules_.Rows()) items.append(MakeItem(row));
    view_->addTopLevelItems(items);
}

// Marked rows are ticked and selected, the first of them current; the others neither.
void ScheduleListWindow::ShowMarks() {
    view_->clearSelection();
    bool first = true;
    for (int i = 0; i < view_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = view_->topLevelItem(i);
        const bool marked = schedules_.Rows()[static_cast<std::size_t>(i)].marked;
        view_->SetItemImage(item, marked ? 1 : 0);
        item->setSelected(marked);
        if (marked && first) {
            view_->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
            view_->scrollToItem(item);
            first = false;
        }
    }
}

void ScheduleListWindow::SearchSchedules() {
    auto* search = Item<QLineEdit>(IDC_EDT_PAIBAN_GL_NAME);
    search->setText(Q(schedules_.Search(search->text().toStdString())));
    ShowMarks();
}

void ScheduleListWindow::ToggleScheduleMark(int row) {
    if (!schedules_.ToggleMark(row)) return;
    view_->SetItemImage(view_->topLevelItem(row), schedules_.Rows()[static_cast<std::size_t>(row)].marked ? 1 : 0);
    view_->viewport()->update();
}

void ScheduleListWindow::DeleteMarkedSchedules() {
    int deleted = 0;
    bool refused = false;
    schedules_.DeleteMarked([&](const ScheduleRow& row) {
        refused = !link_.send(DeleteScheduleRequest(row.name, link_.userName()));
        deleted += refused ? 0 : 1;
        return !refused;
    });
    ShowRows();
    if (!refused) return;
    const auto left = std::count_if(schedules_.Rows().begin(), schedules_.Rows().end(),
                                    [](const ScheduleRow& r) { return r.marked; });
    ShowMessage(this, Q(PartlySentText(deleted, "已删除", static_cast<int>(left), kScheduleNotDeleted)));
}

void ScheduleListWindow::SortScheduleList(int column) {
    schedules_.SortBy(column);
    ShowRows();
}

void ScheduleListWindow::Clear() {
    schedules_.Clear();
    view_->clear();
}

void ScheduleListWindow::ListArrives() {
    const std::size_t before = schedules_.Rows().size();
    schedules_.ListArrives();
    // The rows made way for the server's list, which follows at once.
    if (schedules_.Rows().size() != before) view_->clear();
}

}  // namespace fw
