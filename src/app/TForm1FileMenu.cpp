// The File and Edit menus' commands on the record, handed to the session.
#include "app/TForm1.h"

void TForm1::S1Click() { Session.SaveClicked(); }
void TForm1::O1Click() { Session.OpenClicked(); }
void TForm1::ExportSnirf1Click() { Session.ExportSnirfClicked(); }
void TForm1::ExportBids1Click() { Session.ExportBidsClicked(); }
void TForm1::M1Click() { Session.MergeClicked(); }
void TForm1::C1Click() { Session.ClearInitPointsClicked(); }
void TForm1::ResetButtonClick() { Session.ValueInitializationClicked(); }
