// The real-time page's "Start"/"End", and what the session shows of a
// measurement: the connecting message and the view controls.
#include "app/ControlStyle.h"
#include "app/TForm1.h"
#include "session/StringTable.h"

void TForm1::ConnectButtonClick() { Session.ConnectButtonClicked(); }

void TForm1::ShowConnectingMessage() {
    SetColour(MsgPanel, QPalette::Window, palette().color(QPalette::Button));
    MsgPanel->setText(MsgConnecting);
    MsgPanel->show();
}

// Light levels of a sensor check have their own selection; haemoglobin has
// the amplitude, average and data choices.
void TForm1::ShowViewControlsFor(bool checkSensors) {
    GroupBox1->setVisible(!checkSensors);
    if (checkSensors) GroupBox3->hide();
    GroupBox2->setVisible(checkSensors);
}
