#include "manualset/CUpDownCtrl.h"

#include <QKeyEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace Netrove {

namespace {

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType arrow, const char* objectName, const QString& name)
{
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAccessibleName(name);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    // The control as a whole takes the focus; the arrows are for the mouse and for screen readers.
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    return button;
}

} // namespace

CUpDownCtrl::CUpDownCtrl(const QString& accessibleName, QWidget* parent)
    : QWidget(parent)
    , m_btnUp(MakeArrow(this, Qt::UpArrow, "buttonUp", QStringLiteral("%1 Up").arg(accessibleName)))
    , m_btnDown(MakeArrow(this, Qt::DownArrow, "buttonDown", QStringLiteral("%1 Down").arg(accessibleName)))
{
    setAccessibleName(accessibleName);
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QVBoxLayout(this);
    // A pixel around the arrows for the focus frame.
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);
    layout->addWidget(m_btnUp);
    layout->addWidget(m_btnDown);

    connect(m_btnUp, &QToolButton::clicked, this, [this] { emit deltaPos(-1); });
    connect(m_btnDown, &QToolButton::clicked, this, [this] { emit deltaPos(+1); });
}

void CUpDownCtrl::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up) {
        emit deltaPos(-1);
    } else if (event->key() == Qt::Key_Down) {
        emit deltaPos(+1);
    } else {
        QWidget::keyPressEvent(event);
    }
}

void CUpDownCtrl::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    update();
}

void CUpDownCtrl::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    update();
}

void CUpDownCtrl::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace Netrove
