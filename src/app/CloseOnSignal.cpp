#include "app/CloseOnSignal.h"

#include <QApplication>
#include <QWidget>

#include "app/TerminationSignals.h"

void CloseOnTerminationSignals(QWidget& window) {
    OnTerminationSignals(window, [&window] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        else window.close();
    });
}
