#include "skin/CUIWnd.h"

#include <algorithm>

#include <QAbstractButton>
#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include "skin/SkinAccessibility.h"
#include "skin/SkinAccessibleInterfaces.h"
#include "skin/SkinControlFactory.h"
#include "skin/SkinControls.h"
#include "skin/SkinImages.h"
#include "skin/SkinLibrary.h"
#include "skin/SkinPaint.h"

namespace fw {
namespace {

constexpr int kCancel = 2;

// The windows whose modal loop runs, innermost last; refused once the program is closing.
std::vector<CUIWnd*>& RunningModals() {
    static std::vector<CUIWnd*> running;
    return running;
}
bool g_modalsRefused = false;

skin::Rect Scaled(const skin::Rect& r) {
    const auto& lib = SkinLibrary::Instance();
    return skin::ScaleForDpi(r, lib.ScreenDpiX(), lib.ScreenDpiY(), lib.Model().dpiX, lib.Model().dpiY, lib.dpiScaling);
}

}  // namespace

CUIWnd::CUIWnd(QWidget* owner) : QWidget(nullptr), owner_(owner) {
    // Defaults until the skin says otherwise.
    data_.titleBarHeight = 24;
    data_.resizingBorder = false;
    data_.size = {100, 100};
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

CUIWnd::~CUIWnd() {
    std::erase(RunningModals(), this);
    if (loop_) loop_->exit(modalResult_);
}

bool CUIWnd::Create(QWidget* parent, bool visible) {
    if (created_) return true;
    if (parent) {
        setParent(parent, Qt::Widget);
    } else {
        // Not parented to the owner: a disabled owner would disable its child windows too. The
        // owner is made the transient parent when the window is shown modally.
        setParent(nullptr, Qt::Window | Qt::FramelessWindowHint);
    }
    hide();
    if (!Build()) return false;
    if (visible) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
    return true;
}

bool CUIWnd::Build() {
    InstallSkinAccessibility();
    InitSkinWindowId();
    const auto& lib = SkinLibrary::Instance();
    if (const skin::Window* w = lib.IsLoaded() ? lib.Model().FindWindow(skinWindowId_) : nullptr) {
        data_ = *w;
    }
    if (isWindow()) {
        Qt::WindowFlags flags = windowFlags();
        if (data_.topmost) flags |= Qt::WindowStaysOnTopHint;
        if (data_.toolWindow) flags |= Qt::Tool;
        setWindowFlags(flags);
    }
    if (!data_.idName.empty()) setObjectName(QString::fromStdString(data_.idName));
    if (auto mask = lib.Model().FindColor(data_.maskColorRes)) maskColor_ = SkinLibrary::ToQColor(*mask);

    if (const int r = InitGdiObject(); r != 0) {
        qWarning("[Glimmerkit]===InitGdiObject return %d", r);
        return false;
    }
    const skin::Rect size = Scaled(skin::Rect{0, 0, data_.size.width, data_.size.height});
    resize(size.Width(), size.Height());
    if (!CreateChildControls()) {
        qWarning("[Glimmerkit]===CreateChildControls return %d", kChildControlsFailed);
        return false;
    }
    PrepareBackground();
    ApplyMask();
    setProperty("GLK_UIWND_STRINGID", QString::fromStdString(data_.idName));
    created_ = true;
    if (!OnCreate()) {
        created_ = false;
        return false;
    }
    return true;
}

int CUIWnd::InitGdiObject() {
    const auto& lib = SkinLibrary::Instance();
    for (size_t i = 0; i < 4; ++i) backgrounds_[i] = lib.Image(data_.background[i]);
    return 0;
}

bool CUIWnd::CreateChildControls() {
    const auto groups = skin::RadioGroups(data_);
    std::map<int, QVector<QPointer<SkinRadioButton>>> radioGroups;
    for (size_t i = 0; i < data_.controls.size(); ++i) {
        const skin::Control& def = data_.controls[i];
        const skin::Rect r = Scaled(def.rect);
        Child child;
        child.def = &def;
        child.skinRect = r;
        if (skin::IsWindowless(def.family)) {
            auto item = std::make_unique<WindowlessItem>();
            item->def = def;
            item->rect = ToQRect(r);
            item->visible = def.visible;
            item->image = SkinLibrary::Instance().Image(def.image);
            child.windowless = item.get();
            windowless_.push_back(std::move(item));
        } else {
            QWidget* w = CreateSkinControl(def, ToQRect(r), this,
                                           WantsModelList(def.id) ? ListForm::Model : ListForm::Items);
            if (!w) return false;
            child.widget = w;
            if (def.id != 0 && def.id != -1 && !byId_.contains(def.id)) byId_.insert(def.id, w);
            if (auto* button = qobject_cast<QAbstractButton*>(w)) {
                const int id = def.id;
                connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
            }
            if (auto* radio = qobject_cast<SkinRadioButton*>(w)) radioGroups[groups[i]].push_back(radio);
        }
        children_.push_back(child);
    }
    for (auto& [group, radios] : radioGroups)
        for (const auto& radio : radios) radio->SetGroup(radios);
    ChainTabOrder();
    return true;
}

std::vector<QWidget*> CUIWnd::TabStops() const {
    // Each control, and each window inside this one as a block of its own stops.
    std::vector<std::vector<QWidget*>> blocks;
    std::vector<skin::Rect> rects;
    for (const Child& child : children_) {
        if (child.widget == nullptr || !(child.widget->focusPolicy() & Qt::TabFocus)) continue;
        blocks.push_back({child.widget});
        rects.push_back(FromQRect(child.widget->geometry()));
    }
    // Windows inside this one overlap where they take turns; only those shown are read.
    for (const CUIWnd* inner : findChildren<CUIWnd*>(Qt::FindDirectChildrenOnly)) {
        if (inner->isHidden()) continue;
        blocks.push_back(inner->TabStops());
        rects.push_back(FromQRect(inner->geometry()));
    }
    std::vector<QWidget*> stops;
    for (std::size_t i : skin::ReadingOrder(rects))
        stops.insert(stops.end(), blocks[i].begin(), blocks[i].end());
    return stops;
}

void CUIWnd::ChainTabOrder() {
    const std::vector<QWidget*> stops = TabStops();
    for (std::size_t i = 1; i < stops.size(); ++i) setTabOrder(stops[i - 1], stops[i]);
}

QWidget* CUIWnd::InitialFocus() const {
    for (QWidget* w = nextInFocusChain(); w && w != this; w = w->nextInFocusChain()) {
        if (!isAncestorOf(w) || !(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() ||
            !w->isVisibleTo(this))
            continue;
        if (const auto* box = qobject_cast<const SkinPushButton*>(w);
            box && box->Type() != skin::ButtonType::Normal)
            continue;
        return w;
    }
    return nullptr;
}

QAbstractButton* CUIWnd::DefaultButton() const {
    for (const Child& child : children_)
        if (child.widget && child.def->defaultButton)
            return qobject_cast<QAbstractButton*>(child.widget);
    return nullptr;
}

QWidget* CUIWnd::GetDlgItem(int id) const { return byId_.value(id, nullptr); }

QWidget* CUIWnd::RemakeControl(int id) {
    QWidget* old = GetDlgItem(id);
    const auto child = std::find_if(children_.begin(), children_.end(), [old](const Child& c) { return c.widget == old; });
    if (old == nullptr || child == children_.end()) return nullptr;
    QWidget* w = CreateSkinControl(*child->def, old->geometry(), this, WantsModelList(id) ? ListForm::Model : ListForm::Items);
    if (w == nullptr) return nullptr;
    if (auto* button = qobject_cast<QAbstractButton*>(w)) connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    w->setVisible(old->isVisible());
    w->stackUnder(old);
    child->widget = w;
    byId_.insert(id, w);
    delete old;
    return w;
}

WindowlessItem* CUIWnd::FindWindowless(int id) {
    for (auto& item : windowless_)
        if (item->def.id == id) return item.get();
    return nullptr;
}

void CUIWnd::SetWindowlessVisible(int id, bool visible) {
    if (WindowlessItem* item = FindWindowless(id); item && item->visible != visible) {
        item->visible = visible;
        update(item->rect);
    }
}

QRect CUIWnd::LayoutChildRect(const Child& child, const QSize& client) const {
    const skin::Rect skinSize = Scaled(skin::Rect{0, 0, data_.size.width, data_.size.height});
    const skin::Point p = data_.LayoutPoint();
    const skin::Rect point = Scaled(skin::Rect{p.x, p.y, p.x, p.y});
    return ToQRect(skin::LayoutChild(child.skinRect, child.def->layoutH, child.def->layoutV, child.def->layoutMargin,
                                     {skinSize.Width(), skinSize.Height()}, {point.left, point.top},
                                     {client.width(), client.height()}));
}

void CUIWnd::RelayoutChildren() {
    for (const Child& child : children_) {
        if (child.def->layoutH == skin::LayoutMode::Free && child.def->layoutV == skin::LayoutMode::Free) continue;
        const QRect r = LayoutChildRect(child, size());
        if (child.widget) {
            if (child.widget->geometry() != r) child.widget->setGeometry(r);
        } else if (child.windowless && child.windowless->rect != r) {
            update(child.windowless->rect);
            child.windowless->rect = r;
            update(r);
        }
    }
}

void CUIWnd::PrepareBackground() {
    const QImage& img = !isEnabled() && !backgrounds_[3].isNull() ? backgrounds_[3] : backgrounds_[0];
    if (size().isEmpty()) return;
    QPixmap pm(size());
    pm.fill(palette().color(QPalette::Button));
    if (!img.isNull()) {
        QPainter p(&pm);
        DrawSkinImage(p, img, img.rect(), rect(), data_.resizingPoint, data_.resizeMode);
    }
    scaledBackground_ = pm;
}

void CUIWnd::ApplyMask() {
    if (!data_.useMaskColor || !isWindow() || scaledBackground_.isNull()) return;
    const QBitmap mask = scaledBackground_.createMaskFromColor(maskColor_, Qt::MaskInColor);
    setMask(QRegion(mask));
}

void CUIWnd::paintEvent(QPaintEvent*) {
    QPainter p(this);
    DrawBackground(p);
}

void CUIWnd::DrawBackground(QPainter& p) {
    if (scaledBackground_.size() != size()) PrepareBackground();
    p.drawPixmap(0, 0, scaledBackground_);
    for (const auto& item : windowless_) {
        if (!item->visible || item->image.isNull()) continue;
        DrawSkinImage(p, item->image, item->image.rect(), item->rect, item->def.imageResizePoint);
    }
}

void CUIWnd::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    // A page shown in its place joins its window's tab order there.
    if (auto* outer = qobject_cast<CUIWnd*>(parentWidget()); outer && outer->IsCreated())
        outer->ChainTabOrder();
}

void CUIWnd::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    PrepareBackground();
    ApplyMask();
    RelayoutChildren();
}

void CUIWnd::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) {
        PrepareBackground();
        update();
    } else if (e->type() == QEvent::WindowStateChange) {
        SyncMaximizeBoxes();
    }
}

