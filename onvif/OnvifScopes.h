#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace Netrove {

// The words of a WS-Discovery list (Types, Scopes, XAddrs), split on any white space: cameras
// separate them with spaces, newlines or tabs. At most `limit` words.
QList<QStringView> OnvifListWords(QStringView text, qsizetype limit);

// The scopes of a Scopes list, each percent-decoded (DecodeOnvifScope). Some cameras write the
// spaces of their name raw ("onvif://www.onvif.org/name/Front door"): a word that is no URI (no
// ':' in it) continues the scope before it. At most `limit` scopes.
QStringList ReadOnvifScopes(QStringView text, qsizetype limit);

// A scope with its percent escapes decoded as UTF-8 ("%20", "%C3%A9"). A scope whose escapes are
// not all well formed, do not make UTF-8, or would make a control character, is kept as it came.
QString DecodeOnvifScope(QStringView scope);

// Whether the scope is one of ONVIF's ("onvif://www.onvif.org/…", without case).
bool IsOnvifScope(QStringView scope);

// The value of the first ONVIF scope of a category that has one: "Front door" of
// "onvif://www.onvif.org/name/Front door" for "name". Categories are compared without case
// ("Name/", "MacAddress/"); empty where there is none.
QString OnvifScopeValue(const QStringList& scopes, QStringView category);

} // namespace Netrove
