#include "web/PageAlertBand.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include <algorithm>

namespace fw {

PageAlertBand::PageAlertBand(QWidget* page)
    : QFrame(page), text_(new QLabel(this)), close_(new QToolButton(this)) {
    setObjectName(QStringLiteral("PageAlertBand"));
    setAccessibleName(QStringLiteral("网页消息"));
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral(
        "#PageAlertBand { background: #FFF4C6; border-bottom: 1px solid #D9B850; }"
        "#PageAlertBand QLabel { color: #4A3B00; }"
        "#PageAlertBand QToolButton { border: none; color: #4A3B00; font-weight: bold; padding: 0 6px; }"
        "#PageAlertBand QToolButton:hover { background: #F3E2A0; }"));
    auto* caption = new QLabel(QStringLiteral("网页消息："), this);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);  // the page's words, never its markup
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    close_->setText(QStringLiteral("×"));
    close_->setToolTip(QStringLiteral("关闭"));
    close_->setAccessibleName(QStringLiteral("关闭网页消息"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 6, 6, 6);
    row->addWidget(caption, 0, Qt::AlignTop);
    row->addWidget(text_, 1);
    row->addWidget(close_, 0, Qt::AlignTop);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &QWidget::hide);
    connect(close_, &QToolButton::clicked, this, [this] {
        timer_.stop();
        hide();
    });
    page->installEventFilter(this);
    hide();
}

void PageAlertBand::ShowAlert(const QString& text, int forMs) {
    text_->setText(text);
    Place();
    show();
    raise();
    timer_.start(forMs);
}

QString PageAlertBand::Text() const { return text_->text(); }

void PageAlertBand::Place() {
    QWidget* page = parentWidget();
    const int width = page->width();
    setGeometry(0, 0, width, std::min(heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height(),
                                      std::max(page->height(), 1)));
}

bool PageAlertBand::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible()) Place();
    // The page's view is made later and would cover the band.
    if (watched == parentWidget() && event->type() == QEvent::ChildAdded && isVisible()) raise();
    return QFrame::eventFilter(watched, event);
}

}  // namespace fw
