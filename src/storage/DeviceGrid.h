#pragma once

#include <QString>
#include <cstdint>

#include "storage/DeviceTable.h"

// What one cell of the storage page's device grid shows. Row 0 is the
// header; row r shows entry r - 1; the last two rows are never drawn.
struct DeviceGridCell {
    QString text;
    uint32_t fill = 0;  // 0xRRGGBB
    bool filled = false;
    uint32_t textColour = 0x000000;
    int pointSize = 8;
    bool bold = false;
};

constexpr int DeviceGridColumns = 6;
constexpr int DeviceGridRows = 23;

constexpr uint32_t GridRed = 0xFF0000;
constexpr uint32_t GridYellow = 0xFFFF00;
constexpr uint32_t GridLime = 0x00FF00;
constexpr uint32_t GridBlue = 0x0000FF;
constexpr uint32_t GridGreen = 0x008000;
constexpr uint32_t GridPurple = 0x800080;

// Empty text and no fill for a cell that draws nothing.
DeviceGridCell DeviceGridCellAt(const DeviceTable& table, int column, int row);

// "50ms", "0.1s", ... "5s"; rate indices 6 and 7 have no rate and read "?".
QString RateText(int rate);

// A value byte of the advertisement as the grid shows it: "NG", "ERR", a
// percentage for STO2, hundredths of mM for the haemoglobin items.
QString AdvertisedValueText(int value, int dtype);

// Header and the two undrawn rows cannot be selected, an empty row neither;
// the last row is where the selection rests when nothing is chosen.
bool DeviceGridRowSelectable(const DeviceTable& table, int row);
