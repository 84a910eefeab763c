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

} // namespace Netrove
