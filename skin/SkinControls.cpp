#include "skin/SkinControls.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWebEngineView>

#include "skin/SkinLibrary.h"
#include "skin/SkinPaint.h"

namespace fw {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

void DisableSystemBackground(QWidget* w) {
    w->setAttribute(Qt::WA_Hover);
    w->setAutoFillBackground(false);
}

// Buttons, radios and check boxes that are tab stops take the focus from the keyboard only: a
// click leaves it where the user was typing.
Qt::FocusPolicy ButtonFocus(const skin::Control& def) {
    return def.tabStop ? Qt::TabFocus : Qt::NoFocus;
}

}  // namespace

SkinLook SkinLook::From(const skin::Control& def) {
    const auto& lib = SkinLibrary::Instance();
    const auto& model = lib.Model();
    SkinLook look;
    look.def = def;
    for (int i = 0; i < 4; ++i) {
        const auto state = static_cast<skin::State>(i);
        look.fonts[i] = lib.Font(model.ControlFont(def, state));
        look.colors[i] = SkinLibrary::ToQColor(model.ControlColor(def, state));
        look.backgrounds[i] = lib.Image(def.background[i]);
    }
    look.background = def.combineImages ? lib.Image(def.bkCombine) : look.backgrounds[0];
    look.foreground = lib.Image(def.foregroundCombine);
    return look;
}

std::optional<skin::Point> SkinLook::ResizePoint() const { return def.resizingPoint; }

void SkinLook::DrawBackground(QPainter& p, const QRect& target, int state) const {
    if (def.combineImages && !background.isNull()) {
        DrawSkinImage(p, background, CombinedPart(background, 4, state), target, ResizePoint());
        return;
    }
    const QImage& img = !backgrounds[state].isNull() ? backgrounds[state] : backgrounds[0];
    if (!img.isNull()) DrawSkinImage(p, img, img.rect(), target, ResizePoint());
}

bool IsKeyboardFocus(Qt::FocusReason reason) {
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
           reason == Qt::ShortcutFocusReason;
}

int ControlState(const QWidget* w, bool pressed) {
    if (!w->isEnabled()) return 3;
    if (pressed) return 2;
    if (w->underMouse()) return 1;
    return 0;
}

// Push button -----------------------------------------------------------------------------------

SkinPushButton::SkinPushButton(SkinLook look, QWidget* parent) : QAbstractButton(parent), look_(std::move(look)) {
    DisableSystemBackground(this);
    setText(Q(look_.def.caption));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(ButtonFocus(look_.def));
}

QSize SkinPushButton::sizeHint() const { return QSize(look_.def.rect.Width(), look_.def.rect.Height()); }

void SkinPushButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int state = ControlState(this, isDown());
    look_.DrawBackground(p, rect(), state);
    p.setFont(look_.fonts[state]);
    DrawSkinText(p, rect(), Qt::AlignCenter | Qt::TextShowMnemonic, text(), look_.colors[state]);
    if (hasFocus() && keyboardFocus_)
        DrawFocusFrame(p, rect().adjusted(3, 3, -3, -3), look_.colors[state]);
}

void SkinPushButton::focusInEvent(QFocusEvent* e) {
    keyboardFocus_ = IsKeyboardFocus(e->reason());
    QAbstractButton::focusInEvent(e);
}

// Enter on a focused button presses it, as Space does.
void SkinPushButton::keyPressEvent(QKeyEvent* e) {
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && !e->isAutoRepeat()) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(e);
}

void SkinPushButton::enterEvent(QEnterEvent* e) {
    update();
    QAbstractButton::enterEvent(e);
}

void SkinPushButton::leaveEvent(QEvent* e) {
    update();
    QAbstractButton::leaveEvent(e);
}

// Static ------------------------------------------------------------------------------------------

SkinStatic::SkinStatic(SkinLook look, QWidget* parent) : QLabel(parent), look_(std::move(look)) {
    DisableSystemBackground(this);
    setText(Q(look_.def.caption));
    setFont(look_.fonts[0]);
}

void SkinStatic::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int state = isEnabled() ? 0 : 3;
    p.setFont(look_.fonts[state]);
    const QRect r = rect().adjusted(look_.def.textMargin.left, look_.def.textMargin.top, -look_.def.textMargin.right,
                                    -look_.def.textMargin.bottom);
    std::optional<QColor> shadow;
    if (look_.def.shadowText && look_.def.shadowColor) shadow = SkinLibrary::ToQColor(*look_.def.shadowColor);
    DrawSkinText(p, r, ToQtAlign(look_.def.textAlignH, look_.def.textAlignV, skin::Align::Left), text(),
                 look_.colors[state], shadow);
}

