#pragma once

#include <QDesktopServices>
#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QStringList>
#include <QUrl>

// Stands in for the browser while it lives: every address handed to the desktop for one of the
// schemes is recorded and nothing is opened. It also gathers the lines of the "netrove.web" logging
// category (which only shows once a rule turns it on).
class BrowserStandIn final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BrowserStandIn)

public:
    explicit BrowserStandIn(const QStringList& schemes = {QStringLiteral("http"), QStringLiteral("https")})
        : m_schemes(schemes)
    {
        for (const QString& scheme : m_schemes)
            QDesktopServices::setUrlHandler(scheme, this, "Open");
        s_current = this;
        m_previousHandler = qInstallMessageHandler(&BrowserStandIn::Record);
    }

    ~BrowserStandIn() override
    {
        qInstallMessageHandler(m_previousHandler);
        s_current = nullptr;
        for (const QString& scheme : m_schemes)
            QDesktopServices::unsetUrlHandler(scheme);
    }

    void Clear()
    {
        opened.clear();
        webLines.clear();
    }

    QStringList OpenedTexts() const
    {
        QStringList texts;
        for (const QUrl& url : opened)
            texts << url.toString();
        return texts;
    }

    QList<QUrl> opened;
    QStringList webLines;

public slots:
    void Open(const QUrl& url) { opened << url; }

private:
    static void Record(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (s_current != nullptr && context.category != nullptr &&
            qstrcmp(context.category, "netrove.web") == 0)
            s_current->webLines << message;
        else if (s_current != nullptr && s_current->m_previousHandler != nullptr)
            s_current->m_previousHandler(type, context, message);
    }

    inline static BrowserStandIn* s_current = nullptr;
    QStringList m_schemes;
    QtMessageHandler m_previousHandler = nullptr;
};
