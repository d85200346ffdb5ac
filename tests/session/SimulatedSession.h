#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <memory>

#include "data/Clock.h"
#include "data/OleDate.h"
#include "session/AcquisitionSession.h"
#include "session/RecordingView.h"
#include "session/StringTable.h"
#include "sim/SimulatedCentral.h"
#include "support/ObservedCentral.h"
#include "support/ScriptedPrompts.h"

// The acquisition session on simulated sensors, in a temporary folder, with
// scripted prompts, a recording view and one clock for the session and the
// sensors. Time moves only when the test advances it; the supervision tick
// (every 500 ms) and the discovery watchdog (6000 ms after the view was
// asked to start it) then come by that clock, as the window's timers would.
class SimulatedSessionTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    std::shared_ptr<SettableClock> clock =
        std::make_shared<SettableClock>(*OleDateFromParts({2026, 12, 10, 9, 59, 58, 0}));
    std::unique_ptr<SimulatedCentral> simulator;
    std::unique_ptr<ObservedCentral> central;
    ScriptedPrompts prompts;
    RecordingView view;
    std::unique_ptr<AcquisitionSession> session;

    // The disk under the session's writer thread; empty: fdatasync.
    SyncFunction syncFile;
    // After each tick, wait for the writer thread as if the disk were
    // instant, so what a tick wrote is on disk when the test looks.
    bool settleDiskWritesEachTick = true;

    int64_t elapsedMilliseconds = 0;
    int64_t nextSupervisionTick = 500;
    int64_t watchdogStartedAt = -1;  // -1: not running
    bool supervisionTickRunning = false;

    static constexpr int StepMilliseconds = 10;

    QString EventLogPath() const { return folder.filePath(QStringLiteral("tq580.evl")); }
    QString DataFolder() const { return folder.filePath(QStringLiteral("work/Data")); }

    // Ext. Input ports that refuse a start, each with what the user is told.
    QList<std::pair<QString, QString>> RefusedExternalInputPorts() const {
        return {{folder.filePath(QStringLiteral("no-such-port")), MsgUnableToOpenPort},
                {QString(), MsgNoExternalInputPort},
                {QStringLiteral("0"), MsgNoExternalInputPort}};
    }

    AcquisitionSession& Start(QList<SimulatedSensorSpec> sensors = DefaultSensors(6)) {
        SimulationOptions options;
        options.sensors = std::move(sensors);
        options.tickIntervalMilliseconds = 0;
        options.clock = clock;
        simulator = CreateSimulatedCentral(options);
        central = std::make_unique<ObservedCentral>(*simulator);
        session = std::make_unique<AcquisitionSession>(SessionDependencies{
            *central, prompts, *clock, EventLogPath(), DataFolder(), syncFile});
        AcquisitionSession* s = session.get();
        QObject::connect(central.get(), &BleCentral::DiscoverLEDevice, s, &AcquisitionSession::DeviceDiscovered);
        QObject::connect(central.get(), &BleCentral::EndDiscoverDevices, s, &AcquisitionSession::DiscoveryEnded);
        QObject::connect(central.get(), &BleCentral::Connected, s, &AcquisitionSession::DeviceConnected);
        QObject::connect(central.get(), &BleCentral::Disconnected, s, &AcquisitionSession::DeviceDisconnected);
        QObject::connect(central.get(), &BleCentral::CharacteristicRead, s,
                         &AcquisitionSession::CharacteristicChanged);
        // A watchdog that runs is not started again, as a running single-shot timer.
        view.onWatchdogStart = [this] {
            if (watchdogStartedAt < 0) watchdogStartedAt = elapsedMilliseconds;
        };
        view.session = s;
        s->SetView(&view);
        return *s;
    }

    void TearDown() override {
        if (session) session->SetView(nullptr);
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
        if (watchdogStartedAt >= 0 && elapsedMilliseconds - watchdogStartedAt >= 6000) {
            watchdogStartedAt = -1;
            session->DiscoveryWatchdogExpired();
            QCoreApplication::processEvents();
        }
        // A timer does not fire again while its own handler runs (a message
        // box opened inside it runs the event loop); it fires once after.
        if (elapsedMilliseconds >= nextSupervisionTick && !supervisionTickRunning) {
            nextSupervisionTick = std::max(nextSupervisionTick + 500, elapsedMilliseconds - elapsedMilliseconds % 500 + 500);
            supervisionTickRunning = true;
            session->SupervisionTick();
            supervisionTickRunning = false;
            if (settleDiskWritesEachTick) session->SettleDiskWrites();
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
        session->ConnectButtonClicked();
        Advance(5500);
    }

    // The row of the storage page's grid that shows this sensor (1 is the first).
    int RowOf(const QString& name) const {
        for (int i = 0; i < DeviceTableSize; ++i)
            if (session->Devices[i].id == name) return i + 1;
        return -1;
    }

    // The modes the window was shown since the last call.
    QStringList TakeRenderedModes() {
        QStringList modes = view.renderedModes;
        view.renderedModes.clear();
        return modes;
    }
};