// Check box and radio button ---------------------------------------------------------------------

void PaintMarkButton(QAbstractButton* b, const SkinLook& look, bool focusFrame) {
    QPainter p(b);
    const int state = ControlState(b, b->isDown());
    const QImage& fg = look.foreground;
    QRect textRect = b->rect();
    if (!fg.isNull()) {
        const QRect part = CombinedPart(fg, 8, (b->isChecked() ? 4 : 0) + state);
        const auto& m = look.def.foregroundMargin;
        const QRect area = b->rect().adjusted(m.left, m.top, -m.right, -m.bottom);
        QRect at(QPoint(0, 0), part.size());
        switch (look.def.foregroundAlignH) {
            case skin::Align::Center: at.moveLeft(area.left() + (area.width() - at.width()) / 2); break;
            case skin::Align::Right: at.moveRight(area.right()); break;
            default: at.moveLeft(area.left()); break;
        }
        switch (look.def.foregroundAlignV) {
            case skin::Align::Top: at.moveTop(area.top()); break;
            case skin::Align::Bottom: at.moveBottom(area.bottom()); break;
            default: at.moveTop(area.top() + (area.height() - at.height()) / 2); break;
        }
        p.drawImage(at, fg, part);
    }
    const auto& tm = look.def.textMargin;
    textRect.adjust(tm.left, tm.top, -tm.right, -tm.bottom);
    p.setFont(look.fonts[state]);
    const int flags = ToQtAlign(look.def.textAlignH, look.def.textAlignV, skin::Align::Left);
    DrawSkinText(p, textRect, flags, b->text(), look.colors[state]);
    if (focusFrame && b->hasFocus())
        DrawFocusFrame(
            p, p.boundingRect(textRect, flags, b->text()).adjusted(-2, -1, 2, 1) & b->rect(),
            look.colors[state]);
}

SkinCheckBox::SkinCheckBox(SkinLook look, QWidget* parent) : QCheckBox(parent), look_(std::move(look)) {
    DisableSystemBackground(this);
    setText(Q(look_.def.caption));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(ButtonFocus(look_.def));
}

void SkinCheckBox::paintEvent(QPaintEvent*) { PaintMarkButton(this, look_, keyboardFocus_); }
void SkinCheckBox::focusInEvent(QFocusEvent* e) {
    keyboardFocus_ = IsKeyboardFocus(e->reason());
    QCheckBox::focusInEvent(e);
}
void SkinCheckBox::enterEvent(QEnterEvent* e) { update(); QCheckBox::enterEvent(e); }
void SkinCheckBox::leaveEvent(QEvent* e) { update(); QCheckBox::leaveEvent(e); }

SkinRadioButton::SkinRadioButton(SkinLook look, QWidget* parent) : QRadioButton(parent), look_(std::move(look)) {
    DisableSystemBackground(this);
    setText(Q(look_.def.caption));
    setAutoExclusive(false);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(ButtonFocus(look_.def));
}

void SkinRadioButton::paintEvent(QPaintEvent*) { PaintMarkButton(this, look_, keyboardFocus_); }
void SkinRadioButton::enterEvent(QEnterEvent* e) { update(); QRadioButton::enterEvent(e); }
void SkinRadioButton::leaveEvent(QEvent* e) { update(); QRadioButton::leaveEvent(e); }

// Every radio stays a tab stop: Qt would take Tab from the others of an exclusive group once
// one of them has the focus.
void SkinRadioButton::focusInEvent(QFocusEvent* e) {
    keyboardFocus_ = IsKeyboardFocus(e->reason());
    QWidget::focusInEvent(e);
}

void SkinRadioButton::nextCheckState() {
    setChecked(true);
    for (const auto& other : group_)
        if (other && other != this) other->setChecked(false);
}

// Edit --------------------------------------------------------------------------------------------

SkinEdit::SkinEdit(SkinLook look, QWidget* parent) : QLineEdit(parent), look_(std::move(look)) {
    setAttribute(Qt::WA_Hover);
    setFrame(false);
    setFont(look_.fonts[0]);
    const auto& m = look_.def.textMargin;
    setTextMargins(m.left, m.top, m.right, m.bottom);
    setAlignment(Qt::Alignment(ToQtAlign(look_.def.textAlignH, skin::Align::Center, skin::Align::Left)));
    if (look_.def.password) setEchoMode(QLineEdit::Password);
    setText(Q(look_.def.caption));
    ApplyColors();
}

