#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace Netrove {

// Lets a widget be drawn at most once per interval while changes to it follow each other closely:
// thousands of answers arriving in batches would otherwise redraw it batch by batch, which costs
// more than taking the answers in. The first change after a quiet interval is drawn at once; the
// ones that follow within the interval are drawn together when it ends.
class RepaintLimiter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RepaintLimiter)

public:
    RepaintLimiter(QWidget* widget, int intervalMs, QObject* parent = nullptr);

    // Call before changing what the widget shows.
    void BeforeChange();

private:
    void Resume();

    QPointer<QWidget> m_widget;
    int m_intervalMs;
    QElapsedTimer m_sinceDrawn;
    QTimer m_hold;
};

} // namespace Netrove
