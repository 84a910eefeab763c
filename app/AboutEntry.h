#pragma once

#include <QList>
#include <QObject>

#include <functional>
#include <memory>

class QAbstractNativeEventFilter;
class QAction;
class QWidget;

namespace Netrove {

// The window's "Netrove Information(&A)" entry (IDM_ABOUTBOX). Linux window managers keep the
// window's system menu to themselves, so the entry is where a user looks for it without a new
// control: F1, and the context menu of the window's free area (never over one of its controls).
// Where the platform lets a program add to the system menu, the entry is there as well.
class AboutEntry final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AboutEntry)

public:
    // Choosing the entry hands IDM_ABOUTBOX to onSysCommand, as the system menu hands it its
    // commands; onSysCommand answers whether it took the command.
    AboutEntry(QWidget* window, std::function<bool(unsigned int)> onSysCommand);
    ~AboutEntry() override;

    QAction* Action() const { return m_action; }

    // Another entry of the free area's context menu, listed above the About entry in the order added.
    void AddContextMenuEntry(QAction* action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowContextMenu(const QPoint& globalPos);
    void AddToSystemMenu();

    QWidget* m_window;
    QAction* m_action;
    QList<QAction*> m_contextMenuEntries;
    std::function<bool(unsigned int)> m_onSysCommand;
    bool m_bSystemMenuAdded = false;
    std::unique_ptr<QAbstractNativeEventFilter> m_systemMenuCommands;
};

} // namespace Netrove
