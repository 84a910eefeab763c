#pragma once

#include "discovery/ArrivalAdapter.h"
#include "discovery/ReplyHandling.h"
#include "engine/ChangeVerification.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <optional>
#include <vector>

namespace Netrove {

// One device of a batch: its setting request (camera layout, without the tag) and where it goes.
struct BatchItem
{
    QString mac;
    bool camera = true; // the camera channel, else the recorder channel
    std::vector<std::uint8_t> request;
    ArrivalAdapter adapter;
};

// Where a device of a batch stands.
enum class BatchStep
{
    Waiting,  // not sent yet
    Sent,     // awaiting its result
    Applied,  // success; checked by the search after the batch
    Failed,   // a result other than success
    NoResult, // its wait ran out
    NotSent,  // never sent: the batch stopped or was cancelled first
    Verified, // checked: see its verdict
};

// The bookkeeping of setting many devices at once, without sockets or timers: at most kInFlight
// requests await their results at a time, each for at most kAnswerMs; a result counts only for a
// device whose request awaits one, found by the MAC the result carries. After the first "Invalid
// Password!" nothing more is sent (devices lock accounts after repeated wrong passwords), and after
// a cancel neither. Once every result is in, the devices that applied their settings are watched
// until they are back (ChangeWatch).
class BatchBook
{
public:
    static constexpr int kInFlight = 8;
    static constexpr int kAnswerMs = 10000;

    // Each request's result is awaited `answerMs` (the command line lets it be shorter or longer).
    explicit BatchBook(std::vector<BatchItem> items, int answerMs = kAnswerMs);

    const std::vector<BatchItem>& Items() const { return m_items; }
    BatchStep Step(int index) const { return m_entries[std::size_t(index)].step; }
    // The device answered the check as it was asked to ("now at ...").
    bool Confirmed(int index) const;
    // What the device's "Result" cell says: empty while waiting or sent, then "Applied" ("waiting…"
    // once the check began), the result's text, "No result", "Not sent", or the check's verdict
    // ("now at 192.168.1.101" ...).
    QString Text(int index) const;

    // The devices to send to now, marked as sent at `nowMs`.
    std::vector<int> TakeSendable(qint64 nowMs);
    // The result of a device; the device's index, or -1 when no request of this batch awaits one.
    int OnResult(const QString& mac, ReplyAction action);
    // The devices whose wait ran out by `nowMs`.
    std::vector<int> Expire(qint64 nowMs);
    // Nothing more is sent; the devices not sent read "Not sent". Gives those devices.
    std::vector<int> Cancel();
    // No request awaits a result and none will be sent.
    bool ResultsIn() const;

    // The check of the devices that applied their settings begins: their cells read "waiting…"
    // until their verdicts come. Gives those devices with what each was asked to become.
    std::vector<std::pair<int, SettingChange>> StartCheck();
    // A device's verdict from the check (see ChangeWatch).
    void SetVerdict(int index, const ChangeVerdict& verdict);
    // Every device has its last word.
    bool Finished() const;
    bool AnyApplied() const;

private:
    struct Entry
    {
        BatchStep step = BatchStep::Waiting;
        qint64 sentAtMs = 0;
        ReplyAction result = ReplyAction::Drop;
        std::optional<SettingChange> change;
        std::optional<ChangeVerdict> verdict;
    };
    int IndexOf(const QString& mac, BatchStep step) const;
    std::vector<int> StopSending();

    std::vector<BatchItem> m_items;
    std::vector<Entry> m_entries;
    int m_nAnswerMs = kAnswerMs;
    bool m_bStopped = false;
    bool m_bChecking = false;
};

} // namespace Netrove
