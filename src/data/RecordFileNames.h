#pragma once

#include <QString>
#include <QStringList>

// "<sensor>_<yyyymmdd-hhmmss>", the sensor's name and the measurement's
// start (an OLE date, local time); a '/' of the name becomes '_' so the
// file stays in its folder.
QString RecordFileBaseName(const QString& sensorName, double startTime);

// Creates an empty file in the folder named base + ".csv", or the first of
// base + "_2.csv", "_3.csv", ... that no entry of the folder holds (a
// dangling link included): the name is taken in one step, so a file made
// meanwhile is never replaced. A name whose sibling with one of the
// suffixes of alsoFree is there (".snirf": a file that will be written
// beside the record under its name) counts as taken too. Its path; empty,
// with the reason in error, when no file can be created.
QString ClaimNewRecordFile(const QString& folder, const QString& baseName, QString* error,
                           const QStringList& alsoFree = {});
