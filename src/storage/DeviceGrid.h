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

// Where a sensor stands in "Upload all", which collects every stored record.
enum class UploadAllStage {
    None,        // not part of it
    Queued,      // waits for a free upload
    Connecting,  // its link is coming up
    Receiving,   // its stored samples come in
    Saving,      // its files are written
    Saved,       // its files are written and its log cleared
    NoData,      // it announced no samples
    Failed,      // not saved; the sensor keeps its log
    Stopped,     // cancelled before it was saved; the sensor keeps its log
};
struct UploadAllProgress {
    UploadAllStage stage = UploadAllStage::None;
    int percent = 0;  // of the samples announced, while receiving
};

// The Status cell of a sensor in "Upload all": "QUEUED", "LINKING",
// "UP 45%", "SAVING", "SAVED", "NO DATA", "FAILED", "STOPPED".
QString UploadAllStageText(const UploadAllProgress& progress);

// Empty text and no fill for a cell that draws nothing. A waiting sensor in
// "Upload all" shows where it stands in its Status cell.
DeviceGridCell DeviceGridCellAt(const DeviceTable& table, int column, int row,
                                const UploadAllProgress& progress = {});

// "50ms", "0.1s", ... "5s"; rate indices 6 and 7 have no rate and read "?".
QString RateText(int rate);

// A value byte of the advertisement as the grid shows it: "NG", "ERR", a
// percentage for STO2, hundredths of mM for the haemoglobin items.
QString AdvertisedValueText(int value, int dtype);

// Header and the two undrawn rows cannot be selected, an empty row neither;
// the last row is where the selection rests when nothing is chosen.
bool DeviceGridRowSelectable(const DeviceTable& table, int row);
