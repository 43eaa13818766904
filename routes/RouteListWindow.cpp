#include "routes/RouteListWindow.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <set>

#include "base/MessageBox.h"
#include "net/NotSent.h"
#include "net/Requests.h"
#include "res/RESOURCE.H"
#include "routes/RouteList.h"
#include "routes/RouteStore.h"
#include "skin/SkinControls.h"

namespace fw {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

constexpr int kStationsColumn = 1;

}  // namespace

RouteListWindow::RouteListWindow(QWidget* owner, RouteContext context, QVector<QImage> checkImages)
    : CUIWnd(owner), context_(std::move(context)), checkImages_(std::move(checkImages)) {
    refillTimer_.setSingleShot(true);
    refillTimer_.setInterval(0);
    connect(&refillTimer_, &QTimer::timeout, this, &RouteListWindow::Refill);
}

void RouteListWindow::InitSkinWindowId() { SetSkinWindowId(IDW_LUXIAN_GUANLI); }

bool RouteListWindow::OnCreate() {
    list_ = Item<SkinListCtrl>(IDC_LSTCTRL_LX_GL);
    auto* search = Item<QLineEdit>(IDC_EDT_LX_GL_NAME);
    if (list_ == nullptr || search == nullptr || Item<QLineEdit>(IDC_EDT_LX_GL_FENYE_INPUT) == nullptr)
        return false;
    list_->SetImageList(checkImages_);
    list_->setColumnCount(kRouteListColumns);
    list_->setHeaderLabels({QStringLiteral("线路名称"), QStringLiteral("沿途站点"),
                            QStringLiteral("全长"), QStringLiteral("总耗时"), QStringLiteral("操作")});
    const std::vector<int> widths = RouteColumnWidths(ListWidth());
    for (int c = 0; c < kRouteListColumns; ++c) list_->setColumnWidth(c, widths[c]);
    list_->header()->setSectionsClickable(true);
    connect(list_->header(), &QHeaderView::sectionClicked, this, &RouteListWindow::Sort);
    connect(list_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) { ToggleTick(item); });
    connect(search, &QLineEdit::returnPressed, this, &RouteListWindow::Find);
    connect(Item<QLineEdit>(IDC_EDT_LX_GL_FENYE_INPUT), &QLineEdit::returnPressed, this,
            &RouteListWindow::Go);
    RefreshPager();
    return true;
}

void RouteListWindow::resizeEvent(QResizeEvent* event) {
    CUIWnd::resizeEvent(event);
    if (list_ != nullptr) list_->setColumnWidth(kStationsColumn, RouteColumnWidths(ListWidth())[kStationsColumn]);
}

int RouteListWindow::ListWidth() const {
    // Inside the list's frame, so the five columns fit without a horizontal scroll bar.
    return list_->width() - 2 * list_->frameWidth();
}

void RouteListWindow::OnCommand(int id) {
    CUIWnd::OnCommand(id);
    switch (id) {
        case IDC_BTN_LX_GL_SEARCH: Find(); break;
        case IDC_BTN_LX_GL_DELE: DeleteTicked(); break;
        case IDC_BTN_LX_GL_FENYE_SHOUYE: GoToPage(1); break;
        case IDC_BTN_LX_GL_FENYE_MOYE: GoToPage(pager_.pageCount); break;
        case IDC_BTN_LX_GL_FENYE_QIAN: GoToPage(currentPage_ - 1); break;
        case IDC_BTN_LX_GL_FENYE_NEXT: GoToPage(currentPage_ + 1); break;
        case IDC_BTN_LX_GL_FENYE_GO: Go(); break;
        default: break;
    }
}

void RouteListWindow::RefreshPager() {
    const int records = context_.routes ? static_cast<int>(context_.routes->ListedRouteCount()) : 0;
    pager_ = ComputePager(records, currentPage_);
    Item<QLineEdit>(IDC_EDT_LX_GL_FENYE_INPUT)->setText(QString::number(pager_.currentPage));
    if (auto* count = Item<QLabel>(IDC_STA_LX_GL_FENYE_JILUSHU)) count->setText(QString::number(records));
    if (auto* pages = Item<QLabel>(IDC_STA_LX_GL_FENYE_YESHU2)) pages->setText(QString::number(pager_.pageCount));
    for (auto [id, on] : {std::pair{IDC_BTN_LX_GL_FENYE_SHOUYE, pager_.first},
                          std::pair{IDC_BTN_LX_GL_FENYE_QIAN, pager_.previous},
                          std::pair{IDC_BTN_LX_GL_FENYE_NEXT, pager_.next},
                          std::pair{IDC_BTN_LX_GL_FENYE_MOYE, pager_.last}})
        if (QWidget* button = GetDlgItem(id)) button->setEnabled(on);
}

void RouteListWindow::FillPage(int page) {
    list_->clear();
    if (context_.routes == nullptr) return;
    for (const RouteRow& row : PageRows(*context_.routes, page)) AddRow(row);
}

void RouteListWindow::GoToPage(int page) {
    currentPage_ = page;
    FillPage(page);
    RefreshPager();
}

