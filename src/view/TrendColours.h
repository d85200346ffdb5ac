#pragma once

#include <QColor>

// The trend's colours, in the classic sixteen-colour names they are known by.
namespace TrendColour {
inline const QColor DarkGrey{0x40, 0x40, 0x40};  // pane frames, outer grid lines
inline const QColor Silver{0xC0, 0xC0, 0xC0};    // inner grid lines, axis numbers, time labels
inline const QColor Purple{0x80, 0x00, 0x80};    // STO2
inline const QColor Teal{0x00, 0x80, 0x80};      // event marks
inline const QColor Maroon{0x80, 0x00, 0x00};    // value-initialization marks
inline const QColor Lime{0x00, 0xFF, 0x00};      // sample cursor
inline const QColor Red{0xFF, 0x00, 0x00};
inline const QColor Blue{0x00, 0x00, 0xFF};
inline const QColor Green{0x00, 0x80, 0x00};
inline const QColor Yellow{0xFF, 0xFF, 0x00};
inline const QColor Fuchsia{0xFF, 0x00, 0xFF};
inline const QColor Aqua{0x00, 0xFF, 0xFF};
inline const QColor Black{0x00, 0x00, 0x00};
}  // namespace TrendColour
