#pragma once

#include <QString>
#include <QStringList>

#include "data/CsvOpenFlow.h"
#include "data/CsvSaveFlow.h"
#include "serial/ExternalInputPort.h"

// The program's user-visible texts, in one place so their wording stays
// consistent across the windows that show them.

inline const QString AppCaption = QStringLiteral("Tq580");
inline const QString ProgramVersion = QStringLiteral("1.0.7.0");
inline const QString HelpFileName = QStringLiteral("Tq580_win_en.pdf");

inline const QString ErrorCaption = QStringLiteral("ERROR");
inline const QString CautionCaption = QStringLiteral("CAUTION");

inline const QString MsgDisconnectToTerminate = QStringLiteral("Disconnect from the device to terminate the program.");
inline const QString MsgExitDuringUpload =
    QStringLiteral("An upload is running. Do you want to cancel it and exit? The sensor keeps its data.");
inline const QString MsgExitDuringEventLog =
    QStringLiteral("The event log is running. Do you want to exit? Marks are no longer logged; the sensors keep logging.");
inline const QString MsgExitWithoutSaving = QStringLiteral("Do you want to exit without saving the data?");
inline const QString MsgTurnOffDevice = QStringLiteral("Please remember to turn off the device.");
inline const QString MsgSaveSlow =
    QStringLiteral("%1 is still being written: the disk does not answer. The program waits for it; the record "
                   "stays in memory.");
inline const QString MsgWaitForSave =
    QStringLiteral("The record is being saved. Please wait until it is written before you exit.");
inline const QString MsgHelpFileNotFound = QStringLiteral("Help file not found.");
// The wording the program has always shown, misspelling included.
inline const QString MsgClearInitPoints = QStringLiteral("All inserted initialization points will be eraed.");
inline const QString MsgPrintFailed = QStringLiteral("Unable to print.");
inline const QString MsgSettingsNotWritten =
    QStringLiteral("The settings could not be written to %1:\n%2\nThe window's place and your choices are not kept.");
inline const QString PrintFileName = QStringLiteral("Tq580.pdf");

// Texts of the combo boxes.
inline const QStringList AmplifierItems = {"x0.5", "x1.0", "x2.0", "x4.0", "x8.0"};
inline const QStringList AveragingItems = {"none", "3 points", "5 points", "7 points", "9 points", "11 points"};
inline const QStringList DisplayItems = {"OXHb", "DxHb", "TOHb"};
inline const QStringList StorageDisplayItems = {"STO2", "OXHb", "DXHb", "TOHb"};

// Real-time measurement.
inline const QString MsgDiscardUnsavedData = QString::fromLatin1(DiscardQuestionText);
inline const QString MsgConnecting = QStringLiteral("Connecting...");
inline const QString MsgUnableToConnect = QStringLiteral("Unable to connect to %1.");
inline const QString MsgUnableToOpenPort = QString::fromLatin1(UnableToOpenExternalInputText);
inline const QString MsgNoExternalInputPort = QString::fromLatin1(NoExternalInputPortText);
inline const QString MsgCreatedSuffix = QString::fromLatin1(CreatedText);
inline const QString HintConnect = QStringLiteral("Connect to the device.");
inline const QString HintDisconnect = QStringLiteral("Disconnect from the device.");
inline const QString MsgReconnecting = QStringLiteral("Link lost; reconnecting...");
inline const QString MsgReconnected = QStringLiteral("Measuring... (reconnected after %1 s without data)");
inline const QString MsgSensorCheckReconnected =
    QStringLiteral("Checking sensors... (reconnected after %1 s without data)");
inline const QString MsgEventMarksFull =
    QStringLiteral("This record holds %1 event marks, as many as it can keep. Further marks are written to the "
                   "event log file only.");
inline const QString MsgEventLogNotWritten =
    QStringLiteral("The event mark could not be written to the event log file:\n%1\n"
                   "The mark is kept and written as soon as the file can be written again.");

// Storage mode.
inline const QString MsgUnuploadedDataLost = QStringLiteral("Unuploaded data will be lost.");
inline const QString MsgProcessing = QStringLiteral("Processing...");
inline const QString MsgRemoteOffNotSent =
    QStringLiteral("The sensors that log were not switched off: the scan for them could not start. Check the "
                   "Bluetooth adapter; the sensors keep logging until they are switched off.");
inline const QString MsgExitBeforeRemoteOff =
    QStringLiteral("The sensors that log are about to be switched off. Do you want to exit? They then keep logging.");
inline const QString HintStartEventLog = QStringLiteral("Start event log.");
inline const QString HintFinishEventLog = QStringLiteral("Finish event log.");
inline const QString MsgMergeQuestion = QStringLiteral("This will merge all event information in the event log on this PC.");
inline const QString MsgMergedCount = QStringLiteral("%1 event information has been merged.");
inline const QString MsgEventLogUnreadable =
    QStringLiteral("The event log file could not be read:\n%1\nThe record's event marks were left as they were.");
