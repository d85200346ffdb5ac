#include <gtest/gtest.h>

#include "storage/DeviceTable.h"

namespace {

// Manufacturer data as on the air: company id, status word (low byte
// first), the two value bytes and the stored count (little-endian).
QByteArray Advertisement(uint8_t statusLow, uint8_t statusHigh, uint8_t ch1 = 0, uint8_t ch2 = 0,
                         uint32_t count = 0) {
    QByteArray data;
    for (int b : {0x59, 0x00, int(statusLow), int(statusHigh), int(ch1), int(ch2), int(count & 0xFF),
                  int(count >> 8 & 0xFF), int(count >> 16 & 0xFF), int(count >> 24 & 0xFF)})
        data.append(static_cast<char>(b));
    return data;
}

QString Name(int key) { return QStringLiteral("Tq580-%1-%2").arg(key / 1000, 6, 10, QLatin1Char('0')).arg(key % 1000, 3, 10, QLatin1Char('0')); }

void Hear(DeviceTable& table, int key, bool measuring = false) {
    TakeAdvertisement(table, Name(key), true, true, Advertisement(0, measuring ? 0x80 : 0x00));
}

}  // namespace

TEST(DeviceKey, FromNames) {
    struct Case {
        const char* name;
        int32_t key;
    } cases[] = {
        {"Tq580-123456-789", 123456789},
        {"Tq580-12#456-789", NoDeviceKey},
        {"Tq580-", NoDeviceKey},
        {"Tq580-000001-002", 1002},
        {"Tq580-abcdef-ghi", NoDeviceKey},
    };
    for (const auto& c : cases) EXPECT_EQ(DeviceKeyFromName(QString::fromLatin1(c.name)), c.key) << c.name;
}

TEST(DeviceTable, DecodesTheStatusWordValuesAndCount) {
    DeviceTable table;
    ResetDeviceTable(table);
    ASSERT_TRUE(TakeAdvertisement(table, "Tq580-123456-789", true, true, Advertisement(0xD8, 0x92, 0x3C, 0xF0, 10000)));
    const ADV_DATA_TYPE& e = table[0];
    EXPECT_EQ(e.id, "Tq580-123456-789");
    EXPECT_EQ(e.key, 123456789);
    EXPECT_TRUE(e.meas);
    EXPECT_EQ(e.rate, 1);
    EXPECT_EQ(e.dtype, 0);
    EXPECT_FLOAT_EQ(e.vbat, 2.559375f);
    EXPECT_EQ(e.dat[0], 0x3C);
    EXPECT_EQ(e.dat[1], 0xF0);
    EXPECT_EQ(e.count, 10000);
    EXPECT_TRUE(e.rf);

    TakeAdvertisement(table, "Tq580-123456-789", true, true, Advertisement(0xF0, 0xC6));
    EXPECT_EQ(table[0].rate, 4);
    EXPECT_EQ(table[0].dtype, 1);
    EXPECT_FLOAT_EQ(table[0].vbat, 2.64375f);
    EXPECT_EQ(OccupiedCount(table), 1);
}

TEST(DeviceTable, IgnoresOtherModelsUnpairedSensorsAndShortData) {
    DeviceTable table;
    ResetDeviceTable(table);
    EXPECT_FALSE(TakeAdvertisement(table, "Tq570-123456-789", true, true, Advertisement(0, 0)));
    EXPECT_FALSE(TakeAdvertisement(table, "Tq580-123456-789", false, true, Advertisement(0, 0)));
    EXPECT_FALSE(TakeAdvertisement(table, "Tq580-123456-789", true, true, QByteArray(9, '\0')));
    EXPECT_EQ(OccupiedCount(table), 0);

    Hear(table, 123456789);
    table[0].rf = false;
    // Too short to decode: taken as a report without manufacturer data, which
    // only marks a known sensor as heard.
    EXPECT_TRUE(TakeAdvertisement(table, "Tq580-123456-789", true, true, QByteArray(4, '\0')));
    EXPECT_TRUE(table[0].rf);
}

TEST(DeviceTable, KeepsKeyOrderAndSharesEntriesWithoutKey) {
    DeviceTable table;
    ResetDeviceTable(table);
    for (int key : {30, 10, 20}) Hear(table, key);
    EXPECT_EQ(table[0].key, 10);
    EXPECT_EQ(table[1].key, 20);
    EXPECT_EQ(table[2].key, 30);

    TakeAdvertisement(table, "Tq580-12#456-789", true, true, Advertisement(0, 0));
    TakeAdvertisement(table, "Tq580-99#999-999", true, true, Advertisement(0, 0));
    EXPECT_EQ(OccupiedCount(table), 4);
    EXPECT_EQ(table[3].id, "Tq580-99#999-999");
}

TEST(DeviceTable, FullTableDropsTheHighestKeyForASmallerOne) {
    DeviceTable table;
    ResetDeviceTable(table);
    for (int key = 100; key < 100 + DeviceTableSize; ++key) Hear(table, key);
    EXPECT_FALSE(TakeAdvertisement(table, Name(500), true, true, Advertisement(0, 0)));
    table[0].wf = true;
    Hear(table, 50);
    EXPECT_EQ(table[0].key, 50);
    EXPECT_FALSE(table[0].wf);
    EXPECT_TRUE(table[1].wf);  // moved down with its entry
    EXPECT_EQ(table[DeviceTableSize - 1].key, 100 + DeviceTableSize - 2);
}

TEST(DeviceTable, PurgeRemovesSensorsNotHeardUnlessAStartIsOutstanding) {
    DeviceTable table;
    ResetDeviceTable(table);
    for (int key : {10, 20, 30, 40}) Hear(table, key);
    ClearSeenFlags(table);
    Hear(table, 40);
    table[1].wf = true;  // 20: start sent, not yet taken effect

    PurgeDeviceTable(table);
    ASSERT_EQ(OccupiedCount(table), 2);
    EXPECT_EQ(table[0].key, 20);
    EXPECT_EQ(table[1].key, 40);
    EXPECT_TRUE(table[2].id.isEmpty());
    EXPECT_EQ(table[2].key, NoDeviceKey);
    EXPECT_EQ(table[DeviceTableSize - 1].key, NoDeviceKey);
}
