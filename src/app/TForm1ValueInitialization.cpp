#include "prompts/Prompts.h"
#include "app/StringTable.h"
#include "app/TForm1.h"
#include "data/ValueInitialization.h"
#include "link/Commands.h"

// Re-zeroes the live sensor, or inserts a value-initialization point at the
// sample cursor of an uploaded record.
void TForm1::ResetButtonClick() {
    switch (::ResetButtonClick(Link, central_, clock_, Store, View.CursorChannel, View.CursorIndex)) {
        case ResetButtonOutcome::PointInserted:
            ResetButton->setEnabled(false);
            S1->setEnabled(true);
            RepaintTrend();
            break;
        case ResetButtonOutcome::PointRefused:
            ResetButton->setEnabled(false);
            break;
        case ResetButtonOutcome::SentToSensor:
        case ResetButtonOutcome::Nothing:
            break;
    }
}

// "Clear value-initialization points(&C)": back to the sensor's own references.
void TForm1::C1Click() {
    if (Store.SampleCount == 0) return;
    if (!prompts_.AskOkCancel(MsgClearInitPoints)) return;
    if (ClearInitPoints(Store) > 0) S1->setEnabled(true);
    RepaintTrend();
}
