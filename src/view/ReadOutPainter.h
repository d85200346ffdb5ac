#pragma once

#include <cstdint>

#include "view/TrendCanvas.h"
#include "view/TrendPainter.h"

// The live read-outs above each pane while a measurement runs: STO2 and the
// display item of the newest sample beside the channel title, or its error
// code, whose list opens in GroupBox3 while the pointer rests on it.
void DrawLiveReadOuts(TrendCanvas& canvas, const TrendPaintInput& input, const TrendLayout& layout,
                      TrendPaintOutcome& outcome);

// The sample cursor of a record that is not running: a lime line through its
// pane and the sample's values (or errors) in GroupBox3.
void DrawSampleCursor(TrendCanvas& canvas, const TrendPaintInput& input, const TrendLayout& layout,
                      int32_t firstSample, TrendPaintOutcome& outcome);
