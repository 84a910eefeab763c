#include "onvif/OnvifScopes.h"

#include "onvif/OnvifNamespaces.h"

#include <QByteArray>
#include <QStringDecoder>

#include <algorithm>

namespace Netrove {

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

QList<QStringView> OnvifListWords(QStringView text, qsizetype limit)
{
    QList<QStringView> words;
    qsizetype at = 0;
    while (at < text.size() && words.size() < limit) {
        while (at < text.size() && text[at].isSpace())
            ++at;
        const qsizetype start = at;
        while (at < text.size() && !text[at].isSpace())
            ++at;
        if (at > start)
            words.append(text.sliced(start, at - start));
    }
    return words;
}

QStringList ReadOnvifScopes(QStringView text, qsizetype limit)
{
    // The words that continue a scope count towards the limit too, so that a list of a thousand
    // words costs no more than one of `limit`.
    QStringList raw;
    for (const QStringView word : OnvifListWords(text, limit)) {
        if (!raw.isEmpty() && !word.contains(QLatin1Char(':'))) {
            raw.last() += QLatin1Char(' ');
            raw.last() += word;
        } else
            raw.append(word.toString());
    }
    QStringList scopes;
    scopes.reserve(raw.size());
    for (const QString& scope : raw)
        scopes.append(DecodeOnvifScope(scope));
    return scopes;
}

QString DecodeOnvifScope(QStringView scope)
{
    if (!scope.contains(QLatin1Char('%')))
        return scope.toString();
    const QByteArray encoded = scope.toUtf8();
    QByteArray bytes;
    bytes.reserve(encoded.size());
    for (qsizetype i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            bytes += encoded[i];
            continue;
        }
        const int high = i + 2 < encoded.size() ? HexValue(encoded[i + 1]) : -1;
        const int low = i + 2 < encoded.size() ? HexValue(encoded[i + 2]) : -1;
        if (high < 0 || low < 0)
            return scope.toString();
        bytes += static_cast<char>(high * 16 + low);
        i += 2;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(bytes);
    const bool control = std::any_of(decoded.begin(), decoded.end(),
                                     [](QChar c) { return c.category() == QChar::Other_Control; });
    return utf8.hasError() || control ? scope.toString() : decoded;
}

bool IsOnvifScope(QStringView scope)
{
    return scope.startsWith(QLatin1String(kOnvifScopePrefix), Qt::CaseInsensitive);
}

QString OnvifScopeValue(const QStringList& scopes, QStringView category)
{
    const qsizetype prefix = qsizetype(sizeof(kOnvifScopePrefix)) - 1;
    for (const QString& scope : scopes) {
        if (!IsOnvifScope(scope))
            continue;
        const QStringView rest = QStringView(scope).sliced(prefix);
        if (rest.size() <= category.size() || rest[category.size()] != QLatin1Char('/') ||
            !rest.startsWith(category, Qt::CaseInsensitive))
            continue;
        const QString value = rest.sliced(category.size() + 1).trimmed().toString();
        if (!value.isEmpty())
            return value;
    }
    return {};
}

} // namespace Netrove
