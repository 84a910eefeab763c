#include "devicelist/CsvWriter.h"

#include "devicelist/SpreadsheetCell.h"

namespace Netrove {

namespace {

bool NeedsQuotes(const QString& field)
{
    for (const QChar c : field) {
        if (c == QLatin1Char(',') || c == QLatin1Char('"') || c == QLatin1Char('\r') ||
            c == QLatin1Char('\n'))
            return true;
    }
    return false;
}

// C0 and C1 controls (tab, CR, LF, NEL among them), DEL, and the Unicode line and paragraph
// separators.
bool BreaksTheRow(QChar c)
{
    return c.category() == QChar::Other_Control || c.category() == QChar::Separator_Line ||
           c.category() == QChar::Separator_Paragraph;
}

} // namespace

QByteArray CsvLine(const QStringList& fields)
{
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            line += ',';
        const QString field = GuardSpreadsheetCell(fields[i]);
        if (NeedsQuotes(field)) {
            QString quoted = field;
            quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
            line += '"' + quoted.toUtf8() + '"';
        } else {
            line += field.toUtf8();
        }
    }
    line += "\r\n";
    return line;
}

QString TabSeparatedLine(const QStringList& fields)
{
    QStringList cleaned;
    cleaned.reserve(fields.size());
    for (const QString& text : fields) {
        QString field = GuardSpreadsheetCell(text);
        for (QChar& c : field) {
            if (BreaksTheRow(c))
                c = QLatin1Char(' ');
        }
        cleaned.append(field);
    }
    return cleaned.join(QLatin1Char('\t'));
}

} // namespace Netrove
