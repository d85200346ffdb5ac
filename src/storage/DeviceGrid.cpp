#include "storage/DeviceGrid.h"

namespace {

const char* const HeaderTexts[DeviceGridColumns] = {"DevID", "Status", "Batt[V]", "Count", "CH1(L)", "CH2(R)"};

DeviceGridCell Plain(const QString& text) {
    DeviceGridCell cell;
    cell.text = text;
    return cell;
}

DeviceGridCell Filled(const QString& text, uint32_t fill) {
    DeviceGridCell cell = Plain(text);
    cell.fill = fill;
    cell.filled = true;
    return cell;
}

bool IsErrorCode(int value) { return (value & 0xF0) == 0xF0; }

uint32_t ValueColour(int dtype) {
    switch (dtype) {
        case 1: return GridRed;
        case 2: return GridBlue;
        case 3: return GridGreen;
        default: return GridPurple;
    }
}

DeviceGridCell ValueCell(const ADV_DATA_TYPE& entry, int value) {
    if (!entry.meas || entry.count == 0) return {};
    const QString text = AdvertisedValueText(value, entry.dtype);
    if (IsErrorCode(value)) return Filled(text, GridYellow);
    DeviceGridCell cell = Plain(text);
    cell.textColour = ValueColour(entry.dtype);
    cell.pointSize = 12;
    cell.bold = true;
    return cell;
}

}  // namespace

QString RateText(int rate) {
    static const char* const texts[] = {"50ms", "0.1s", "0.2s", "0.5s", "1s", "5s"};
    return rate >= 0 && rate < 6 ? QString::fromLatin1(texts[rate]) : QStringLiteral("?");
}

QString AdvertisedValueText(int value, int dtype) {
    if (IsErrorCode(value)) return (value & 0x0F) != 0 ? QStringLiteral("ERR") : QStringLiteral("NG");
    if (dtype == 0) return QString::number(value);
    const bool negative = value >= 0x80;
    const int hundredths = negative ? 256 - value : value;
    // Hundredths of a mM: .05 and -.60 as the sensor's own display shows
    // them; a whole mM and more keeps its integer part (1.20, not .120).
    const QString magnitude = (hundredths >= 100 ? QString::number(hundredths / 100) : QString()) +
                              QLatin1Char('.') + QString::number(hundredths % 100).rightJustified(2, QLatin1Char('0'));
    return negative ? QLatin1Char('-') + magnitude : magnitude;
}

QString UploadAllStageText(const UploadAllProgress& progress) {
    switch (progress.stage) {
        case UploadAllStage::None: return QString();
        case UploadAllStage::Queued: return QStringLiteral("QUEUED");
        case UploadAllStage::Connecting: return QStringLiteral("LINKING");
        case UploadAllStage::Receiving: return QStringLiteral("UP %1%").arg(progress.percent);
        case UploadAllStage::Saving: return QStringLiteral("SAVING");
        case UploadAllStage::Saved: return QStringLiteral("SAVED");
        case UploadAllStage::NoData: return QStringLiteral("NO DATA");
        case UploadAllStage::Failed: return QStringLiteral("FAILED");
        case UploadAllStage::Stopped: return QStringLiteral("STOPPED");
    }
    return QString();
}

namespace {

// Saved on lime and not saved on yellow, as the battery's good and doubtful
// states; red stays the colour of a sensor that logs.
DeviceGridCell UploadAllStatusCell(const UploadAllProgress& progress) {
    const QString text = UploadAllStageText(progress);
    switch (progress.stage) {
        case UploadAllStage::Saved: return Filled(text, GridLime);
        case UploadAllStage::Failed:
        case UploadAllStage::Stopped: return Filled(text, GridYellow);
        default: return Plain(text);
    }
}

}  // namespace

DeviceGridCell DeviceGridCellAt(const DeviceTable& table, int column, int row, const UploadAllProgress& progress) {
    if (column < 0 || column >= DeviceGridColumns || row < 0 || row >= DeviceGridRows - 2) return {};
    if (row == 0) return Plain(QString::fromLatin1(HeaderTexts[column]));
    const ADV_DATA_TYPE& entry = table[row - 1];
    if (entry.id.isEmpty()) return {};
    switch (column) {
        case 0: return Plain(entry.id.mid(6));
        case 1: {
            // A sensor that logs again says so, whatever its last upload did.
            if (progress.stage != UploadAllStage::None && !entry.meas) return UploadAllStatusCell(progress);
            const QString text = (entry.meas ? QStringLiteral("RUN(") : QStringLiteral("WAIT(")) + RateText(entry.rate) +
                                 QLatin1Char(')');
            return entry.meas ? Filled(text, GridRed) : Plain(text);
        }
        case 2: {
            const QString text = QString::asprintf("%3.1f", static_cast<double>(entry.vbat));
            const uint32_t fill = entry.vbat < 2.5f ? GridRed : entry.vbat < 2.6f ? GridYellow : GridLime;
            return Filled(text, fill);
        }
        case 3: return Plain(!entry.meas && entry.count == 0 ? QStringLiteral("NONE") : QString::number(entry.count));
        default: return ValueCell(entry, entry.dat[column - 4]);
    }
}

bool DeviceGridRowSelectable(const DeviceTable& table, int row) {
    if (row == DeviceGridRows - 1) return true;
    if (row <= 0 || row > DeviceTableSize || row >= DeviceGridRows - 2) return false;
    return !table[row - 1].id.isEmpty();
}
