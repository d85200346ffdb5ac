#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// One sensor of the storage page, as its advertisements describe it.
struct ADV_DATA_TYPE {
    bool rf = false;  // heard during the current discovery
    bool wf = false;  // a start command went out and has not yet taken effect
    QString id;       // full advertised name; empty marks a free entry
    int32_t key = 2147483647;
    bool meas = false;  // logging
    int32_t rate = 0;   // rate index 0..7 (only 0..5 are rates)
    float vbat = 0;     // volts
    int32_t count = 0;  // samples stored in the sensor
    int32_t dtype = 0;  // advertised item: 0 STO2, 1 OXHb, 2 DXHb, 3 TOHb
    int32_t dat[2] = {0, 0};
};

constexpr int DeviceTableSize = 30;
constexpr int32_t NoDeviceKey = 2147483647;
inline const QString StorageSensorPrefix = QStringLiteral("Tq580-");

// Occupied entries first, in ascending key order; every entry after the
// first free one is free.
using DeviceTable = std::array<ADV_DATA_TYPE, DeviceTableSize>;

void ResetDeviceTable(DeviceTable& table);

// Removes every occupied entry neither heard in the discovery just ended nor
// waiting for its start command to take effect.
void PurgeDeviceTable(DeviceTable& table);

void ClearSeenFlags(DeviceTable& table);

// The sort key of a sensor name: the six digits after "Tq580-" and the three
// after the next character, as one number; NoDeviceKey when they do not read
// as a number.
int32_t DeviceKeyFromName(const QString& name);

// Takes one advertisement report into the table. hasManufacturerData tells
// whether the report carried AD type 0xFF at all. Returns true when the
// table changed. Reports of other models or unpaired sensors are ignored.
bool TakeAdvertisement(DeviceTable& table, const QString& name, bool paired, bool hasManufacturerData,
                       const QByteArray& manufacturerData);

// Index of the first free entry (DeviceTableSize when the table is full).
int OccupiedCount(const DeviceTable& table);
