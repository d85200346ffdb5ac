#include "app/TForm1.h"
#include "view/TrendGeometry.h"
#include "view/TrendInteraction.h"

// The view's choices are read at every paint; changing one only repaints.
void TForm1::AmpComboBoxChange() { RepaintTrend(); }
void TForm1::AveComboBoxChange() { RepaintTrend(); }
void TForm1::DataComboBoxChange() { RepaintTrend(); }
void TForm1::CheckBox1Click() { RepaintTrend(); }

void TForm1::SpeedButton1Click() { ChangeArrangement(VerticalArrangement); }
void TForm1::SpeedButton2Click() { ChangeArrangement(HorizontalArrangement); }

void TForm1::ChangeArrangement(int32_t arrangement) {
    const bool stopped = !Session.Live() && !Session.Shown().Store.CheckSensorsMode;
    ChangeTrendArrangement(Session.View, arrangement, PaintBox1->width(), stopped, Session.Shown().Store.SampleCount);
    RenderTrendView();
}

void TForm1::ScrollBar1Change() {
    if (ScrollTrendTo(Session.View, ScrollBar1->value())) RenderTrendView();
}

void TForm1::Panel1Resize() {
    for (QWidget* panel : {static_cast<QWidget*>(MsgPanel), static_cast<QWidget*>(UploadPanel)})
        panel->move((Panel1->width() - panel->width()) / 2, (Panel1->height() - panel->height()) / 2);
}
