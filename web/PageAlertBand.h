#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;
class QToolButton;

namespace fw {

// A page's alert, shown in a band over the top of its page in the page's own words instead of
// a box that would stop everything: it goes after a while, or when closed (×). A later alert
// takes the place of the one shown and starts the time again.
class PageAlertBand : public QFrame {
    Q_OBJECT
public:
    // Over `page` (the browser control), which it follows when resized.
    explicit PageAlertBand(QWidget* page);

    void ShowAlert(const QString& text, int forMs);
    QString Text() const;
    QToolButton* CloseButton() const { return close_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    QLabel* text_;
    QToolButton* close_;
    QTimer timer_;
};

}  // namespace fw