inline const QString MsgUploadWaitsForScan = QStringLiteral("Looking for %1 to upload its storage data...");
inline const QString MsgUploadScanTimedOut =
    QStringLiteral("The upload from %1 did not start: no scan for sensors ended. Check the Bluetooth adapter and "
                   "try again.");
inline const QString MsgUploadScanNotStarted =
    QStringLiteral("The upload from %1 did not start: the scan for sensors could not start. Check the Bluetooth "
                   "adapter and try again.");
inline const QString MsgUploading = QStringLiteral("Uploading storage data...");
inline const QString MsgUploadCompleted = QStringLiteral("Storage data upload completed.");
inline const QString MsgUploadAborted = QStringLiteral("Storage data upload aborted.");
inline const QString MsgUploadLinkLost = QStringLiteral("The link to %1 was lost. The sensor keeps its data.");
inline const QString MsgUploadCommunicationError = QStringLiteral("Canceled due to communication error.");
inline const QString MsgNoDataRecorded = QStringLiteral("No data recorded.");

// Upload all.
inline const QString MsgUploadAllNothing = QStringLiteral("No paired sensor waits with stored samples: nothing to upload.");
inline const QString MsgUploadAllScanTimedOut =
    QStringLiteral("Upload all did not start: no scan for sensors ended. Check the Bluetooth adapter and try again.");
inline const QString MsgUploadAllScanNotStarted =
    QStringLiteral("Upload all did not start: the scan for sensors could not start. Check the Bluetooth adapter and "
                   "try again.");
inline const QString MsgUploadAllCalledOff = QStringLiteral("Upload all was stopped before the scan for sensors ended.");
inline const QString MsgUploadAllSaved = QStringLiteral("%1 of %2 stored records saved in %3");
inline const QString MsgUploadAllWithSnirf = QStringLiteral(", each with its SNIRF file beside it");
inline const QString MsgUploadAllNotSaved = QStringLiteral("Not saved; each of these sensors keeps its log:");
inline const QString MsgUploadAllNoData = QStringLiteral("No samples to upload: %1.");
inline const QString MsgUploadAllNotMerged =
    QStringLiteral("The event log could not be read (%1): the records hold none of its marks.");
inline const QString MsgExitDuringUploadAll =
    QStringLiteral("Upload all is running. Do you want to stop it and exit? The sensors not saved yet keep their data.");
// Why one sensor of Upload all was not saved.
inline const QString ReasonNotInScan = QStringLiteral("not found in the last scan");
inline const QString ReasonNoLink = QStringLiteral("its link did not come up");
inline const QString ReasonLinkLost = QStringLiteral("its link was lost");
inline const QString ReasonSilent = QStringLiteral("it sent nothing for 10 s");
inline const QString ReasonBadHeader = QStringLiteral("it sent no valid upload header");
inline const QString ReasonSamplesLost = QStringLiteral("samples were lost on the way");
inline const QString ReasonCancelled = QStringLiteral("stopped by Cancel");
inline const QString ReasonRecordNotWritten = QStringLiteral("the record file could not be written: %1");
inline const QString ReasonSnirfNotWritten = QStringLiteral("%1 was written, but not %2 (%3)");
inline const QString ReasonNotCleared = QStringLiteral("its link went before its log was cleared: it keeps its log");

// The crash journal.
inline const QString MsgJournalNotWritten =
    QStringLiteral("The crash journal could not be written:\n%1\n"
                   "The record is kept in memory and saved as usual, but a crash now would lose it. "
                   "The program keeps trying.");
inline const QString MsgRecordRecovered =
    QStringLiteral("The program ended before the last record was saved. It was recovered to:\n%1");
inline const QString MsgRecordsRecovered =
    QStringLiteral("The program ended before %1 records were saved. They were recovered to:\n%2\n"
                   "The last one is opened.");
inline const QString MsgRecordRecoveredPart =
    QStringLiteral("Part of its crash journal was damaged; the record holds the %1 samples before the damage. "
                   "The journal was kept as:\n%2");
inline const QString MsgJournalUnreadable =
    QStringLiteral("A crash journal could not be read (%1). It was kept as:\n%2");
inline const QString MsgJournalNotRecovered =
    QStringLiteral("A crash journal could not be recovered (%1). It stays for the next start:\n%2");

// Marks bound for the event log file.
inline const QString MsgPendingMarksWritten =
    QStringLiteral("Event marks that the event log file had not taken when the program ended were written to it: %1.");
inline const QString MsgPendingMarksLeft =
    QStringLiteral("Event marks that the event log file had not taken when the program ended could not be written "
                   "to it (%2): %1. They are kept for the next start in:\n%3");
inline const QString MsgExitWithPendingMarks =
    QStringLiteral("Event marks not yet in the event log file: %1. The file cannot be written now; the marks are kept "
                   "and written to it when the program starts again. Do you want to exit?");
inline const QString MsgExitLosingMarks =
    QStringLiteral("Event marks not yet in the event log file: %1. The file cannot be written now, and the marks could "
                   "not be kept on disk either: they are lost if you exit now. Do you want to exit?");
