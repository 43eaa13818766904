#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QUrl>
#include <QVector>

#include <array>
#include <optional>

#include "skin/SkinModel.h"
#include "skin/SkinRows.h"

class QWebEngineView;

namespace fw {

// What every skinned control takes from its skin definition: the definition itself, fonts and
// text colours per state (with the "same as normal" fallbacks applied) and its state images.
struct SkinLook {
    skin::Control def;
    std::array<QFont, 4> fonts;
    std::array<QColor, 4> colors;
    QImage background;                   // combined image, or the normal one
    std::array<QImage, 4> backgrounds;   // separate state images
    QImage foreground;                   // combined foreground (check marks, tabs)

    static SkinLook From(const skin::Control& def);
    // The background of a state: a part of the combined image or the state's own image.
    void DrawBackground(QPainter& p, const QRect& target, int state) const;
    std::optional<skin::Point> ResizePoint() const;
};

// State index of a control for images, fonts and colours: Normal, Highlight, Selected, Disabled.
int ControlState(const QWidget* w, bool pressed);

// Whether a button's focus came from the keyboard, which is when its focus frame shows (a
// button focused for a mouse user, or when its window opens, shows none).
bool IsKeyboardFocus(Qt::FocusReason reason);

class SkinPushButton : public QAbstractButton {
    Q_OBJECT
public:
    SkinPushButton(SkinLook look, QWidget* parent);
    skin::ButtonType Type() const { return look_.def.buttonType; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    SkinLook look_;
    bool keyboardFocus_ = false;
};

class SkinStatic : public QLabel {
    Q_OBJECT
public:
    SkinStatic(SkinLook look, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    SkinLook look_;
};

// Painting shared by radio buttons and check boxes: an eight-part foreground (four states of the
// cleared mark, then four of the ticked one), the caption beside or over it, and with
// `focusFrame` the frame around the caption.
void PaintMarkButton(QAbstractButton* b, const SkinLook& look, bool focusFrame);

class SkinCheckBox : public QCheckBox {
    Q_OBJECT
public:
    SkinCheckBox(SkinLook look, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    bool hitButton(const QPoint&) const override { return true; }

private:
    SkinLook look_;
    bool keyboardFocus_ = false;
};

// A radio button of the skin. Clicking ticks it and clears the others of its group; setting
// the check state from code touches only this button, as the windows tick and clear explicitly.
class SkinRadioButton : public QRadioButton {
    Q_OBJECT
public:
    SkinRadioButton(SkinLook look, QWidget* parent);
    void SetGroup(QVector<QPointer<SkinRadioButton>> group) { group_ = std::move(group); }

protected:
    void paintEvent(QPaintEvent*) override;
    void nextCheckState() override;
    void focusInEvent(QFocusEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    bool hitButton(const QPoint&) const override { return true; }

private:
    SkinLook look_;
    QVector<QPointer<SkinRadioButton>> group_;
    bool keyboardFocus_ = false;
};

class SkinEdit : public QLineEdit {
    Q_OBJECT
public:
    SkinEdit(SkinLook look, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent*) override;

private:
    void ApplyColors();
    SkinLook look_;
};

class SkinComboBox : public QComboBox {
    Q_OBJECT
public:
    SkinComboBox(SkinLook look, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRect TextRect() const;
    SkinLook look_;
    // The release of the click that opened the list, which must not close it again.
    bool swallowRelease_ = false;
};

class SkinDateTimeEdit : public QDateTimeEdit {
    Q_OBJECT
public:
    SkinDateTimeEdit(SkinLook look, QWidget* parent);
    // The layout a skin word stands for: "Short Date", "Long Date", "Time", or itself.
    static QString DisplayFormatFor(const std::string& word);

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    bool focusNextPrevChild(bool next) override;

private:
    SkinLook look_;
};

class SkinProgressBar : public QProgressBar {
    Q_OBJECT
public:
    SkinProgressBar(SkinLook look, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    SkinLook look_;
    QImage thumb_;
};

// Header of the skin's lists: sections drawn from the header style's combined image.
class SkinHeaderView : public QHeaderView {
    Q_OBJECT
public:
    SkinHeaderView(const skin::Style* style, QFont font, QColor color, int height, QWidget* parent);
    QSize sizeHint() const override;

protected:
    void paintSection(QPainter* p, const QRect& rect, int logicalIndex) const override;

private:
    QImage image_;
    std::optional<skin::Point> point_;
    QFont font_;
    QColor color_;
    int height_;
};

// A list control in report view. Rows are drawn by the list (owner-drawn): item background per
// state, grid lines, an optional row image in the first column, the item's own text colour.
class SkinListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    static constexpr int kImageRole = SkinRowStyle::kImageRole;

    SkinListCtrl(SkinLook look, QWidget* parent);

    // The small image list: row height follows the images (15x33 → 33-pixel rows).
    void SetImageList(const QVector<QImage>& images);
    const QVector<QImage>& ImageList() const { return rows_.images; }
    int RowHeight() const { return rows_.rowHeight; }
    void SetItemImage(QTreeWidgetItem* item, int image) { item->setData(0, kImageRole, image); }

    QColor ItemBackground(int state) const { return rows_.itemBk[state]; }
    std::optional<QColor> GridColor() const { return rows_.grid; }
    const SkinLook& Look() const { return look_; }

private:
    SkinLook look_;
    SkinRowStyle rows_;
};

// A browser control. The web view is made when the control is first shown or first asked for,
// so that windows built hidden at start-up cost nothing.
class SkinBrowser : public QWidget {
    Q_OBJECT
public:
    SkinBrowser(SkinLook look, QWidget* parent);
    QWebEngineView* View();
    bool IsViewCreated() const { return view_ != nullptr; }
    // Loads the address now, or as soon as the view exists.
    void Navigate(const QUrl& url);
    QUrl PendingUrl() const { return pending_; }
    // Previews and tests without a web engine leave the view unmade; the control then shows
    // its empty page.
    static void SetViewsEnabled(bool enabled);
    static bool ViewsEnabled();

signals:
    void viewCreated(QWebEngineView* view);

protected:
    void showEvent(QShowEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void paintEvent(QPaintEvent*) override;

private:
    SkinLook look_;
    QWebEngineView* view_ = nullptr;
    QUrl pending_;
};

}  // namespace fw