void SkinEdit::ApplyColors() {
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    pal.setColor(QPalette::Text, look_.colors[isEnabled() ? 0 : 3]);
    pal.setColor(QPalette::Highlight, QColor(0x1F, 0x6F, 0xB2));
    pal.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(pal);
}

void SkinEdit::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) ApplyColors();
    QLineEdit::changeEvent(e);
}

void SkinEdit::paintEvent(QPaintEvent* e) {
    {
        QPainter p(this);
        look_.DrawBackground(p, rect(), ControlState(this, hasFocus()));
    }
    QLineEdit::paintEvent(e);
}

// Combo box ---------------------------------------------------------------------------------------

SkinComboBox::SkinComboBox(SkinLook look, QWidget* parent) : QComboBox(parent), look_(std::move(look)) {
    setAttribute(Qt::WA_Hover);
    setFont(look_.fonts[0]);
    setEditable(look_.def.comboStyle != "DropDown List");
    setFrame(false);
    if (QLineEdit* edit = lineEdit()) {
        edit->setFrame(false);
        QPalette pal = edit->palette();
        pal.setColor(QPalette::Base, Qt::transparent);
        pal.setColor(QPalette::Text, look_.colors[0]);
        edit->setPalette(pal);
        edit->setFont(look_.fonts[0]);
    }
}

QRect SkinComboBox::TextRect() const {
    const int button = look_.def.buttonWidth > 0 ? look_.def.buttonWidth : 24;
    return rect().adjusted(7, look_.def.textVerOffset, -button - 2, 0);
}

void SkinComboBox::resizeEvent(QResizeEvent* e) {
    QComboBox::resizeEvent(e);
    if (QLineEdit* edit = lineEdit()) edit->setGeometry(TextRect().adjusted(0, 3, 0, -3));
}

void SkinComboBox::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && isEnabled()) {
        // The list opens on the press and grabs the mouse, so the release of the same click
        // reaches the list's window outside its area, which would close it at once.
        QWidget* popup = view()->window();
        popup->removeEventFilter(this);
        popup->installEventFilter(this);
        swallowRelease_ = true;
        showPopup();
        return;
    }
    QComboBox::mousePressEvent(e);
}

bool SkinComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view()->window()) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::Hide) {
            swallowRelease_ = false;
        } else if (event->type() == QEvent::MouseButtonRelease && swallowRelease_) {
            swallowRelease_ = false;
            return true;  // a release over an entry reaches the list itself and still chooses it
        }
    }
    return QComboBox::eventFilter(watched, event);
}

void SkinComboBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int state = ControlState(this, hasFocus());
    look_.DrawBackground(p, rect(), state);
    if (!isEditable()) {
        p.setFont(look_.fonts[state]);
        DrawSkinText(p, TextRect(), Qt::AlignLeft | Qt::AlignVCenter, currentText(), look_.colors[state]);
    }
}

// Date-time control -------------------------------------------------------------------------------

QString SkinDateTimeEdit::DisplayFormatFor(const std::string& word) {
    if (word.empty() || word == "Short Date") return QStringLiteral("yyyy-MM-dd");
    if (word == "Long Date") return QString::fromUtf8("yyyy年M月d日");
    if (word == "Time") return QStringLiteral("HH:mm:ss");
    return Q(word);
}

SkinDateTimeEdit::SkinDateTimeEdit(SkinLook look, QWidget* parent) : QDateTimeEdit(parent), look_(std::move(look)) {
    setAttribute(Qt::WA_Hover);
    setFrame(false);
    setFont(look_.fonts[0]);
    setButtonSymbols(QAbstractSpinBox::NoButtons);
    setCalendarPopup(true);
    // Always an explicit layout, never the desktop's short date.
    setDisplayFormat(DisplayFormatFor(look_.def.dateFormat));
    QPalette pal = palette();
    pal.setColor(QPalette::Base, Qt::transparent);
    pal.setColor(QPalette::Text, look_.colors[0]);
    setPalette(pal);
}

void SkinDateTimeEdit::resizeEvent(QResizeEvent* e) {
    QDateTimeEdit::resizeEvent(e);
    const int button = look_.def.buttonWidth > 0 ? look_.def.buttonWidth : 24;
    lineEdit()->setGeometry(rect().adjusted(look_.def.textOffset.x, 3 + look_.def.textOffset.y, -button - 2, -3));
}

// Tab goes on to the next control, as from any other field; the arrow keys move between the
// year, month and day.
bool SkinDateTimeEdit::focusNextPrevChild(bool next) { return QWidget::focusNextPrevChild(next); }

