#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <memory>

#include "app/TForm1.h"
#include "app/TForm2.h"
#include "data/Clock.h"
#include "data/OleDate.h"
#include "sim/SimulatedCentral.h"
#include "support/ObservedCentral.h"
#include "app/ScriptedPrintPrompts.h"
#include "support/ScriptedPrompts.h"

// The main window on simulated sensors, in a temporary folder, with
// scripted prompts and one clock for the window and the sensors. Time moves
// only when the test advances it; the window's timers then fire by that
// clock, not by the wall clock.
class SimulatedWindowTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    std::shared_ptr<SettableClock> clock =
        std::make_shared<SettableClock>(*OleDateFromParts({2026, 12, 10, 9, 59, 58, 0}));
    std::unique_ptr<SimulatedCentral> simulator;
    std::unique_ptr<ObservedCentral> central;
    ScriptedPrompts prompts;
    ScriptedPrintPrompts printPrompts{prompts.shown};
    std::unique_ptr<TForm1> window;

    int64_t elapsedMilliseconds = 0;
    int64_t nextTimer1 = 500;
    int64_t timer2StartedAt = -1;
    bool timer1Running = false;

    static constexpr int StepMilliseconds = 10;

    QString ProgramPath() const { return folder.filePath(QStringLiteral("tq580")); }
    QString EventLogPath() const { return folder.filePath(QStringLiteral("tq580.evl")); }
    QString DataFolder() const { return folder.filePath(QStringLiteral("work/Data")); }

    TForm1& Start(QList<SimulatedSensorSpec> sensors = DefaultSensors(6)) {
        SimulationOptions options;
        options.sensors = std::move(sensors);
        options.tickIntervalMilliseconds = 0;
        options.clock = clock;
        simulator = CreateSimulatedCentral(options);
        central = std::make_unique<ObservedCentral>(*simulator);
        window = std::make_unique<TForm1>(TForm1Dependencies{*central, prompts, printPrompts, *clock, ProgramPath(),
                                                             folder.filePath(QStringLiteral("work")),
                                                             [](const QUrl&) { return true; }});
        // The test's clock drives both timers.
        window->Timer1->stop();
        window->Timer2->setInterval(24 * 3600 * 1000);
        window->show();
        QCoreApplication::processEvents();
        return *window;
    }

    // Moves time on in small steps: the sensors run, queued events are
    // delivered and the timers fire when their time has come.
    void Advance(int64_t milliseconds) {
        for (int64_t done = 0; done < milliseconds; done += StepMilliseconds) {
            clock->AdvanceMilliseconds(StepMilliseconds);
            elapsedMilliseconds += StepMilliseconds;
            simulator->Tick();
            QCoreApplication::processEvents();
            FireTimers();
        }
    }

    // Advances until the condition holds, or gives up after the limit.
    bool AdvanceUntil(const std::function<bool()>& condition, int64_t limitMilliseconds) {
        for (int64_t waited = 0; waited <= limitMilliseconds; waited += StepMilliseconds) {
            if (condition()) return true;
            Advance(StepMilliseconds);
        }
        return false;
    }

    void FireTimers() {
        if (!window->Timer2->isActive()) timer2StartedAt = -1;
        else if (timer2StartedAt < 0) timer2StartedAt = elapsedMilliseconds;
        else if (elapsedMilliseconds - timer2StartedAt >= 6000) {
            timer2StartedAt = -1;
            window->Timer2Timer();
            QCoreApplication::processEvents();
        }
        // A timer does not fire again while its own handler runs (a message
        // box opened inside it runs the event loop); it fires once after.
        if (elapsedMilliseconds >= nextTimer1 && !timer1Running) {
            nextTimer1 = std::max(nextTimer1 + 500, elapsedMilliseconds - elapsedMilliseconds % 500 + 500);
            timer1Running = true;
            window->Timer1Timer();
            timer1Running = false;
            // The disk is instant here: what the tick handed to the writer
            // thread is on disk before the test looks.
            window->Session.SettleDiskWrites();
        }
    }

    // Answers the next connection dialog with OK on this sensor and rate
    // item (0 is "0.1sec"), recording what the dialog offered.
    QStringList offered;
    QString preselected;
    void ChooseInDialog(const QString& name, int rateItem = 0, bool checkSensors = false) {
        prompts.connectionAnswers.push_back([=, this](const ConnectionOffer& offer) -> std::optional<ConnectionChoice> {
            offered = offer.deviceNames;
            preselected = offer.preselected >= 0 ? offer.deviceNames.value(offer.preselected) : QString();
            if (!offer.deviceNames.contains(name)) return std::nullopt;
            return ConnectionChoice{name, rateItem, checkSensors};
        });
    }

    // Clicks "Start" and lets the scan run to the dialog and the connection.
    void StartMeasurementOn(const QString& name, int rateItem = 0, bool checkSensors = false) {
        ChooseInDialog(name, rateItem, checkSensors);
        window->ConnectButton->click();
        Advance(5500);
    }
};
