#pragma once

// Reads a saved list back as a spreadsheet would, strictly by RFC 4180, so that tests check the
// file and not the writer's own idea of it.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace Netrove::Test {

// Records end with CR LF, the last one too; fields are separated by commas; a quoted field may hold
// commas, doubled quotes and line breaks. Anything else (invalid UTF-8, a bare CR or LF outside
// quotes, a quote inside an unquoted field, text after a closing quote, no final CR LF) fails with
// the reason.
inline bool ReadCsv(const QByteArray& utf8, QList<QStringList>& records, QString& error)
{
    records.clear();
    if (!QByteArrayView(utf8).isValidUtf8()) {
        error = QStringLiteral("not UTF-8");
        return false;
    }
    const QString text = QString::fromUtf8(utf8);
    QStringList record;
    QString field;
    bool quoted = false;      // inside a quoted field
    bool afterQuote = false;  // a quoted field has closed
    bool fieldQuoted = false; // the current field began with a quote
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != QLatin1Char('"')) {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else {
                quoted = false;
                afterQuote = true;
            }
            continue;
        }
        if (c == QLatin1Char(',')) {
            record << field;
            field.clear();
            afterQuote = fieldQuoted = false;
        } else if (c == QLatin1Char('\r')) {
            if (i + 1 >= text.size() || text[i + 1] != QLatin1Char('\n')) {
                error = QStringLiteral("bare CR at %1").arg(i);
                return false;
            }
            ++i;
            record << field;
            records << record;
            record.clear();
            field.clear();
            afterQuote = fieldQuoted = false;
        } else if (c == QLatin1Char('\n')) {
            error = QStringLiteral("bare LF at %1").arg(i);
            return false;
        } else if (afterQuote) {
            error = QStringLiteral("text after a closing quote at %1").arg(i);
            return false;
        } else if (c == QLatin1Char('"')) {
            if (!field.isEmpty() || fieldQuoted) {
                error = QStringLiteral("quote inside an unquoted field at %1").arg(i);
                return false;
            }
            quoted = fieldQuoted = true;
        } else {
            field += c;
        }
    }
    if (quoted || !field.isEmpty() || !record.isEmpty() || afterQuote) {
        error = QStringLiteral("the last record does not end with CR LF");
        return false;
    }
    return true;
}

} // namespace Netrove::Test
