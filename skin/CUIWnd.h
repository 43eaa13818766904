#pragma once

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

#include "skin/SkinLayout.h"
#include "skin/SkinModel.h"

class QAbstractButton;
class QEventLoop;
class QPainter;

namespace fw {

// A windowless control: drawn by its window, with no widget of its own.
struct WindowlessItem {
    skin::Control def;
    QRect rect;
    bool visible = true;
    QImage image;
};

// The skinned window every window of the program derives from. A derived class names its skin
// window (SetSkinWindowId in its identifier hook), the base builds the window and its controls
// from the skin, lays them out on resize, drags the window by its title bar and handles the
// skin's close, minimise and maximise buttons.
class CUIWnd : public QWidget {
    Q_OBJECT
public:
    // Creation results besides success.
    static constexpr int kChildControlsFailed = 110;

    explicit CUIWnd(QWidget* owner = nullptr);
    ~CUIWnd() override;

    // Builds the window as a child of `parent` (a frameless top-level window when null), hidden
    // unless `visible`. False when creation failed.
    bool Create(QWidget* parent = nullptr, bool visible = false);
    // Runs the window modally with its owner disabled; returns the identifier of the skin button
    // that closed it, 2 for Escape or a close request, or what EndDialog was given.
    int DoModal();
    void EndDialog(int result);
    // Ends every modal run with the cancel result and makes later ones return it at once: the
    // program is closing.
    static void EndAllModals();
    static bool ModalsRefused();
    // Maximised takes the screen's work area even without a window manager; restoring brings
    // back the size and place the window had before.
    void SetMaximized(bool maximized);

    // The windowed control with this number, or null.
    QWidget* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }
    // Tab takes the controls as they are read, row by row, whatever order the skin lists them
    // in; a window shown inside this one (a page) is a block read at its place. Done at
    // creation and whenever a window inside is shown.
    void ChainTabOrder();
    // The tab stops of this window and the windows shown inside it, in that order.
    std::vector<QWidget*> TabStops() const;
    // Windowless controls are found here, not with GetDlgItem.
    WindowlessItem* FindWindowless(int id);
    void SetWindowlessVisible(int id, bool visible);

    int SkinWindowId() const { return skinWindowId_; }
    void SetSkinWindowId(int id) { skinWindowId_ = id; }
    const skin::Window& WindowData() const { return data_; }
    bool IsCreated() const { return created_; }
    bool IsModal() const { return modal_; }
    bool IsDragging() const { return dragging_; }
    bool IsBorderResizing() const { return resizing_; }
    QWidget* Owner() const { return owner_; }

    // The children as laid out in the skin, in document order.
    struct Child {
        const skin::Control* def = nullptr;
        QWidget* widget = nullptr;
        WindowlessItem* windowless = nullptr;
        skin::Rect skinRect;
    };
    const std::vector<Child>& Children() const { return children_; }

    static constexpr int kBorderWidth = 4;

signals:
    // A push button, radio button or check box of this window was clicked.
    void commandClicked(int id);

protected:
    // The identifier hook: derived windows store their skin window number here.
    virtual void InitSkinWindowId() {}
    // Runs once the window and its controls exist; false makes creation fail.
    virtual bool OnCreate() { return true; }
    // Draws the window's background and its windowless controls into the frame being painted.
    virtual void DrawBackground(QPainter& p);
    // Loads the four background images; non-zero fails creation.
    virtual int InitGdiObject();
    // The new rectangle of one child for a client area of this size.
    virtual QRect LayoutChildRect(const Child& child, const QSize& client) const;
    // Clicks of skin buttons arrive here first; the base handles the system buttons.
    virtual void OnCommand(int id);
    // A window that fills a list control from a model of its own asks for it here.
    virtual bool WantsModelList(int /*controlId*/) const { return false; }
    // Makes a windowed control again from its skin definition, where the old one stood and as
    // visible as it was; the old one is deleted. For a view whose own bookkeeping grew with a
    // list of millions of rows it no longer shows, and keeps. Null for an unknown id.
    QWidget* RemakeControl(int id);
    // Where the focus goes when the window runs modally: by default the first control in tab
    // order that takes it, title-bar boxes aside.
    virtual QWidget* InitialFocus() const;
    // The skin's default button, or null: Enter presses it wherever the focus is in the window.
    QAbstractButton* DefaultButton() const;

    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void closeEvent(QCloseEvent*) override;
    void changeEvent(QEvent*) override;

private:
    bool Build();
    bool CreateChildControls();
    void RelayoutChildren();
    void PrepareBackground();
    void ApplyMask();
    void SyncMaximizeBoxes();

    QWidget* owner_ = nullptr;
    int skinWindowId_ = -1;
    skin::Window data_;
    bool created_ = false;
    std::array<QImage, 4> backgrounds_;
    QPixmap scaledBackground_;
    QColor maskColor_{255, 0, 255};
    std::vector<Child> children_;
    std::vector<std::unique_ptr<WindowlessItem>> windowless_;
    QHash<int, QWidget*> byId_;

    bool modal_ = false;
    int modalResult_ = 0;
    QEventLoop* loop_ = nullptr;

    QRect normalGeometry_;
    bool dragging_ = false;
    QPoint dragOffset_;
    bool resizing_ = false;
    skin::BorderHit grab_;
    QRect resizeStart_;
    QPoint resizePress_;
};

}  // namespace fw
