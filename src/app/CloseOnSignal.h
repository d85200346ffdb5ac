#pragma once

class QWidget;

// SIGTERM and SIGINT close the window as the user would, so the settings are
// written and a measurement is asked about, rather than ending the process
// at once (a session logging out, a service manager, Ctrl+C in a terminal).
// While the program shows a message or question, a signal answers it as
// Escape would: a notice is acknowledged, a question gets No or Cancel.
void CloseOnTerminationSignals(QWidget& window);
