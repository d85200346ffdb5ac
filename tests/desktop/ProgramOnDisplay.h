#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class X11Session;

// The program, copied into a folder of its own so that its settings file
// lies there, run on simulated sensors on a private display.
class ProgramOnDisplay {
public:
    ProgramOnDisplay();
    ~ProgramOnDisplay();

    QString SettingsPath() const { return folder_.filePath(QStringLiteral("tq580.ini")); }
    bool WriteSettings(const QByteArray& text) const;
    // The keys of the file's "Form" section.
    QMap<QString, int> StoredForm() const;

    // Empty when the program runs; otherwise why not.
    QString Start(const X11Session& session);
    // Asks it to end as the desktop does (SIGTERM), and again to answer the
    // reminder it shows then; true when it ended by itself with exit code 0.
    bool Close();
    QString Output();

private:
    QTemporaryDir folder_;
    QProcess process_;
    QByteArray output_;
};
