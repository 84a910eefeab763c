#include "devicelist/SpreadsheetCell.h"

namespace Netrove {

namespace {

constexpr QChar kTextMark = u'\'';

// Whether the text, past any leading "'", begins with a character a spreadsheet acts on.
bool BeginsLikeFormula(QStringView text)
{
    while (!text.isEmpty() && text.front() == kTextMark)
        text = text.sliced(1);
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    return first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t' ||
           first == u'\r';
}

} // namespace

QString GuardSpreadsheetCell(const QString& text)
{
    return BeginsLikeFormula(text) ? kTextMark + text : text;
}

QString UnguardSpreadsheetCell(const QString& cell)
{
    return cell.startsWith(kTextMark) && BeginsLikeFormula(cell) ? cell.sliced(1) : cell;
}

} // namespace Netrove
