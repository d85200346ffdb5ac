#pragma once

#include <QDateTime>

#include "data/CsvReader.h"
#include "data/CsvTestRecords.h"
#include "data/OleDate.h"
#include "session/SimulatedSession.h"
#include "support/StorageSensorSetups.h"

inline QString SensorName(int number) { return QStringLiteral("Tq580-300000-%1").arg(number, 3, 10, QLatin1Char('0')); }

// Four sensors waiting with 600 samples each at 1 s, and one logging.
inline QList<SimulatedSensorSpec> FourStored() {
    QList<SimulatedSensorSpec> sensors;
    for (int number = 1; number <= 4; ++number) sensors.append(StorageSensor(SensorName(number), 600));
    sensors.append(StorageSensor(SensorName(5), 600, true));
    return sensors;
}

class UploadAllTest : public SimulatedSessionTest {
protected:
    int mostLinks = 0;  // links up at once, at most, while Upload all ran

    AcquisitionSession& StartOnStoragePage(QList<SimulatedSensorSpec> sensors) {
        AcquisitionSession& s = Start(std::move(sensors));
        s.PageChanged(1);
        Advance(5500);
        return s;
    }
    int LinksUp() const {
        int up = 0;
        for (int i = 0; i < simulator->SensorCount(); ++i) up += simulator->SensorAt(i).Connected() ? 1 : 0;
        return up;
    }
    // Until Upload all is over and its message is out.
    bool AdvanceUntilUploadAllEnds(int64_t limitMilliseconds = 300000) {
        const bool ended = AdvanceUntil(
            [&] {
                mostLinks = std::max(mostLinks, LinksUp());
                return !session->UploadAllButtonCancels();
            },
            limitMilliseconds);
        Advance(100);
        return ended;
    }
    const UploadAllSensor& Outcome(const QString& name) const {
        for (const UploadAllSensor& sensor : session->UploadAllSoFar().sensors)
            if (sensor.name == name) return sensor;
        static const UploadAllSensor none;
        ADD_FAILURE() << name.toStdString() << " was not in Upload all";
        return none;
    }
    // "<sensor>_<yyyymmdd-hhmmss>", the record's start to the second.
    static QString BaseNameOf(const QString& sensor, const QString& recordFile) {
        SampleStore record;
        EXPECT_TRUE(ReadRecordFile(record, recordFile).recordReplaced) << recordFile.toStdString();
        return sensor + QLatin1Char('_') +
               QDateTimeFromOleDate(record.RecordStartTime).toString(QStringLiteral("yyyyMMdd-HHmmss"));
    }
};