// A maximise box ticks and is called 还原 while the window is maximised.
void CUIWnd::SyncMaximizeBoxes() {
    const bool maximized = window()->isMaximized();
    for (const Child& child : children_) {
        if (child.def->buttonType != skin::ButtonType::MaximizeBox) continue;
        auto* box = qobject_cast<QAbstractButton*>(child.widget);
        if (box == nullptr) continue;
        if (child.def->family == skin::Family::Check) box->setChecked(maximized);
        if (child.def->accessibleName.empty() && !child.def->toolTipEnabled) {
            const QString name =
                QString::fromUtf8(skin::SystemBoxName(skin::ButtonType::MaximizeBox, maximized));
            box->setAccessibleName(name);
            box->setToolTip(name);
        }
    }
}

void CUIWnd::mousePressEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    const QPoint pos = e->position().toPoint();
    QWidget* top = window();
    if (data_.resizingBorder && isWindow() && !top->isMaximized()) {
        const skin::BorderHit hit = skin::HitBorder({width(), height()}, {pos.x(), pos.y()}, kBorderWidth);
        if (hit.Any()) {
            resizing_ = true;
            grab_ = hit;
            resizeStart_ = geometry();
            resizePress_ = e->globalPosition().toPoint();
            return;
        }
    }
    if (top->isMaximized() || top->isMinimized()) return;
    if (!skin::TitleBarDrags(data_.titleBarHeight, pos.y())) return;
    dragging_ = true;
    dragOffset_ = e->globalPosition().toPoint() - top->frameGeometry().topLeft();
    // The window manager moves the window where it can; otherwise follow the mouse ourselves.
    if (QWindow* handle = top->windowHandle(); handle && handle->startSystemMove()) dragging_ = false;
}

