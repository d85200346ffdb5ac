#pragma once

#include <QTemporaryDir>
#include <memory>

#include "app/ScriptedPrintPrompts.h"
#include "app/TForm1.h"
#include "bluez/BluezTest.h"
#include "data/Clock.h"
#include "data/OleDate.h"
#include "support/ScriptedPrompts.h"

// Two paired sensors in range, both at the smallest ATT MTU.
inline const QString SensorAddress = QStringLiteral("C0:00:00:00:00:01");
inline const QString SensorName = QStringLiteral("Tq580-123456-789");
inline const QString OtherAddress = QStringLiteral("C0:00:00:00:00:02");
inline const QString OtherName = QStringLiteral("Tq580-654321-000");

// A packet as the sensor frames it: start, escaped bytes, end.
QByteArray Frame(const QByteArray& packet);
// A byte stream cut into notifications of ATT MTU 23 (20 bytes), so that
// frames straddle notifications.
QList<QByteArray> NotificationsOf(const QByteArray& stream);

// The whole program on the real backend over the mocked BlueZ: the main
// window's Start click scans, the connection dialog offers the sensors, the
// window connects, starts them and takes their notifications into the
// records; End stops them.
class WindowOverBluez : public BluezTest {
protected:
    void SetUp() override;
    void TearDown() override;

    QTemporaryDir folder;
    ScriptedPrompts prompts;
    ScriptedPrintPrompts printPrompts{prompts.shown};
    SettableClock clock{*OleDateFromParts({2026, 12, 9, 14, 30, 5, 0})};
    std::unique_ptr<TForm1> window;
};
