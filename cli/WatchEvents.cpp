#include "cli/WatchEvents.h"

namespace Netrove {

namespace {

// What a device's answer can change that a watcher cares for, by its JSON key.
QStringList ChangedKeys(const DeviceRecord& before, const DeviceRecord& now)
{
    QStringList keys;
    const auto compare = [&keys](const char* key, bool same) {
        if (!same)
            keys << QLatin1String(key);
    };
    compare("model", before.model == now.model);
    compare("alias", before.alias == now.alias);
    compare("mode", before.mode == now.mode);
    compare("ip", before.ip == now.ip);
    compare("subnet_mask", before.subnetMask == now.subnetMask);
    compare("gateway", before.gateway == now.gateway);
    compare("ports", before.ports == now.ports);
    return keys;
}

} // namespace

QString WatchEventName(WatchEvent::Kind kind)
{
    switch (kind) {
    case WatchEvent::Found:
        return QStringLiteral("found");
    case WatchEvent::Changed:
        return QStringLiteral("changed");
    case WatchEvent::NotAnswering:
        return QStringLiteral("not-answering");
    case WatchEvent::Back:
        return QStringLiteral("back");
    }
    return {};
}

std::vector<WatchEvent> WatchLog::Answered(const DeviceRecord& record)
{
    std::vector<WatchEvent> events;
    const auto seen = m_seen.find(record.mac);
    if (seen == m_seen.end()) {
        m_seen.insert(record.mac, {record, true});
        events.push_back({WatchEvent::Found, record, {}});
        return events;
    }
    // The same answer again, or a row that did not change since it was last looked at.
    if (seen->answering && seen->record.lastSeenMs == record.lastSeenMs)
        return events;
    if (!seen->answering)
        events.push_back({WatchEvent::Back, record, {}});
    if (const QStringList keys = ChangedKeys(seen->record, record); !keys.isEmpty())
        events.push_back({WatchEvent::Changed, record, keys});
    seen->record = record;
    seen->answering = true;
    return events;
}

std::vector<WatchEvent> WatchLog::Silent(const DeviceRecord& record)
{
    const auto seen = m_seen.find(record.mac);
    if (seen == m_seen.end() || !seen->answering)
        return {};
    seen->answering = false;
    seen->record = record;
    return {{WatchEvent::NotAnswering, record, {}}};
}

} // namespace Netrove
