#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace fw {

// The program's message box: an opaque frameless window in the skin's colours with a title
// band, the text and Chinese buttons ("确定", and "取消" for a question). It paints every pixel
// itself, so it reads the same with or without a compositor.
class SkinMessageBox : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Information, Question };

    SkinMessageBox(QWidget* parent, const QString& text, Kind kind = Kind::Information);
    ~SkinMessageBox() override;

    QString Text() const;
    // Captions other than "确定" and "取消"; with `cancelIsDefault` Enter cancels.
    void SetButtons(const QString& ok, const QString& cancel, bool cancelIsDefault);
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

    // Ends every box that is open (as if cancelled): the program is closing.
    static void RejectAll();
    static int OpenCount();

protected:
    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void hideEvent(QHideEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    QLabel* text_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    bool cancelIsDefault_ = false;
    QPoint dragFrom_;
    bool dragging_ = false;
};

}  // namespace fw
