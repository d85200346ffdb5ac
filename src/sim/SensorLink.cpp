#include "sim/SensorLink.h"

#include <algorithm>

SensorLink::SensorLink(int notificationSize, int bytesPerSecond)
    : notificationSize_(std::clamp(notificationSize, 20, 244)), bytesPerSecond_(std::max(bytesPerSecond, 1)) {}

void SensorLink::Queue(QByteArray frame, int64_t now) {
    if (frame.isEmpty()) return;
    if (Empty()) freeAt_ = std::max(freeAt_, now);  // an idle link sends at once
    queuedBytes_ += frame.size();
    frames_.push_back(std::move(frame));
}

QByteArray SensorLink::TakeNotification(int64_t sendTime) {
    QByteArray notification;
    notification.reserve(notificationSize_);
    while (!frames_.empty() && notification.size() < notificationSize_) {
        const QByteArray& front = frames_.front();
        const int take = std::min(notificationSize_ - static_cast<int>(notification.size()),
                                  static_cast<int>(front.size()) - headOffset_);
        notification.append(front.constData() + headOffset_, take);
        headOffset_ += take;
        if (headOffset_ == front.size()) {
            frames_.pop_front();
            headOffset_ = 0;
        }
    }
    queuedBytes_ -= notification.size();
    // The air time of these bytes, keeping the remainder so that the
    // average rate is exact over a long upload.
    const int64_t scaled = static_cast<int64_t>(notification.size()) * 1000000 + carryMicroseconds_;
    freeAt_ = std::max(freeAt_, sendTime) + scaled / bytesPerSecond_;
    carryMicroseconds_ = scaled % bytesPerSecond_;
    return notification;
}

void SensorLink::DropUnstartedFrames() {
    const bool partlySent = !frames_.empty() && headOffset_ > 0;
    QByteArray current = partlySent ? frames_.front() : QByteArray();
    frames_.clear();
    queuedBytes_ = 0;
    if (partlySent) {
        queuedBytes_ = current.size() - headOffset_;
        frames_.push_back(std::move(current));
    } else {
        headOffset_ = 0;
    }
}

void SensorLink::Clear() {
    frames_.clear();
    headOffset_ = 0;
    queuedBytes_ = 0;
}
