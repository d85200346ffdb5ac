#include "app/AnchoredPage.h"
#include "app/TForm1.h"
#include "link/BleCentral.h"

// Only with both tabs showing can the user switch; a running measurement,
// upload or event log hides the other tab.
void TForm1::PageControl1Change() {
    if (!PageControl1->isTabVisible(0) || !PageControl1->isTabVisible(1)) return;

    if (PageControl1->currentWidget() == TabSheet2) {
        MsgPanel2->hide();
        DrawGrid1->setCurrentCell(DrawGrid1->rowCount() - 1, 0);
        DrawGrid1->scrollToTop();
        CopyExternalInput(AuxinCheckBox, AuxPortEdit, AuxinCheckBox2, AuxPortEdit2);
        S1->setEnabled(false);
        O1->setEnabled(false);
        E1->setEnabled(false);
        // A discovery started less than 6000 ms ago still serves this page.
        if (Timer2->isActive()) return;
        ResetDeviceTable(Devices);
        StartDiscovery();  // when it cannot start, the page stays without scanning
    } else {
        CopyExternalInput(AuxinCheckBox2, AuxPortEdit2, AuxinCheckBox, AuxPortEdit);
        S1->setEnabled(!Store.DataSaved);
        O1->setEnabled(true);
        E1->setEnabled(true);
    }
}
