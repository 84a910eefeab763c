#include "devicelist/RepaintLimiter.h"

namespace Netrove {

RepaintLimiter::RepaintLimiter(QWidget* widget, int intervalMs, QObject* parent)
    : QObject(parent)
    , m_widget(widget)
    , m_intervalMs(intervalMs)
{
    m_hold.setSingleShot(true);
    connect(&m_hold, &QTimer::timeout, this, &RepaintLimiter::Resume);
}

void RepaintLimiter::BeforeChange()
{
    if (m_hold.isActive() || m_widget.isNull())
        return;
    if (!m_sinceDrawn.isValid() || m_sinceDrawn.elapsed() >= m_intervalMs) {
        m_sinceDrawn.start();
        return;
    }
    m_widget->setUpdatesEnabled(false);
    m_hold.start(int(m_intervalMs - m_sinceDrawn.elapsed()));
}

void RepaintLimiter::Resume()
{
    m_sinceDrawn.start();
    if (!m_widget.isNull())
        m_widget->setUpdatesEnabled(true); // draws everything that changed meanwhile
}

} // namespace Netrove
