#include "devicelist/OpenInBrowser.h"

#include <QDesktopServices>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcWebTrace, "netrove.web", QtWarningMsg)

namespace Netrove {

void OpenInBrowser(std::string_view address)
{
    const CheckedWebAddress checked = CheckWebAddress(address);
    if (!checked.Accepted()) {
        qCDebug(lcWebTrace).nospace()
            << "Web page not opened (" << qUtf8Printable(checked.refusal)
            << "): " << QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size()));
        return;
    }
    QDesktopServices::openUrl(checked.url);
}

} // namespace Netrove
