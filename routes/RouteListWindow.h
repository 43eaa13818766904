#pragma once

#include <QImage>
#include <QTimer>
#include <QVector>

#include "net/Dispatcher.h"
#include "routes/RouteContext.h"
#include "routes/RoutePager.h"
#include "skin/CUIWnd.h"
#include "text/Encoding.h"

class QTreeWidgetItem;

namespace fw {

class SkinListCtrl;
struct RouteRow;

// The route management list with its pager: the listed routes of the store, 20 to a page, found
// by name, ticked and deleted on the server, sorted by any column.
class RouteListWindow : public CUIWnd, public RouteEvents {
    Q_OBJECT
public:
    static constexpr int kTickRole = Qt::UserRole + 1;

    RouteListWindow(QWidget* owner, RouteContext context, QVector<QImage> checkImages);

    // Pager
    void RefreshPager();
    void FillPage(int page);
    void GoToPage(int page);  // stores the page, fills it, refreshes
    int CurrentPage() const { return currentPage_; }
    const PagerView& Pager() const { return pager_; }
    // A new login starts on the first page of an empty list.
    void ResetForLogin();
    // The store changed under the list (a re-login refreshed it): the current page is filled
    // again, as far as it still goes, with the ticks of the rows that are still there.
    void Refill();

    // List
    void AppendRow(const RouteRecord& route);
    void Find();
    // Deletes the ticked routes on the server, and here once each request went out. Without
    // the connection the rows stay as they are, ticked, and a box says what was not deleted.
    void DeleteTicked();
    void ToggleTick(QTreeWidgetItem* item);
    void Sort(int column);
    SkinListCtrl* List() const { return list_; }
    static bool IsTicked(const QTreeWidgetItem* item);

    // RouteEvents
    void RouteStationsArrived(const RouteRecord& route, const std::string& joined) override;

protected:
    void InitSkinWindowId() override;
    bool OnCreate() override;
    void OnCommand(int id) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void AddRow(const RouteRow& row);
    void SetTick(QTreeWidgetItem* item, bool ticked);
    void Go();
    int ListWidth() const;

    RouteContext context_;
    QVector<QImage> checkImages_;
    SkinListCtrl* list_ = nullptr;
    TextCodec sortCodec_{"GBK"};  // names sort in GBK order, which is pinyin order
    QTimer refillTimer_;          // stations arriving in a refresh: one refill per burst
    int currentPage_ = 1;
    PagerView pager_;
};

}  // namespace fw
