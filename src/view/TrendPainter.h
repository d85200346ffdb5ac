#pragma once

#include <QColor>
#include <QFont>
#include <QSize>
#include <cstdint>
#include <optional>

#include "view/ReadOuts.h"
#include "view/ViewState.h"

class QPainter;
struct SampleStore;

// Everything a paint of the trend or the overview reads: the record, the
// view state and what the window's controls say at that moment.
struct TrendPaintInput {
    const SampleStore& Store;
    const TrendViewState& View;
    QSize Size;              // the paint box's client size
    QFont Font;              // the paint box's font
    bool Live = false;       // a real-time measurement runs (ConnectButton's tag is 1)
    bool LinkLost = false;
    int AmpItem = 1;         // "x0.5" .. "x8.0"
    int AveItem = 0;         // "none" .. "11 points"
    int DataItem = 2;        // OXHb, DXHb, TOHb
    bool ShowLevel[3] = {true, true, true};  // 7 mm, 30 mm, 35 mm traces of a sensor check
    QColor LevelColour[3] = {QColor(0, 0, 255), QColor(255, 0, 255), QColor(0, 255, 255)};
    bool ScrollBarVisible = false;
    int32_t ScrollBarPosition = 0;
    QString SensorName = {};  // shown in the title when several sensors were measured together
};

enum class BoxChange { Untouched, Hide, Show };

// What the paint leaves for the window to put into its controls; a control
// the paint did not reach stays as it was.
struct TrendPaintOutcome {
    bool Drawn = false;                      // false while an upload runs
    std::optional<int32_t> ScreenSamples;    // published by the scrolling trend only
    std::optional<QString> TimeLabel;
    BoxChange GroupBox3 = BoxChange::Untouched;
    CursorReadOut ReadOut;                   // GroupBox3's caption and labels when shown
    std::optional<MessagePanelState> MessagePanel;
    std::optional<BattPanelState> BattPanel;
};

// The paint handler of the trend view: hands over to EntireDisplay while the
// overview is on, draws nothing while an upload runs.
TrendPaintOutcome PaintTrend(QPainter& painter, const TrendPaintInput& input);

// The whole record (EntireViewLength samples) spread over the panes.
TrendPaintOutcome EntireDisplay(QPainter& painter, const TrendPaintInput& input);
