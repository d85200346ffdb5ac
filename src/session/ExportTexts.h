#pragma once

#include <QString>

// The texts of the SNIRF and BIDS exports.

inline const QString MsgSnirfSubjectQuestion =
    QStringLiteral("Subject of the record (written as SubjectID; empty for \"unknown\"):");
inline const QString MsgSnirfBesideExists =
    QStringLiteral("%1 exists beside the record. Do you want to overwrite it with this record's raw intensities?");
inline const QString MsgSnirfBesideNotWritten =
    QStringLiteral("Unable to write %1 (%2).\n%3 is saved, without the raw intensities.");
inline const QString MsgSensorKeepsLog = QStringLiteral(" The sensor keeps its log.");
inline const QString FilesJoint = QStringLiteral(" and ");

// "a.csv", "a.csv and b.csv", "a.csv, b.csv and c.csv".
inline QString ListOfNames(QStringList names) {
    if (names.size() <= 2) return names.join(FilesJoint);
    const QString last = names.takeLast();
    return names.join(QStringLiteral(", ")) + FilesJoint + last;
}
inline const QString MsgBidsNotExported = QStringLiteral("Unable to export the record to the BIDS dataset: %1.");
inline const QString MsgBidsExported = QStringLiteral("%1 written to the BIDS dataset %2.");
