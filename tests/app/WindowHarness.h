#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <memory>

#include "app/TForm1.h"
#include "data/Clock.h"
#include "support/RecordingCentral.h"
#include "app/ScriptedPrintPrompts.h"
#include "support/ScriptedPrompts.h"

// A central that counts the discoveries asked of it and can refuse them, or
// report that it cannot be used at all.
class CountingCentral : public RecordingCentral {
public:
    QString unusableReason;
    bool refuseDiscovery = false;
    int discoveries = 0;
    int lastTimeout = 0;
    int cancels = 0;

    QString UnusableReason() const override { return unusableReason; }
    bool DiscoverDevices(int timeoutMilliseconds, QString* error) override {
        if (refuseDiscovery) {
            if (error) *error = QStringLiteral("adapter busy");
            return false;
        }
        ++discoveries;
        lastTimeout = timeoutMilliseconds;
        return true;
    }
    void CancelDiscovery() override {
        ++cancels;
        RecordingCentral::CancelDiscovery();
    }
};

// The main window in a temporary folder that stands for the program's own:
// the program file is <folder>/tq580 and the working directory <folder>/work.
class WindowTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    CountingCentral central;
    ScriptedPrompts prompts;
    ScriptedPrintPrompts printPrompts{prompts.shown};
    SettableClock clock{45000.5};
    QList<QUrl> opened;      // documents handed to the desktop
    bool openSucceeds = true;
    std::unique_ptr<TForm1> window;

    QString ProgramPath() const { return folder.filePath(QStringLiteral("tq580")); }
    QString SettingsPath() const { return folder.filePath(QStringLiteral("tq580.ini")); }
    QString WorkingDirectory() const { return folder.filePath(QStringLiteral("work")); }

    // Creates the window and shows it, which reads the settings file.
    TForm1& Show() {
        window.reset();
        window = std::make_unique<TForm1>(TForm1Dependencies{
            central, prompts, printPrompts, clock, ProgramPath(), WorkingDirectory(), [this](const QUrl& url) {
                opened << url;
                return openSucceeds;
            }});
        window->show();
        QCoreApplication::processEvents();
        return *window;
    }

    // Asks the window to close, as the user does; true when it closed.
    bool CloseWindow() {
        prompts.shown.clear();
        return window->close();
    }

    void WriteSettingsText(const QByteArray& text) {
        QFile file(SettingsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray SettingsText() const {
        QFile file(SettingsPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};
