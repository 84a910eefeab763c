#include "app/AboutEntry.h"

#include "res/Resources.h"
#include "res/Strings.h"

#include <QAbstractNativeEventFilter>
#include <QAction>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QWidget>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace Netrove {

namespace {

#ifdef Q_OS_WIN
// The system menu's commands for this window; the ones it does not take go on to the platform.
class SystemMenuCommands final : public QAbstractNativeEventFilter
{
public:
    SystemMenuCommands(QWidget* window, std::function<bool(unsigned int)> onSysCommand)
        : m_window(window)
        , m_onSysCommand(std::move(onSysCommand))
    {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->message != WM_SYSCOMMAND || !m_window->testAttribute(Qt::WA_WState_Created) ||
            msg->hwnd != reinterpret_cast<HWND>(m_window->winId()))
            return false;
        if (!m_onSysCommand(static_cast<unsigned int>(msg->wParam)))
            return false;
        *result = 0;
        return true;
    }

private:
    QWidget* m_window;
    std::function<bool(unsigned int)> m_onSysCommand;
};
#endif

} // namespace

AboutEntry::AboutEntry(QWidget* window, std::function<bool(unsigned int)> onSysCommand)
    : QObject(window)
    , m_window(window)
    , m_action(new QAction(LoadString(IDS_ABOUTBOX), window))
    , m_onSysCommand(std::move(onSysCommand))
{
    m_action->setObjectName(QStringLiteral("actionAbout"));
    m_action->setShortcut(QKeySequence(Qt::Key_F1));
    m_action->setShortcutContext(Qt::WindowShortcut);
    window->addAction(m_action);
    connect(m_action, &QAction::triggered, this, [this] { m_onSysCommand(IDM_ABOUTBOX); });
    window->installEventFilter(this);
#ifdef Q_OS_WIN
    m_systemMenuCommands = std::make_unique<SystemMenuCommands>(window, m_onSysCommand);
    QCoreApplication::instance()->installNativeEventFilter(m_systemMenuCommands.get());
#endif
}

AboutEntry::~AboutEntry()
{
    if (m_systemMenuCommands)
        QCoreApplication::instance()->removeNativeEventFilter(m_systemMenuCommands.get());
}

bool AboutEntry::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_window)
        return false;
    if (event->type() == QEvent::Show && !m_bSystemMenuAdded) {
        m_bSystemMenuAdded = true;
        AddToSystemMenu();
    }
    if (event->type() != QEvent::ContextMenu)
        return false;
    // A request the list or another control did not take reaches the window too, at the control's
    // place; only the window's own free area offers the entry.
    const auto* request = static_cast<QContextMenuEvent*>(event);
    if (m_window->childAt(request->pos()) != nullptr)
        return false;
    ShowContextMenu(request->globalPos());
    return true;
}

void AboutEntry::ShowContextMenu(const QPoint& globalPos)
{
    QMenu menu(m_window);
    menu.setObjectName(QStringLiteral("menuWindow"));
    menu.addActions(m_contextMenuEntries);
    if (!m_contextMenuEntries.isEmpty())
        menu.addSeparator();
    menu.addAction(m_action);
    menu.exec(globalPos);
}

void AboutEntry::AddContextMenuEntry(QAction* action)
{
    m_contextMenuEntries.append(action);
}

void AboutEntry::AddToSystemMenu()
{
#ifdef Q_OS_WIN
    HMENU systemMenu = GetSystemMenu(reinterpret_cast<HWND>(m_window->winId()), FALSE);
    if (systemMenu == nullptr)
        return;
    const QString text = LoadString(IDS_ABOUTBOX);
    if (text.isEmpty())
        return;
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, reinterpret_cast<LPCWSTR>(text.utf16()));
#endif
}

} // namespace Netrove