void CUIWnd::mouseMoveEvent(QMouseEvent* e) {
    const QPoint global = e->globalPosition().toPoint();
    if (resizing_) {
        const QPoint d = global - resizePress_;
        const QSize minimum = minimumSize().expandedTo(QSize(2 * kBorderWidth + 1, 2 * kBorderWidth + 1));
        const skin::Rect r = skin::ResizeByBorder(FromQRect(resizeStart_), grab_, d.x(), d.y(),
                                                  {minimum.width(), minimum.height()},
                                                  {maximumWidth(), maximumHeight()});
        setGeometry(ToQRect(r));
        return;
    }
    if (dragging_ && (e->buttons() & Qt::LeftButton)) {
        window()->move(global - dragOffset_);
        return;
    }
    if (data_.resizingBorder && isWindow() && !isMaximized()) {
        const QPoint pos = e->position().toPoint();
        const skin::BorderHit hit = skin::HitBorder({width(), height()}, {pos.x(), pos.y()}, kBorderWidth);
        if ((hit.left && hit.top) || (hit.right && hit.bottom)) setCursor(Qt::SizeFDiagCursor);
        else if ((hit.left && hit.bottom) || (hit.right && hit.top)) setCursor(Qt::SizeBDiagCursor);
        else if (hit.left || hit.right) setCursor(Qt::SizeHorCursor);
        else if (hit.top || hit.bottom) setCursor(Qt::SizeVerCursor);
        else unsetCursor();
    }
    QWidget::mouseMoveEvent(e);
}

