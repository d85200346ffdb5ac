#include "view/ReadOutPainter.h"

#include "data/SampleStore.h"
#include "view/TimeTexts.h"
#include "view/TrendColours.h"

void DrawLiveReadOuts(TrendCanvas& canvas, const TrendPaintInput& input, const TrendLayout& layout,
                      TrendPaintOutcome& outcome) {
    outcome.GroupBox3 = BoxChange::Hide;
    const MEAS_DATA_TYPE& newest = input.Store.CurrentSample;
    for (int c = 0; c < 2; ++c) {
        const PaneRect& pane = layout.Channel[c];
        const CH_DATA_TYPE& channel = newest.ch[c];
        const int cx = (pane.Left + pane.Right) / 2;
        const int y = pane.Top - canvas.TextHeight() - 1;
        if (HasErrorBits(channel.status)) {
            const QString error = ErrorReadOutText(channel.status);
            const int errorWidth = canvas.TextWidth(error);
            const int errorLeft = cx - errorWidth / 2;
            canvas.SetTextColour(TrendColour::Red);
            canvas.TextOut(errorLeft, y, error);
            canvas.SetBold(true);
            canvas.SetTextColour(TrendColour::Black);
            const int titleWidth = canvas.TextWidth(ChannelTitles[c]);
            const int titleHeight = canvas.TextHeight();
            canvas.TextOut(errorLeft - titleWidth, y, ChannelTitles[c]);
            canvas.SetBold(false);
            const int reach = errorWidth / 2 + titleWidth;
            const TrendViewState& view = input.View;
            if (view.HoverX >= cx - reach && view.HoverX <= cx + reach && view.HoverY >= y &&
                view.HoverY <= y + titleHeight) {
                outcome.GroupBox3 = BoxChange::Show;
                outcome.ReadOut = {};
                outcome.ReadOut.Caption = ErrorStatusCaption;
                outcome.ReadOut.ShowsError = true;
                outcome.ReadOut.Status = ErrorList(channel.status);
            }
            continue;
        }
        const QString sto2 = LiveSto2Text(channel.sto2);
        const int sto2Left = cx - canvas.TextWidth(sto2);
        canvas.SetTextColour(TrendColour::Purple);
        canvas.TextOut(sto2Left, y, sto2);
        const DisplayItem& item = DisplayItemAt(input.DataItem);
        canvas.SetTextColour(item.Colour);
        canvas.TextOut(cx, y, LiveItemText(channel, input.DataItem));
        canvas.SetBold(true);
        canvas.SetTextColour(TrendColour::Black);
        canvas.TextOut(sto2Left - canvas.TextWidth(ChannelTitles[c]), y, ChannelTitles[c]);
        canvas.SetBold(false);
    }
}

void DrawSampleCursor(TrendCanvas& canvas, const TrendPaintInput& input, const TrendLayout& layout,
                      int32_t firstSample, TrendPaintOutcome& outcome) {
    const TrendViewState& view = input.View;
    const SampleStore& store = input.Store;
    // A cursor left over from an earlier, longer record points at nothing.
    if (view.CursorChannel < 0 || view.CursorChannel > 1 || view.CursorIndex < 0 ||
        view.CursorIndex >= store.SampleCount) {
        outcome.GroupBox3 = BoxChange::Hide;
        return;
    }
    const PaneRect& pane = layout.Channel[view.CursorChannel];
    const int32_t d = view.CursorIndex - firstSample;
    if (0 < d && d < layout.PW) {
        canvas.SetPen(TrendColour::Lime, 1);
        canvas.PaneLine(pane, pane.Left + d);
    }
    outcome.ReadOut = CursorValues(store.Samples[view.CursorIndex].ch[view.CursorChannel]);
    outcome.ReadOut.Caption = CursorCaption(store, view.CursorChannel, view.CursorIndex);
    outcome.GroupBox3 = BoxChange::Show;
}
