#include "view/ReadOuts.h"

#include <cmath>

#include "data/SampleStore.h"
#include "view/TrendColours.h"

const QString ErrorStatusTexts[12] = {
    QStringLiteral("7mm770nm PD meas. error"),  QStringLiteral("30mm770nm PD meas. error"),
    QStringLiteral("35mm770nm PD meas. error"), QStringLiteral("35/30 770nm ratio error"),
    QStringLiteral("7mm830nm PD meas. error"),  QStringLiteral("30mm830nm PD meas. error"),
    QStringLiteral("35mm830nm PD meas. error"), QStringLiteral("35/30 830nm ratio error"),
    QStringLiteral("OXHb,DXHb calc. error"),    QStringLiteral("STO2 calc. error"),
    QStringLiteral("No data"),                  QString(),
};

namespace {

const DisplayItem DisplayItemTable[3] = {
    {QStringLiteral("OXHb[mM]"), TrendColour::Red, " OXHb:%4.2f[mM]", "OXHb=%7.4f[mM]"},
    {QStringLiteral("DXHb[mM]"), TrendColour::Blue, " DXHb:%4.2f[mM]", "DXHb=%7.4f[mM]"},
    {QStringLiteral("TOHb[mM]"), TrendColour::Green, " TOHb:%4.2f[mM]", "TOHb=%7.4f[mM]"},
};

int ValidItem(int item) { return item >= 0 && item < 3 ? item : 2; }

// Battery voltages that are not numbers count as below every threshold.
bool Below(float volts, float threshold) { return std::isnan(volts) || volts < threshold; }

}  // namespace

QString ErrorList(uint16_t status) {
    QString list;
    for (int bit = 0; bit < 12; ++bit)
        if (status & (1u << bit)) list += ErrorStatusTexts[bit] + '\n';
    return list;
}

QString ErrorReadOutText(uint16_t status) { return QString::asprintf("ERR(%.4X)", unsigned(status)); }

const DisplayItem& DisplayItemAt(int item) { return DisplayItemTable[ValidItem(item)]; }

double DisplayItemValue(const CH_DATA_TYPE& channel, int item) {
    switch (ValidItem(item)) {
        case 0: return channel.oxhb;
        case 1: return channel.dxhb;
        default: return channel.tohb;
    }
}

QString PercentText(float sto2) {
    const double percent = std::floor(double(sto2) * 100);
    if (!std::isfinite(percent) || std::fabs(percent) > 1e9) return QString::number(percent);
    return QString::number(static_cast<long long>(percent));
}

QString LiveSto2Text(float sto2) { return QStringLiteral("STO2:") + PercentText(sto2) + QStringLiteral("[%] "); }

QString LiveItemText(const CH_DATA_TYPE& channel, int item) {
    return QString::asprintf(DisplayItemAt(item).LiveFormat, DisplayItemValue(channel, item));
}

CursorReadOut CursorValues(const CH_DATA_TYPE& channel) {
    CursorReadOut readOut;
    if (HasErrorBits(channel.status)) {
        readOut.ShowsError = true;
        readOut.Status = ErrorList(channel.status);
        return readOut;
    }
    readOut.OXHb = QString::asprintf(DisplayItemTable[0].CursorFormat, double(channel.oxhb));
    readOut.DXHb = QString::asprintf(DisplayItemTable[1].CursorFormat, double(channel.dxhb));
    readOut.TOHb = QString::asprintf(DisplayItemTable[2].CursorFormat, double(channel.tohb));
    readOut.STO2 = QStringLiteral("STO2=") + PercentText(channel.sto2) + QStringLiteral("[%]");
    return readOut;
}

MessagePanelState UpdateMessagePanel(bool live, const SampleStore& store, bool linkLost) {
    if (!live) return {};
    const MEAS_DATA_TYPE& newest = store.CurrentSample;
    if (store.RecordFull) return {MsgRecordFull, TrendColour::Red};
    if (Below(newest.batt, 1.8f)) return {MsgReplaceBattery, TrendColour::Red};
    if (newest.ch[0].status & (StatusRestartRequestA | StatusRestartRequestB)) return {MsgRestartDevice, TrendColour::Red};
    if (linkLost) return {MsgLostCommunication, TrendColour::Yellow};
    return {};
}

BattPanelState UpdateBattPanel(bool live, const SampleStore& store) {
    if (!live || store.SampleCount == 0) return {};
    const float volts = store.CurrentSample.batt;
    BattPanelState panel;
    panel.Visible = true;
    panel.Text = QString::asprintf("%3.1f[V]", double(volts));
    panel.Colour = Below(volts, 2.0f) ? TrendColour::Red : Below(volts, 2.5f) ? TrendColour::Yellow : TrendColour::Lime;
    return panel;
}