void CUIWnd::mouseReleaseEvent(QMouseEvent* e) {
    dragging_ = false;
    resizing_ = false;
    QWidget::mouseReleaseEvent(e);
}

void CUIWnd::OnCommand(int id) {
    // The first control with the number, as GetDlgItem finds it.
    const Child* child = nullptr;
    for (const Child& c : children_)
        if (c.def->id == id && c.widget) {
            child = &c;
            break;
        }
    if (child && child->def->family == skin::Family::PushButton) {
        switch (child->def->buttonType) {
            case skin::ButtonType::CloseBox:
                if (modal_) EndDialog(id);
                else window()->close();
                break;
            case skin::ButtonType::MinimizeBox: window()->showMinimized(); break;
            case skin::ButtonType::MaximizeBox: SetMaximized(!window()->isMaximized()); break;
            case skin::ButtonType::Normal: break;
        }
    }
    emit commandClicked(id);
}

// A double click on the title bar of a window that can be resized toggles maximised.
void CUIWnd::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && isWindow() && data_.resizable &&
        skin::TitleBarDrags(data_.titleBarHeight, e->position().toPoint().y())) {
        dragging_ = false;
        SetMaximized(!isMaximized());
        return;
    }
    QWidget::mouseDoubleClickEvent(e);
}

void CUIWnd::keyPressEvent(QKeyEvent* e) {
    if (modal_ && e->key() == Qt::Key_Escape) {
        EndDialog(kCancel);
        return;
    }
    // Enter that no control took presses the default button, as in a dialog.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) &&
        (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (QAbstractButton* button = DefaultButton();
            button && button->isVisible() && button->isEnabled()) {
            button->click();
            return;
        }
    }
    QWidget::keyPressEvent(e);
}

void CUIWnd::closeEvent(QCloseEvent* e) {
    if (modal_ && loop_) {
        // A close request ends the modal run with the cancel result.
        e->ignore();
        EndDialog(kCancel);
        return;
    }
    QWidget::closeEvent(e);
}

void CUIWnd::EndAllModals() {
    g_modalsRefused = true;
    for (CUIWnd* w : std::vector<CUIWnd*>(RunningModals())) w->EndDialog(kCancel);
}

bool CUIWnd::ModalsRefused() { return g_modalsRefused; }

void CUIWnd::SetMaximized(bool maximized) {
    auto* top = qobject_cast<CUIWnd*>(window());
    if (top == nullptr) return;
    if (top != this) {
        top->SetMaximized(maximized);
        return;
    }
    if (maximized) {
        if (!isMaximized()) normalGeometry_ = geometry();
        if (const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) setGeometry(s->availableGeometry());
        showMaximized();
    } else {
        showNormal();
        if (normalGeometry_.isValid()) setGeometry(normalGeometry_);
    }
}

void CUIWnd::EndDialog(int result) {
    modalResult_ = result;
    if (loop_) loop_->exit(result);
}

int CUIWnd::DoModal() {
    if (loop_) return -1;  // already running
    if (g_modalsRefused) return kCancel;
    modal_ = true;
    if (!created_ && !Create(nullptr, false)) {
        modal_ = false;
        return -1;
    }
    QWidget* owner = owner_ ? owner_->window() : nullptr;
    const bool ownerWasEnabled = owner && owner->isEnabled();
    if (owner) owner->setEnabled(false);
    if (isWindow()) {
        setWindowFlag(Qt::Dialog, true);
        if (owner) {
            const QRect o = owner->frameGeometry();
            move(o.center() - rect().center());
        } else if (const QScreen* s = QGuiApplication::primaryScreen()) {
            move(s->availableGeometry().center() - rect().center());
        }
    }
    show();
    if (owner && windowHandle() && owner->windowHandle()) windowHandle()->setTransientParent(owner->windowHandle());
    raise();
    activateWindow();
    if (QWidget* first = InitialFocus())
        first->setFocus(Qt::ActiveWindowFocusReason);
    else
        setFocus(Qt::ActiveWindowFocusReason);

    QEventLoop loop;
    loop_ = &loop;
    modalResult_ = kCancel;
    const QPointer<CUIWnd> self(this);
    const QPointer<QWidget> ownerAlive(owner);
    RunningModals().push_back(this);
    int result = loop.exec(QEventLoop::DialogExec);
    std::erase(RunningModals(), this);
    if (result < 0) result = kCancel;  // the application is quitting
    // A handler may have deleted the window while it ran; the owner must come back regardless.
    if (ownerAlive) {
        ownerAlive->setEnabled(ownerWasEnabled);
        ownerAlive->activateWindow();
    }
    if (!self) return result;
    loop_ = nullptr;
    hide();
    modal_ = false;
    return result;
}

}  // namespace fw