void RouteListWindow::Go() {
    const std::string typed = Item<QLineEdit>(IDC_EDT_LX_GL_FENYE_INPUT)->text().toStdString();
    if (const auto page = ParseGoPage(typed, pager_.pageCount)) {
        GoToPage(*page);
        return;
    }
    ShowMessage(this, QString::fromUtf8(kPageOutOfRange));
}

void RouteListWindow::ResetForLogin() {
    refillTimer_.stop();
    currentPage_ = 1;
    list_->clear();
    RefreshPager();
}

void RouteListWindow::Refill() {
    refillTimer_.stop();
    std::set<std::string> ticked;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (IsTicked(list_->topLevelItem(i))) ticked.insert(list_->topLevelItem(i)->text(0).toStdString());
    const int records = context_.routes ? static_cast<int>(context_.routes->ListedRouteCount()) : 0;
    currentPage_ = std::clamp(currentPage_, 1, std::max(1, PageCount(records)));
    FillPage(currentPage_);
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        if (ticked.contains(list_->topLevelItem(i)->text(0).toStdString())) SetTick(list_->topLevelItem(i), true);
    RefreshPager();
}

void RouteListWindow::AddRow(const RouteRow& row) {
    auto* item = new QTreeWidgetItem({Q(row.name), Q(row.stations), Q(row.length), Q(row.time), QString()});
    item->setToolTip(kStationsColumn, item->text(kStationsColumn));
    list_->addTopLevelItem(item);
    SetTick(item, false);
}

void RouteListWindow::AppendRow(const RouteRecord& route) {
    if (MayAppendRow(route, list_->topLevelItemCount())) AddRow(MakeRouteRow(route));
}

void RouteListWindow::RouteStationsArrived(const RouteRecord& route, const std::string& joined) {
    // Refreshed routes are on the list already: the page is filled again instead.
    if (context_.routes != nullptr && context_.routes->Refreshing()) {
        refillTimer_.start();
        return;
    }
    RefreshPager();
    if (MayAppendRow(route, list_->topLevelItemCount())) AddRow(MakeRouteRow(route, joined));
}

bool RouteListWindow::IsTicked(const QTreeWidgetItem* item) {
    return item != nullptr && item->data(0, kTickRole).toBool();
}

void RouteListWindow::SetTick(QTreeWidgetItem* item, bool ticked) {
    item->setData(0, kTickRole, ticked);
    list_->SetItemImage(item, ticked ? 1 : 0);
}

void RouteListWindow::ToggleTick(QTreeWidgetItem* item) {
    if (item != nullptr) SetTick(item, !IsTicked(item));
}

void RouteListWindow::Find() {
    const std::string search = Item<QLineEdit>(IDC_EDT_LX_GL_NAME)->text().toStdString();
    std::vector<std::string> names;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        names.push_back(list_->topLevelItem(i)->text(0).toStdString());
    const std::vector<bool> found = FindRows(names, search);
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        SetTick(item, found[i]);
        item->setSelected(found[i]);
        if (found[i]) list_->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
    }
}

void RouteListWindow::DeleteTicked() {
    const std::string user = context_.userName ? context_.userName() : std::string();
    int deleted = 0;
    for (int i = 0; i < list_->topLevelItemCount();) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (!IsTicked(item)) {
            ++i;
            continue;
        }
        const std::string name = item->text(0).toStdString();
        if (!context_.sendJson || !context_.sendJson(DeleteRouteRequest(name, user))) {
            int left = 0;
            for (int j = i; j < list_->topLevelItemCount(); ++j) left += IsTicked(list_->topLevelItem(j)) ? 1 : 0;
            if (deleted > 0) RefreshPager();
            ShowMessage(this, Q(PartlySentText(deleted, "已删除", left, kRouteNotDeleted)));
            return;
        }
        delete list_->takeTopLevelItem(i);
        // The server deletes by name: so does the store, and the name is free again.
        if (context_.routes != nullptr) context_.routes->RemoveRoute(name);
        ++deleted;
    }
    if (deleted > 0) RefreshPager();
}

void RouteListWindow::Sort(int column) {
    const bool descending = ClickSortColumn(RouteListSort(), column);
    const int rows = list_->topLevelItemCount();
    std::vector<std::string> keys;
    keys.reserve(rows);
    for (int i = 0; i < rows; ++i)
        keys.push_back(sortCodec_.FromUtf8(list_->topLevelItem(i)->text(column).toStdString()));
    const std::vector<std::size_t> order = SortOrder(keys, descending, RouteColumnKind(column));
    QTreeWidgetItem* current = list_->currentItem();
    QList<QTreeWidgetItem*> selected = list_->selectedItems();
    QList<QTreeWidgetItem*> items = list_->invisibleRootItem()->takeChildren();
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(rows);
    for (std::size_t index : order) sorted.push_back(items[static_cast<int>(index)]);
    list_->addTopLevelItems(sorted);
    for (QTreeWidgetItem* item : selected) item->setSelected(true);
    if (current != nullptr) list_->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
}

}  // namespace fw
