#include "devicelist/CheckedWebAddress.h"

namespace Netrove {

CheckedWebAddress CheckWebAddress(std::string_view address)
{
    // Device texts are single-byte characters.
    const QString text = QString::fromLatin1(address.data(), static_cast<qsizetype>(address.size()));
    CheckedWebAddress checked;
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty())
        checked.refusal = QStringLiteral("empty address");
    else if (!url.isValid())
        checked.refusal = QStringLiteral("not a well-formed URL");
    else if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))
        checked.refusal = QStringLiteral("neither http nor https");
    else if (url.host().isEmpty())
        checked.refusal = QStringLiteral("no host");
    else if (!url.userInfo().isEmpty())
        checked.refusal = QStringLiteral("carries a user name or password");
    else
        checked.url = url;
    return checked;
}

} // namespace Netrove
