#pragma once

#include <QByteArray>
#include <cstdint>
#include <deque>

#include "sim/AirTime.h"

// The sensor's transmit side of one connection: framed packets and replies
// wait here and leave as notifications of at most the notification size,
// cut from the byte stream wherever the size falls (so one notification may
// end inside a packet and the next carry its rest, or hold several packets),
// no faster than the link rate allows, nor than the air shared with the
// central's other links (when there is one).
class SensorLink {
public:
    SensorLink(int notificationSize, int bytesPerSecond, AirTime* sharedAir = nullptr);

    void Queue(QByteArray frame, int64_t nowMicroseconds);
    bool Empty() const { return queuedBytes_ == 0; }
    int64_t QueuedBytes() const { return queuedBytes_; }
    int NotificationSize() const { return notificationSize_; }

    // When the next notification may leave (meaningful when not empty).
    int64_t NextSendMicroseconds() const;
    // When the link itself could send it, were the air free: of links
    // waiting for the air, the one that waited longest goes first.
    int64_t ReadyMicroseconds() const { return pace_.FreeAtMicroseconds(); }
    // Takes the next notification, sent at the given time.
    QByteArray TakeNotification(int64_t sendMicroseconds);

    // Forgets every frame not yet begun; a frame partly sent is finished, so
    // the receiver never sees a packet cut short in front of later bytes.
    void DropUnstartedFrames();
    // The link has been idle until now: nothing may leave earlier.
    void NotBefore(int64_t nowMicroseconds) { pace_.NotBefore(nowMicroseconds); }
    void Clear();

private:
    int notificationSize_;
    AirTime pace_;          // the link's own rate
    AirTime* sharedAir_;    // the central's, shared with its other links
    std::deque<QByteArray> frames_;
    int headOffset_ = 0;  // bytes of frames_.front() already sent
    int64_t queuedBytes_ = 0;
};
