#pragma once

#include <QString>
#include <cstdint>

struct SampleStore;

// Where the trend's panes lie and how values map to pixels. Pure arithmetic
// on the paint box size and the record, shared by the trend, the overview and
// the mouse handlers. All divisions truncate towards zero as the layout rules
// are written that way.

struct PaneRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    // Strictly inside: the frame itself belongs to no sample.
    bool StrictlyContains(int32_t x, int32_t y) const { return Left < x && x < Right && Top < y && y < Bottom; }
};

constexpr int32_t VerticalArrangement = 1;
constexpr int32_t HorizontalArrangement = 0;

struct TrendLayout {
    int32_t PW = 0;  // pane width = samples on one screen
    int32_t PH = 0;  // unit height
    int32_t HH = 0;  // haemoglobin pane height
    int32_t AH = 0;  // acceleration pane height
    PaneRect Channel[2];
    PaneRect Acceleration;
    int32_t DX = 0;  // horizontal offset of channel 2's pane from channel 1's
};

// The panes of a paint box of width x height in the arrangement.
TrendLayout ComputeTrendLayout(int32_t width, int32_t height, int32_t arrangement);

// The pane width alone, as the arrangement buttons need it.
int32_t PaneWidthFor(int32_t width, int32_t arrangement);

// Vertical scale of the haemoglobin panes for a scaling item 0..4 ("x0.5" .. "x8.0").
struct HaemoglobinScale {
    double Scale = 2;     // s = 2^(2 - item)
    double Top = 0.6;     // mM at the pane's top edge
    double Bottom = -0.2; // mM at its bottom edge
    double PixelsPerMM = 0;
    int Decimals = 1;
};
HaemoglobinScale ComputeHaemoglobinScale(int ampItem, int32_t paneHeight);

// "%*.*f" with width decimals + 2 and precision decimals.
QString ScaleLabelText(double value, int decimals);

// The first sample of the screen: the newest screen while following a live
// record, otherwise the scroll bar position (0 while it is hidden).
int32_t FirstShownSample(bool followingLive, int32_t sampleCount, int32_t paneWidth, bool scrollBarVisible,
                         int32_t scrollPosition);

// Columns that have a sample: from the first shown sample to the pane's end
// or the record's, whichever comes first.
int32_t ShownColumns(int32_t first, int32_t sampleCount, int32_t paneWidth);

// Pixel rows of values in a pane; each clamps as its trace requires.
// STO2: not-a-number or above 1 at the top edge; below 0 is not clamped.
int32_t Sto2Row(double sto2, const PaneRect& pane);
// Display item: not-a-number or above the axis at the top, below it at the bottom.
int32_t ItemRow(double value, const PaneRect& pane, const HaemoglobinScale& scale);
// Light count: above 4000 at the top edge.
int32_t LevelRow(uint16_t count, const PaneRect& pane);
// Acceleration in G: a quarter of the pane per G around its middle, clamped to it.
int32_t AccelerationRow(double g, const PaneRect& pane);

// Time grid of the scrolling trend: a line every 100 samples at the rate
// indices 0..2, every 120 at 3..5.
int32_t TrendGridStep(int32_t rateIndex);
// Column of the first grid line; a multiple on the left edge is skipped.
int32_t FirstGridColumn(int32_t first, int32_t step);
// Whole seconds from the record start to the sample.
int64_t ElapsedSecondsAt(int32_t sampleIndex, int32_t rateIndex);

// The overview: the sample column j shows, spread over the pane.
int32_t OverviewSample(int32_t column, int32_t length, int32_t paneWidth);
// Column of a sample in the overview (for marks).
int32_t OverviewColumn(int32_t sampleIndex, int32_t length, int32_t paneWidth);
// The span the overview's time axis covers, whole seconds.
uint32_t OverviewTimeSpan(int32_t length, int32_t paneWidth, int32_t rateIndex);
// Grid step in seconds for a span: lines about 100 pixels apart on a screen
// of screenSamples columns, from 1 s to 24 h.
uint32_t CalcTimeGrid(uint32_t tmax, int32_t screenSamples);
// Column offset of the overview's grid line k (k >= 1).
int32_t OverviewGridColumn(int64_t k, uint32_t step, uint32_t tmax, int32_t paneWidth);

// The scroll bar for a stopped, opened or uploaded record.
struct ScrollRange {
    bool Visible = false;
    int32_t Maximum = 0;
    int32_t SingleStep = 1;
};
ScrollRange ScrollRangeRule(int32_t sampleCount, int32_t screenSamples);
// Arrow-button step: 1 below 20, 10 below 200, 50 otherwise.
int32_t ScrollSmallStep(int32_t maximum);

// The sample under a click: the haemoglobin pane strictly containing the
// point and the sample of that column, when the record has it.
struct CursorHit {
    int32_t Channel = -1;
    int32_t Index = -1;
};
CursorHit SampleUnderPointer(const TrendLayout& layout, int32_t x, int32_t y, int32_t firstSample,
                             int32_t sampleCount);

// A value-initialization point may go at the sample: not among the first two
// or last two samples, the record allows inserting points, and neither the
// sample nor its two predecessors is a point already.
bool CursorMayTakeInitPoint(const SampleStore& store, int32_t cursorIndex);
