#pragma once

#include <QString>

#include "session/ExportChoices.h"

// What the settings file next to the program remembers between runs.
// Every field starts at the value a missing file gives.
struct ProgramSettings {
    // Section "Form": the window's outer position and its size, frame
    // included; -1 = not stored. A maximised window stores the place it
    // returns to, and Maximized.
    int Top = -1;
    int Left = -1;
    int Width = -1;
    int Height = -1;
    bool Maximized = false;

    // Section "Settings".
    int Rate = 1;         // real-time rate index preselected in the connection dialog, 1..5
    int Amplifier = 0;    // item of AmpComboBox
    int Average = 0;      // item of AveComboBox
    int Data = 2;         // item of DataComboBox
    int Rate2 = 0;        // item of the storage page's RateComboBox
    int Data2 = 0;        // item of AdvDataComboBox
    int Arrangement = 1;  // TrendArrangement: 1 vertical, 0 horizontal
    bool Auxin = false;   // "Ext. Input" ticked
    QString Port = QStringLiteral("1");
    QString Device;       // TargetDeviceName
    bool Merge = false;   // "Merge events" ticked
    int UploadParallel = 3;  // uploads at once in "Upload all", 1 to 8

    // Section "Network": the listener for marks sent by stimulus programs.
    bool NetworkEnabled = false;
    QString NetworkAddress = QStringLiteral("127.0.0.1");  // loopback unless changed in the file
    int NetworkPort = 7580;  // 1..65535

    // Section "Export": the SNIRF file beside saved uploads, the subject and
    // the BIDS dataset last used.
    ExportChoices Export;
};

// Reads the file. A missing file or key, a value that is not a number, or an
// index outside its list gives the default of that key alone, so a damaged
// line never leaves a control without a valid selection.
ProgramSettings ReadSettingsFile(const QString& fileName);

// Writes every key in the file's usual order; sections and keys of other
// programs' versions that the file holds are kept after ours. False, with
// the system's reason, when the file could not be written.
bool WriteSettingsFile(const QString& fileName, const ProgramSettings& settings, QString* error = nullptr);

// The settings file of a program: its path with the extension replaced by
// ".ini" (appended when the file name has none). Likewise ".evl".
QString ReplaceExtension(const QString& programFilePath, const QString& extension);
