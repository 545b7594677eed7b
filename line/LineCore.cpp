#include "LineCore.h"

#include <utility>

namespace zorvane {

void LineCore::Add(LineConsumer& consumer) {
    consumers_.push_back(&consumer);
    wantBytes_ = wantBytes_ || consumer.WantsBytes();
}

void LineCore::Start(const Moment& at) {
    told_ = opened_ = at;
    fresh_ = true;
    for (LineConsumer* consumer : consumers_)
        consumer->Start(at);
}

void LineCore::Read(std::span<const std::uint8_t> bytes, const Moment& at) {
    Decode(bytes, &at);
    fresh_ = fresh_ && bytes.empty();
    NoteSilence(at);
    TellHealth(at);
    if (!bytes.empty()) return;
    // What comes later crossed the line after this read found nothing.
    if (at.tick > told_.tick) told_ = at;
    for (LineConsumer* consumer : consumers_)
        consumer->Quiet(at);
}

void LineCore::Read(std::span<const std::uint8_t> bytes) {
    Decode(bytes, nullptr);
}

void LineCore::PortLost(const Moment& at) {
    NoteSilence(at);
    Tell(LineEvent::Kind::PortLost, at);
}

void LineCore::PortBack(const Moment& at) {
    NoteSilence(at);
    opened_ = at;
    fresh_ = true;
    Tell(LineEvent::Kind::PortBack, at);
}

void LineCore::Decode(std::span<const std::uint8_t> bytes, const Moment* read) {
    if (wantBytes_) {
        for (std::size_t i = 0; i < bytes.size(); ++i, ++offset_) {
            const DecodedByte step = DecodeByte(receiver_, bytes[i]);
            for (LineConsumer* consumer : consumers_)
                if (consumer->WantsBytes()) consumer->Byte(offset_, bytes[i], step);
            if (step.completed) Complete(offset_, bytes.size() - 1 - i, step.before, read);
        }
        return;
    }
    // Whole frames in one step where they are clean: the common case costs no byte loop.
    while (!bytes.empty()) {
        const DecodedBytes fed = DecodeUntilFrame(receiver_, bytes);
        bytes = bytes.subspan(fed.used);
        offset_ += fed.used;
        if (fed.last.completed) Complete(offset_ - 1, bytes.size(), fed.last.before, read);
    }
}

void LineCore::Complete(std::uint64_t offset, std::size_t after, const ReceiverState& before,
                        const Moment* read) {
    // A frame is its twelve bytes; whatever came since the one before belonged to none.
    health_.skippedBytes += offset + 1 - frameStart_ - kWireFrameBytes;
    frameStart_ = offset + 1;
    LineEvent frame{LineEvent::Kind::Frame, {}, offset, receiver_.LatestFrame(), before};
    if (read) {
        const Moment crossed = read->After(-kByteTime * static_cast<std::int64_t>(after));
        // The first read after an opening brings what waited in the port (in an adapter, say):
        // what crossed before the opening is old news.
        if (fresh_ && crossed.tick < opened_.tick) return;
        frame.at = crossed.tick < told_.tick ? told_ : crossed;
        if (lastFrame_ && frame.at.tick - lastFrame_->tick >= kSilenceLimit) NoteSilence(frame.at);
        if (std::exchange(down_, false)) Tell(LineEvent::Kind::LinkUp, frame.at);
        lastFrame_ = frame.at;
    }
    ++health_.frames;
    Tell(frame);
}

void LineCore::Finish(const Moment& at) {
    NoteSilence(at);
    health_.skippedBytes += offset_ - frameStart_;
    frameStart_ = offset_;
    TellHealth(at, /*now=*/true);
}

LineHealth LineCore::Health() const {
    LineHealth health = health_;
    health.checksumErrors = receiver_.ChecksumErrors();
    return health;
}

void LineCore::TellHealth(const Moment& at, bool now) {
    const LineHealth health = Health();
    const bool due = now || at.tick - healthTold_.tick >= std::chrono::seconds(1);
    if (!due || health == toldHealth_) return;
    healthTold_ = at;
    toldHealth_ = health;
    for (LineConsumer* consumer : consumers_)
        consumer->Health(health, at);
}

void LineCore::NoteSilence(const Moment& now) {
    if (!lastFrame_ || down_ || now.tick - lastFrame_->tick < kSilenceLimit) return;
    down_ = true;
    // When it happened, not when a read that brought nothing noticed it.
    Tell(LineEvent::Kind::LinkDown, lastFrame_->After(kSilenceLimit));
}

void LineCore::Tell(LineEvent::Kind kind, const Moment& at) {
    Tell(LineEvent{kind, at, offset_, {}, {}});
}

void LineCore::Tell(const LineEvent& event) {
    if (event.at.tick > told_.tick) told_ = event.at;
    for (LineConsumer* consumer : consumers_)
        consumer->Event(event);
}

}  // namespace zorvane
