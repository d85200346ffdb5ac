// Switching between the real-time and the storage page.
#include "session/AcquisitionSession.h"
#include "session/Diagnostics.h"

// Only with both tabs showing can the user switch; a running measurement,
// upload or event log hides the other tab. Nothing that works on the
// storage page's table (a remote pass) or on the record (a save) is left
// running under a page change: the change is refused then.
bool AcquisitionSession::PageChanged(int page) {
    FlowInput input(*this, "a page change");
    if (!ClickAllowed("a page change")) return false;
    if (!Controls.RealTimeTabVisible || !Controls.StorageTabVisible || save_.active || remotePass_.active ||
        activity_ != SessionMode::Idle)
        return false;
    CurrentPage = page;
    if (page == 1) {
        Controls.StorageMessage.clear();
        Controls.SaveEnabled = false;
        Controls.OpenEnabled = false;
        Controls.EditEnabled = false;
        view_->Render();
        // A discovery started less than 6000 ms ago still serves this page.
        if (DiscoveryWatchdogRunning) return true;
        ResetDeviceTable(Devices);
        uploadAll_.outcome = {};  // the rows of the last Upload all go with the table
        if (!StartDiscovery()) qCWarning(lcStorage) << "the storage page stays without scanning";
    } else {
        Controls.SaveEnabled = !Store.DataSaved;
        Controls.OpenEnabled = true;
        Controls.EditEnabled = true;
        view_->Render();
    }
    return true;
}
