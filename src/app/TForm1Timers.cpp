#include "app/TForm1.h"
#include "link/BleCentral.h"

void TForm1::StartDiscoveryWatchdog() {
    if (!Timer2->isActive()) Timer2->start();
}

// A discovery that overran its time is cut short; its end event follows.
void TForm1::Timer2Timer() {
    Timer2->stop();
    central_.CancelDiscovery();
}
