#include "storage/DeviceTable.h"

#include <utility>

namespace {

constexpr int ManufacturerDataLength = 10;  // company id, status word, two values, count

void FreeEntry(ADV_DATA_TYPE& entry) {
    entry.rf = false;
    entry.wf = false;
    entry.id.clear();
    entry.key = NoDeviceKey;
}

uint8_t Byte(const QByteArray& data, int at) { return static_cast<uint8_t>(data[at]); }

void DecodeStatus(ADV_DATA_TYPE& entry, const QByteArray& data) {
    const uint16_t status = static_cast<uint16_t>(Byte(data, 2) | Byte(data, 3) << 8);
    entry.meas = (status & 0x8000) != 0;
    entry.rate = (status >> 12) & 0x07;
    entry.dtype = (status >> 10) & 0x03;
    entry.vbat = static_cast<float>((status & 0x03FF) / 1024.0 * 3.6);
    entry.dat[0] = Byte(data, 4);
    entry.dat[1] = Byte(data, 5);
    entry.count = static_cast<int32_t>(static_cast<uint32_t>(Byte(data, 6)) | static_cast<uint32_t>(Byte(data, 7)) << 8 |
                                       static_cast<uint32_t>(Byte(data, 8)) << 16 |
                                       static_cast<uint32_t>(Byte(data, 9)) << 24);
}

}  // namespace

void ResetDeviceTable(DeviceTable& table) {
    for (auto& entry : table) FreeEntry(entry);
}

void PurgeDeviceTable(DeviceTable& table) {
    int index = 0;
    while (index < DeviceTableSize) {
        const ADV_DATA_TYPE& entry = table[index];
        if (!entry.id.isEmpty() && !entry.rf && !entry.wf) {
            for (int i = index; i < DeviceTableSize - 1; ++i) table[i] = std::move(table[i + 1]);
            FreeEntry(table[DeviceTableSize - 1]);
        } else {
            ++index;
        }
    }
}

void ClearSeenFlags(DeviceTable& table) {
    for (auto& entry : table) entry.rf = false;
}

int32_t DeviceKeyFromName(const QString& name) {
    const QString keyText = name.mid(6, 6) + name.mid(13, 3);
    if (keyText.contains(QLatin1Char('#'))) return NoDeviceKey;
    bool ok = false;
    const int32_t key = keyText.toInt(&ok);
    return ok ? key : NoDeviceKey;
}

bool TakeAdvertisement(DeviceTable& table, const QString& name, bool paired, bool hasManufacturerData,
                       const QByteArray& manufacturerData) {
    if (!name.startsWith(StorageSensorPrefix) || !paired) return false;
    const int32_t key = DeviceKeyFromName(name);

    int position = 0;
    while (position < DeviceTableSize && table[position].key < key && !table[position].id.isEmpty()) ++position;
    if (position == DeviceTableSize) return false;
    ADV_DATA_TYPE& entry = table[position];

    // A report whose manufacturer data is too short to hold the status is
    // taken as a report without it: the sensor was heard, nothing more.
    if (!hasManufacturerData || manufacturerData.size() < ManufacturerDataLength) {
        if (entry.key == key && !entry.id.isEmpty()) {
            entry.rf = true;
            return true;
        }
        return false;
    }

    if (entry.key != key) {
        for (int i = DeviceTableSize - 1; i > position; --i) table[i] = std::move(table[i - 1]);
        entry.wf = false;
    }
    entry.id = name;
    DecodeStatus(entry, manufacturerData);
    entry.key = key;
    entry.rf = true;
    return true;
}

int OccupiedCount(const DeviceTable& table) {
    int count = 0;
    while (count < DeviceTableSize && !table[count].id.isEmpty()) ++count;
    return count;
}
