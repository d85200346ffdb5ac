#include "app/AnchoredPage.h"
#include "app/TForm1.h"

// Only with both tabs showing can the user switch; a running measurement,
// upload or event log hides the other tab. A change the session refuses
// puts its page back in front.
void TForm1::PageControl1Change() {
    if (!Session.Controls.RealTimeTabVisible || !Session.Controls.StorageTabVisible) return;

    const int page = PageControl1->currentWidget() == TabSheet2 ? 1 : 0;
    if (page == Session.CurrentPage) return;
    if (!Session.PageChanged(page)) {
        const QSignalBlocker quiet(PageControl1);
        PageControl1->setCurrentIndex(Session.CurrentPage);
        return;
    }
    if (page == 1) {
        DrawGrid1->setCurrentCell(DrawGrid1->rowCount() - 1, 0);
        DrawGrid1->scrollToTop();
        CopyExternalInput(AuxinCheckBox, AuxPortEdit, AuxinCheckBox2, AuxPortEdit2);
    } else {
        CopyExternalInput(AuxinCheckBox2, AuxPortEdit2, AuxinCheckBox, AuxPortEdit);
    }
}
