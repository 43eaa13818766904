#include "skin/SkinMessageBox.h"

#include <QGuiApplication>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

#include "skin/SkinAccessibleInterfaces.h"

namespace fw {
namespace {

constexpr int kTitleHeight = 34;
const QColor kTitle(0x1E, 0x6A, 0xB0);
const QColor kBorder(0x1A, 0x5C, 0x99);
const QColor kBody(0xFF, 0xFF, 0xFF);
const QColor kText(0x38, 0x38, 0x38);

std::vector<SkinMessageBox*>& OpenBoxes() {
    static std::vector<SkinMessageBox*> boxes;
    return boxes;
}

QString ButtonSheet(bool primary) {
    return primary ? QStringLiteral("QPushButton{background:#1E6AB0;color:white;border:1px solid #1A5C99;"
                                    "border-radius:3px;padding:4px 18px;}"
                                    "QPushButton:hover{background:#2A7CC8;}QPushButton:pressed{background:#17548C;}"
                                    "QPushButton:focus{border:1px solid #0E3A63;}")
                   : QStringLiteral("QPushButton{background:#F4F6F9;color:#383838;border:1px solid #C9D1DB;"
                                    "border-radius:3px;padding:4px 18px;}"
                                    "QPushButton:hover{background:#E8EEF5;}QPushButton:pressed{background:#DCE4EE;}"
                                    "QPushButton:focus{border:1px solid #1E6AB0;}");
}

}  // namespace

SkinMessageBox::SkinMessageBox(QWidget* parent, const QString& text, Kind kind)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    // To screen readers the box is an alert, read out as it opens: its title, then its text.
    InstallSkinAccessibility();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAutoFillBackground(false);
    setModal(true);
    setWindowTitle(QStringLiteral("Fen_warde"));
    setAccessibleDescription(text);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(14);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, kTitleHeight + 18, 24, 16);
    layout->setSpacing(18);
    text_ = new QLabel(text, this);
    text_->setWordWrap(true);
    text_->setTextFormat(Qt::PlainText);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette pal = text_->palette();
    pal.setColor(QPalette::WindowText, kText);
    text_->setPalette(pal);
    // Word wrap alone would fold even a short text; give it the width of its longest line.
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, QFontMetrics(font).horizontalAdvance(line) + 4);
    text_->setMinimumWidth(std::clamp(widest, 220, 520));
    text_->setMaximumWidth(520);
    layout->addWidget(text_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    ok_ = new QPushButton(QStringLiteral("确定"), this);
    ok_->setObjectName(QStringLiteral("messageOk"));
    ok_->setStyleSheet(ButtonSheet(true));
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    buttons->addWidget(ok_);
    if (kind == Kind::Question) {
        cancel_ = new QPushButton(QStringLiteral("取消"), this);
        cancel_->setObjectName(QStringLiteral("messageCancel"));
        cancel_->setStyleSheet(ButtonSheet(false));
        connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
        buttons->addWidget(cancel_);
    }
    layout->addLayout(buttons);
    OpenBoxes().push_back(this);
}

SkinMessageBox::~SkinMessageBox() {
    auto& boxes = OpenBoxes();
    boxes.erase(std::remove(boxes.begin(), boxes.end(), this), boxes.end());
}

QString SkinMessageBox::Text() const { return text_->text(); }

void SkinMessageBox::SetButtons(const QString& ok, const QString& cancel, bool cancelIsDefault) {
    if (!ok.isEmpty()) ok_->setText(ok);
    if (cancel_ == nullptr) return;
    if (!cancel.isEmpty()) cancel_->setText(cancel);
    cancelIsDefault_ = cancelIsDefault;
    ok_->setDefault(!cancelIsDefault);
    cancel_->setDefault(cancelIsDefault);
    // The default answer looks like one.
    ok_->setStyleSheet(ButtonSheet(!cancelIsDefault));
    cancel_->setStyleSheet(ButtonSheet(cancelIsDefault));
}

void SkinMessageBox::RejectAll() {
    for (SkinMessageBox* box : std::vector<SkinMessageBox*>(OpenBoxes())) box->reject();
}

int SkinMessageBox::OpenCount() { return static_cast<int>(OpenBoxes().size()); }

void SkinMessageBox::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    adjustSize();
    // Centred on the window it belongs to, else on the screen; never off the screen.
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    QRect area = owner && owner->isVisible() ? owner->frameGeometry() : QRect();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (area.isEmpty() && screen) area = screen->availableGeometry();
    QRect r(QPoint(), size());
    r.moveCenter(area.center());
    if (screen) {
        const QRect s = screen->availableGeometry();
        r.moveLeft(std::clamp(r.left(), s.left(), std::max(s.left(), s.right() - r.width())));
        r.moveTop(std::clamp(r.top(), s.top(), std::max(s.top(), s.bottom() - r.height())));
    }
    move(r.topLeft());
    (cancelIsDefault_ && cancel_ != nullptr ? cancel_ : ok_)->setFocus();
}

// The keyboard goes back to the window the box belongs to; without a window manager nothing
// else would hand it back, and the window would not hear a key until clicked.
void SkinMessageBox::hideEvent(QHideEvent* e) {
    QDialog::hideEvent(e);
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner != nullptr && owner->isVisible() && owner->isEnabled()) owner->activateWindow();
}

void SkinMessageBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kBody);
    p.fillRect(QRect(0, 0, width(), kTitleHeight), kTitle);
    QFont title = font();
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(16, 0, width() - 32, kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter, windowTitle());
    p.setPen(kBorder);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// Without a window manager's frame, the title band moves the box.
void SkinMessageBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && e->position().y() < kTitleHeight) {
        dragging_ = true;
        dragFrom_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(e);
}

void SkinMessageBox::mouseMoveEvent(QMouseEvent* e) {
    if (dragging_) move(e->globalPosition().toPoint() - dragFrom_);
    QDialog::mouseMoveEvent(e);
}

void SkinMessageBox::mouseReleaseEvent(QMouseEvent* e) {
    dragging_ = false;
    QDialog::mouseReleaseEvent(e);
}

}  // namespace fw
