#pragma once

#include <QString>
#include <QStringList>

// The program's user-visible texts, in one place so their wording stays
// consistent across the windows that show them.

inline const QString AppCaption = QStringLiteral("Tq580");
inline const QString ProgramVersion = QStringLiteral("1.0.7.0");
inline const QString HelpFileName = QStringLiteral("Tq580_win_en.pdf");

inline const QString ErrorCaption = QStringLiteral("ERROR");
inline const QString CautionCaption = QStringLiteral("CAUTION");

inline const QString MsgDisconnectToTerminate = QStringLiteral("Disconnect from the device to terminate the program.");
inline const QString MsgExitWithoutSaving = QStringLiteral("Do you want to exit without saving the data?");
inline const QString MsgTurnOffDevice = QStringLiteral("Please remember to turn off the device.");
inline const QString MsgHelpFileNotFound = QStringLiteral("Help file not found.");
// The wording the program has always shown, misspelling included.
inline const QString MsgClearInitPoints = QStringLiteral("All inserted initialization points will be eraed.");
inline const QString MsgPrintFailed = QStringLiteral("Unable to print.");
inline const QString PrintFileName = QStringLiteral("Tq580.pdf");

// Texts of the combo boxes.
inline const QStringList AmplifierItems = {"x0.5", "x1.0", "x2.0", "x4.0", "x8.0"};
inline const QStringList AveragingItems = {"none", "3 points", "5 points", "7 points", "9 points", "11 points"};
inline const QStringList DisplayItems = {"OXHb", "DxHb", "TOHb"};
inline const QStringList StorageDisplayItems = {"STO2", "OXHb", "DXHb", "TOHb"};
