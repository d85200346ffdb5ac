// Advertisement decoding into the device table and the texts of the storage
// page's grid. The input is a run of reports, each: a flag byte (bit 0
// paired, bit 1 manufacturer data present, bit 2 a discovery ends before
// it), the name's length and bytes, the manufacturer data's length and bytes.

#include "FuzzSupport.h"
#include "storage/DeviceGrid.h"
#include "storage/DeviceTable.h"

namespace {

// Occupied entries first, in ascending key order, free ones all alike.
void RequireTableOrder(const DeviceTable& table) {
    const int occupied = OccupiedCount(table);
    for (int i = 0; i < DeviceTableSize; ++i) {
        if (i >= occupied) {
            FUZZ_REQUIRE(table[i].id.isEmpty() && table[i].key == NoDeviceKey);
        } else {
            FUZZ_REQUIRE(table[i].key == DeviceKeyFromName(table[i].id));
            if (i > 0) FUZZ_REQUIRE(table[i - 1].key < table[i].key);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    DeviceTable table;
    ResetDeviceTable(table);
    while (!input.Empty()) {
        const uint8_t flags = input.Byte();
        if (flags & 0x04) {
            PurgeDeviceTable(table);
            ClearSeenFlags(table);
        }
        const QString name = QString::fromUtf8(input.Bytes(input.Byte()));
        const QByteArray manufacturerData = input.Bytes(input.Byte());
        TakeAdvertisement(table, name, flags & 0x01, flags & 0x02, manufacturerData);
        RequireTableOrder(table);
    }
    for (int row = 0; row < DeviceGridRows; ++row) {
        DeviceGridRowSelectable(table, row);
        for (int column = 0; column < DeviceGridColumns; ++column) DeviceGridCellAt(table, column, row);
    }
    return 0;
}
