#include "app/TForm1.h"
#include "view/TrendGeometry.h"

// The view's choices are read at every paint; changing one only repaints.
void TForm1::AmpComboBoxChange() { RepaintTrend(); }
void TForm1::AveComboBoxChange() { RepaintTrend(); }
void TForm1::DataComboBoxChange() { RepaintTrend(); }
void TForm1::CheckBox1Click() { RepaintTrend(); }

void TForm1::SpeedButton1Click() { ChangeArrangement(VerticalArrangement); }
void TForm1::SpeedButton2Click() { ChangeArrangement(HorizontalArrangement); }

// A stopped record longer than the new arrangement's screen can be scrolled
// over its whole length; a shorter one goes back to its start.
void TForm1::ChangeArrangement(int32_t arrangement) {
    Session.View.TrendArrangement = arrangement;
    UpdateExpectedScreenSamples();
    if (!Session.Live() && !Session.Store.CheckSensorsMode) {
        if (Session.Store.SampleCount > Session.View.ExpectedScreenSamples) {
            ScrollBar1->setMaximum(Session.Store.SampleCount - 1);
            if (ScrollBar1->isHidden()) {
                ScrollBar1->setValue(0);
                ScrollBar1->show();
            }
        } else {
            ScrollBar1->setValue(0);
            ScrollBar1->hide();
        }
    }
    RepaintTrend();
}

void TForm1::ScrollBar1Change() {
    if (ScrollBar1->isHidden()) return;
    // Scrolling back to where the review began returns to the newest samples.
    if (Session.View.LiveReview && ScrollBar1->value() == ScrollBar1->maximum()) {
        Session.View.LiveReview = false;
        SetPanel1Highlighted(false);
        ScrollBar1->hide();
    }
    Session.View.CursorChannel = -1;
    Session.View.CursorIndex = -1;
    RepaintTrend();
}

void TForm1::Panel1Resize() {
    for (QWidget* panel : {static_cast<QWidget*>(MsgPanel), static_cast<QWidget*>(UploadPanel)})
        panel->move((Panel1->width() - panel->width()) / 2, (Panel1->height() - panel->height()) / 2);
}
