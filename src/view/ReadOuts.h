#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

#include "data/Sample.h"

struct SampleStore;

inline const QString ChannelTitles[2] = {QStringLiteral("CH1(L)"), QStringLiteral("CH2(R)")};

// Texts of the channel status bits 0..11.
extern const QString ErrorStatusTexts[12];
constexpr uint16_t ErrorStatusMask = 0x0FFF;

inline bool HasErrorBits(uint16_t status) { return (status & ErrorStatusMask) != 0; }
// The texts of the set bits 0..11, bit 0 first, each ending in a line break.
QString ErrorList(uint16_t status);
// "ERR(0401)": the whole status word.
QString ErrorReadOutText(uint16_t status);

// The display item chosen in DataComboBox: OXHb, DXHb or TOHb.
struct DisplayItem {
    QString AxisName;
    QColor Colour;
    const char* LiveFormat;    // after "STO2:..", from the pane's middle on
    const char* CursorFormat;  // the value label of GroupBox3
};
const DisplayItem& DisplayItemAt(int item);
double DisplayItemValue(const CH_DATA_TYPE& channel, int item);

// floor(STO2 * 100) as an integer text; a value that is not a number reads "nan".
QString PercentText(float sto2);
// Live read-outs written above each pane.
QString LiveSto2Text(float sto2);                      // "STO2:65[%] "
QString LiveItemText(const CH_DATA_TYPE& channel, int item);  // " TOHb:0.12[mM]"

// What GroupBox3 shows for the sample cursor or a hovered live error.
struct CursorReadOut {
    QString Caption;
    bool ShowsError = false;  // LabelStatus instead of the four value labels
    QString Status;
    QString OXHb, DXHb, TOHb, STO2;
};
CursorReadOut CursorValues(const CH_DATA_TYPE& channel);

// MsgPanel after a paint that found samples. The colour is left as it was
// when none is given.
struct MessagePanelState {
    QString Text;  // shown exactly when not empty
    std::optional<QColor> Colour;
};
MessagePanelState UpdateMessagePanel(bool live, const SampleStore& store, bool linkLost);

// BattPanel after a paint that found samples; text and colour only matter when shown.
struct BattPanelState {
    bool Visible = false;
    QString Text;
    QColor Colour;
};
BattPanelState UpdateBattPanel(bool live, const SampleStore& store);

inline const QString MsgRecordFull = QStringLiteral("Unable to record anymore.");
inline const QString MsgReplaceBattery = QStringLiteral("Battery needs to be replaced.");
inline const QString MsgRestartDevice = QStringLiteral("Please restart the device.");
inline const QString MsgLostCommunication = QStringLiteral("Lost communication with device.");
inline const QString ErrorStatusCaption = QStringLiteral("Error Status");