void SkinDateTimeEdit::paintEvent(QPaintEvent*) {
    QPainter p(this);
    look_.DrawBackground(p, rect(), ControlState(this, hasFocus()));
}

// Progress bar ------------------------------------------------------------------------------------

SkinProgressBar::SkinProgressBar(SkinLook look, QWidget* parent) : QProgressBar(parent), look_(std::move(look)) {
    thumb_ = SkinLibrary::Instance().Image(look_.def.thumbImage);
    setTextVisible(false);
    setValue(0);
}

void SkinProgressBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    look_.DrawBackground(p, rect(), isEnabled() ? 0 : 3);
    const int span = maximum() - minimum();
    if (span <= 0 || thumb_.isNull()) return;
    const int filled = static_cast<int>(static_cast<long long>(width()) * (value() - minimum()) / span);
    if (filled > 0) DrawSkinImage(p, thumb_, thumb_.rect(), QRect(0, 0, filled, height()), look_.def.resizingPoint);
}

// List control ------------------------------------------------------------------------------------

SkinHeaderView::SkinHeaderView(const skin::Style* style, QFont font, QColor color, int height, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), font_(std::move(font)), color_(std::move(color)), height_(height) {
    if (style) {
        image_ = SkinLibrary::Instance().Image(style->Get("HeaderButtonCombine.RelativePath"));
        point_ = style->GetPoint("HeaderButtonResizePoint");
    }
    setSectionsClickable(true);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setFixedHeight(height_);
}

QSize SkinHeaderView::sizeHint() const { return QSize(QHeaderView::sizeHint().width(), height_); }

void SkinHeaderView::paintSection(QPainter* p, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) return;
    p->save();
    if (!image_.isNull()) {
        const bool combined = image_.width() >= 4 * 2;
        const int state = isEnabled() ? 0 : 3;
        DrawSkinImage(*p, image_, combined ? CombinedPart(image_, 4, state) : image_.rect(), rect, point_);
    } else {
        p->fillRect(rect, QColor(0xF0, 0xF4, 0xF9));
    }
    p->setFont(font_);
    // A section the model marks (a name with a finding) in its own colour.
    const QVariant foreground = model() ? model()->headerData(logicalIndex, orientation(), Qt::ForegroundRole) : QVariant();
    p->setPen(foreground.canConvert<QBrush>() && foreground.value<QBrush>().style() != Qt::NoBrush
                  ? foreground.value<QBrush>().color()
                  : color_);
    const QString text = model() ? model()->headerData(logicalIndex, orientation()).toString() : QString();
    const QVariant align = model() ? model()->headerData(logicalIndex, orientation(), Qt::TextAlignmentRole) : QVariant();
    p->drawText(rect.adjusted(8, 0, -6, 0), align.isValid() ? align.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter),
                text);
    p->restore();
}

SkinListCtrl::SkinListCtrl(SkinLook look, QWidget* parent)
    : QTreeWidget(parent), look_(std::move(look)), rows_(SkinRowStyle::From(look_)) {
    ApplySkinListLook(this, look_, &rows_);
}

void SkinListCtrl::SetImageList(const QVector<QImage>& images) {
    rows_.SetImages(images);
    // Row heights are cached by the view; make it ask again.
    doItemsLayout();
}

// Browser -----------------------------------------------------------------------------------------

SkinBrowser::SkinBrowser(SkinLook look, QWidget* parent) : QWidget(parent), look_(std::move(look)) {
    if (!look_.def.startPage.empty()) pending_ = QUrl(Q(look_.def.startPage));
}

namespace {
bool g_browserViews = true;
}

void SkinBrowser::SetViewsEnabled(bool enabled) { g_browserViews = enabled; }
bool SkinBrowser::ViewsEnabled() { return g_browserViews; }

QWebEngineView* SkinBrowser::View() {
    if (!view_ && g_browserViews) {
        view_ = new QWebEngineView(this);
        view_->setGeometry(rect());
        // Its owner may give it a page of its own before the first address loads.
        emit viewCreated(view_);
        view_->show();
        if (pending_.isValid() && !pending_.isEmpty()) view_->load(pending_);
    }
    return view_;
}

void SkinBrowser::Navigate(const QUrl& url) {
    pending_ = url;
    if (view_) view_->load(url);
}

void SkinBrowser::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    View();
}

void SkinBrowser::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (view_) view_->setGeometry(rect());
}

void SkinBrowser::paintEvent(QPaintEvent*) {
    if (view_) return;
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (!look_.def.hideBorder) {
        p.setPen(QColor(0xC9, 0xD1, 0xDB));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

}  // namespace fw
