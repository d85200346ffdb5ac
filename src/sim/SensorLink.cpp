#include "sim/SensorLink.h"

#include <algorithm>

SensorLink::SensorLink(int notificationSize, int bytesPerSecond, AirTime* sharedAir)
    : notificationSize_(std::clamp(notificationSize, 20, 244)), pace_(bytesPerSecond), sharedAir_(sharedAir) {}

int64_t SensorLink::NextSendMicroseconds() const {
    const int64_t own = pace_.FreeAtMicroseconds();
    return sharedAir_ ? std::max(own, sharedAir_->FreeAtMicroseconds()) : own;
}

void SensorLink::Queue(QByteArray frame, int64_t now) {
    if (frame.isEmpty()) return;
    if (Empty()) pace_.NotBefore(now);  // an idle link sends at once
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
    pace_.Carry(static_cast<int>(notification.size()), sendTime);
    if (sharedAir_) sharedAir_->Carry(static_cast<int>(notification.size()), sendTime);
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
