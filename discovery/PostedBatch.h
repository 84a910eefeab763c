#pragma once

#include <QEvent>

#include <cstdint>
#include <utility>

namespace Netrove {

// One batch of a reader's (DatagramReader), on its way to the thread of the channels that read
// with it. `opening` tells a batch of sockets closed since from one of the sockets open now.
template <typename Batch> class PostedBatch final : public QEvent
{
public:
    static QEvent::Type Kind()
    {
        static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }

    PostedBatch(std::uint64_t opening, Batch batch)
        : QEvent(Kind())
        , opening(opening)
        , batch(std::move(batch))
    {}

    const std::uint64_t opening;
    Batch batch;
};

} // namespace Netrove
