#include "cli/TerminalText.h"

namespace Netrove {

QString TerminalText(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = u'?';
    }
    return text;
}

void WriteOut(std::FILE* stream, const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}

void WriteLine(std::FILE* stream, const QString& text)
{
    WriteOut(stream, (TerminalText(text) + QLatin1Char('\n')).toUtf8());
}

} // namespace Netrove
