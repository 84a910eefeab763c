#include "cli/QtMessageFilter.h"

#include <QLoggingCategory>
#include <QString>
#include <QtGlobal>

#include <cstring>

Q_LOGGING_CATEGORY(lcQtMessages, "netrove.qt", QtWarningMsg)

namespace Netrove {

namespace {

QtMessageHandler g_passOn = nullptr;

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    constexpr const char ownCategory[] = "netrove.";
    const bool ours = (context.category != nullptr &&
                       std::strncmp(context.category, ownCategory, sizeof ownCategory - 1) == 0) ||
                      text.startsWith(QLatin1String("Netrove: "));
    if (ours || type == QtFatalMsg || lcQtMessages().isDebugEnabled())
        g_passOn(type, context, text);
}

} // namespace

void FilterQtMessages()
{
    g_passOn = qInstallMessageHandler(OnQtMessage);
}

} // namespace Netrove
