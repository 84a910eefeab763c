#pragma once

#include <QWidget>

class QToolButton;

namespace Netrove {

// Two small arrow buttons, one above the other. It keeps no position of its own: each press only
// proposes a change, -1 for the up arrow and +1 for the down arrow, and the owner decides what that
// does. The Up and Down keys do the same while the control has the focus. Holding an arrow repeats.
class CUpDownCtrl final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CUpDownCtrl)

public:
    explicit CUpDownCtrl(const QString& accessibleName, QWidget* parent = nullptr);

    QToolButton* UpButton() const { return m_btnUp; }
    QToolButton* DownButton() const { return m_btnDown; }

signals:
    void deltaPos(int change);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QToolButton* m_btnUp;
    QToolButton* m_btnDown;
};

} // namespace Netrove
