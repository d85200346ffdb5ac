#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What `--record` asks for: a measurement without a window.
struct RecordRequest {
    QString folder;             // the record files go here; made when missing
    QStringList sensors;        // measured together, in the order given
    int rateItem = 0;           // 0..4: a sample every 0.1, 0.2, 0.5, 1.0 or 5.0 s
    double durationSeconds = 0; // from the first sample; 0: until SIGINT or SIGTERM
    int marksPort = 0;          // network marks on 127.0.0.1 at this port; 0: none
};

// The rate item of the seconds between samples ("0.1", "1", "5.0", ...);
// nothing for a number that is not one of the rates.
std::optional<int> RecordRateItem(const QString& seconds);

// The longest measurement a record holds at the rate item, in seconds.
double LongestRecordSeconds(int rateItem);
