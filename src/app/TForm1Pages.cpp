#include "app/AnchoredPage.h"
#include "app/TForm1.h"

// Only with both tabs showing can the user switch; a running measurement,
// upload or event log hides the other tab.
void TForm1::PageControl1Change() {
    if (!Session.Controls.RealTimeTabVisible || !Session.Controls.StorageTabVisible) return;

    if (PageControl1->currentWidget() == TabSheet2) {
        DrawGrid1->setCurrentCell(DrawGrid1->rowCount() - 1, 0);
        DrawGrid1->scrollToTop();
        CopyExternalInput(AuxinCheckBox, AuxPortEdit, AuxinCheckBox2, AuxPortEdit2);
        Session.PageChanged(1);
    } else {
        CopyExternalInput(AuxinCheckBox2, AuxPortEdit2, AuxinCheckBox, AuxPortEdit);
        Session.PageChanged(0);
    }
}
