#include <gtest/gtest.h>

#include "storage/DeviceGrid.h"

namespace {

DeviceTable TableWith(uint16_t status, int ch1, int ch2, int count) {
    DeviceTable table;
    ResetDeviceTable(table);
    QByteArray data;
    for (int b : {0x59, 0x00, status & 0xFF, status >> 8, ch1, ch2, count & 0xFF, count >> 8 & 0xFF, 0, 0})
        data.append(static_cast<char>(b));
    TakeAdvertisement(table, "Tq580-123456-789", true, true, data);
    return table;
}

}  // namespace

TEST(DeviceGrid, HeaderAndNameColumn) {
    const DeviceTable table = TableWith(0x92D8, 0, 0, 0);
    EXPECT_EQ(DeviceGridCellAt(table, 0, 0).text, "DevID");
    EXPECT_EQ(DeviceGridCellAt(table, 5, 0).text, "CH2(R)");
    EXPECT_EQ(DeviceGridCellAt(table, 0, 1).text, "123456-789");
    EXPECT_TRUE(DeviceGridCellAt(table, 0, 2).text.isEmpty());
}

TEST(DeviceGrid, StatusAndBatteryCells) {
    struct Case {
        uint16_t status;
        const char* statusText;
        bool statusFilled;
        const char* battery;
        uint32_t batteryFill;
    } cases[] = {
        {0x92D8, "RUN(0.1s)", true, "2.6", GridYellow},  // 2.559375 V prints as 2.6 but is below it
        {0xC6F0, "RUN(1s)", true, "2.6", GridLime},      // 2.64375 V
        {0x0200, "WAIT(50ms)", false, "1.8", GridRed},
        {0x72D8, "WAIT(?)", false, "2.6", GridYellow},   // rate index 7 has no rate
    };
    for (const auto& c : cases) {
        const DeviceTable table = TableWith(c.status, 0, 0, 0);
        const DeviceGridCell status = DeviceGridCellAt(table, 1, 1);
        EXPECT_EQ(status.text, c.statusText);
        EXPECT_EQ(status.filled, c.statusFilled) << c.statusText;
        if (c.statusFilled) {
            EXPECT_EQ(status.fill, GridRed);
        }
        const DeviceGridCell battery = DeviceGridCellAt(table, 2, 1);
        EXPECT_EQ(battery.text, c.battery) << c.statusText;
        EXPECT_EQ(battery.fill, c.batteryFill) << c.statusText;
    }
}

TEST(DeviceGrid, CountCellAndValuesOnlyForRunningSensorsWithData) {
    const DeviceTable waitingEmpty = TableWith(0x0200, 0x3C, 0x3C, 0);
    EXPECT_EQ(DeviceGridCellAt(waitingEmpty, 3, 1).text, "NONE");
    EXPECT_TRUE(DeviceGridCellAt(waitingEmpty, 4, 1).text.isEmpty());

    const DeviceTable runningEmpty = TableWith(0x8200, 0x3C, 0x3C, 0);
    EXPECT_EQ(DeviceGridCellAt(runningEmpty, 3, 1).text, "0");
    EXPECT_TRUE(DeviceGridCellAt(runningEmpty, 4, 1).text.isEmpty());

    const DeviceTable running = TableWith(0x8200, 0xF0, 0xF3, 10000);
    EXPECT_EQ(DeviceGridCellAt(running, 3, 1).text, "10000");
    const DeviceGridCell ng = DeviceGridCellAt(running, 4, 1);
    EXPECT_EQ(ng.text, "NG");
    EXPECT_EQ(ng.fill, GridYellow);
    EXPECT_EQ(ng.pointSize, 8);
    EXPECT_EQ(DeviceGridCellAt(running, 5, 1).text, "ERR");
}

TEST(DeviceGrid, ValueTextsAndColoursByItem) {
    struct Case {
        int value;
        int dtype;
        const char* text;
        uint32_t colour;
    } cases[] = {
        {0x3C, 0, "60", GridPurple}, {0x3C, 1, ".60", GridRed},  {0xC4, 2, "-.60", GridBlue},
        {5, 3, ".05", GridGreen},    {120, 1, "1.20", GridRed},
        {0x80, 2, "-1.28", GridBlue},
    };
    // Bytes 0xF0..0xFF are error codes before they are values: -.01 to -.16 mM
    // cannot be advertised.
    EXPECT_EQ(AdvertisedValueText(0xFB, 1), "ERR");
    for (const auto& c : cases) {
        EXPECT_EQ(AdvertisedValueText(c.value, c.dtype), c.text) << c.value;
        const uint16_t status = static_cast<uint16_t>(0x8200 | c.dtype << 10);
        const DeviceGridCell cell = DeviceGridCellAt(TableWith(status, c.value, 0, 5), 4, 1);
        EXPECT_EQ(cell.textColour, c.colour) << c.value;
        EXPECT_EQ(cell.pointSize, 12);
        EXPECT_TRUE(cell.bold);
    }
}

TEST(DeviceGrid, SelectableRows) {
    const DeviceTable table = TableWith(0x0200, 0, 0, 0);
    EXPECT_FALSE(DeviceGridRowSelectable(table, 0));
    EXPECT_TRUE(DeviceGridRowSelectable(table, 1));
    EXPECT_FALSE(DeviceGridRowSelectable(table, 2));
    EXPECT_FALSE(DeviceGridRowSelectable(table, 21));
    EXPECT_TRUE(DeviceGridRowSelectable(table, 22));
}

// During Upload all a sensor's Status cell says where its upload stands;
// the other cells stay as the advertisement has them.
TEST(DeviceGrid, StatusCellFollowsUploadAll) {
    const DeviceTable table = TableWith(0x4200, 0, 0, 3600);  // waiting at 1 s with 3600 samples
    struct Case {
        UploadAllProgress progress;
        const char* text;
        bool filled;
        uint32_t fill;
    } cases[] = {
        {{UploadAllStage::Queued}, "QUEUED", false, 0},
        {{UploadAllStage::Connecting}, "LINKING", false, 0},
        {{UploadAllStage::Receiving, 0}, "UP 0%", false, 0},
        {{UploadAllStage::Receiving, 45}, "UP 45%", false, 0},
        {{UploadAllStage::Saving, 100}, "SAVING", false, 0},
        {{UploadAllStage::Saved}, "SAVED", true, GridLime},
        {{UploadAllStage::NoData}, "NO DATA", false, 0},
        {{UploadAllStage::Failed}, "FAILED", true, GridYellow},
        {{UploadAllStage::Stopped}, "STOPPED", true, GridYellow},
    };
    for (const auto& c : cases) {
        const DeviceGridCell status = DeviceGridCellAt(table, 1, 1, c.progress);
        EXPECT_EQ(status.text, c.text);
        EXPECT_EQ(status.filled, c.filled) << c.text;
        if (c.filled) {
            EXPECT_EQ(status.fill, c.fill) << c.text;
        }
        EXPECT_EQ(DeviceGridCellAt(table, 3, 1, c.progress).text, "3600") << c.text;
    }
    EXPECT_EQ(DeviceGridCellAt(table, 1, 1, {}).text, "WAIT(1s)");
    const DeviceTable loggingAgain = TableWith(0xC200, 0, 0, 20);
    EXPECT_EQ(DeviceGridCellAt(loggingAgain, 1, 1, {UploadAllStage::Saved}).text, "RUN(1s)");
}
