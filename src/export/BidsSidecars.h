#pragma once

#include <QByteArray>
#include <QString>

struct SampleStore;

// The program that writes the dataset, for GeneratedBy and SoftwareVersions.
struct BidsSoftware {
    QString name;
    QString version;
};

// The files' contents. The record must be one the SNIRF export accepts.
QByteArray NirsSidecar(const SampleStore& store, const QString& task, const BidsSoftware& software);
QByteArray OptodesTable();
QByteArray CoordinateSystemSidecar();
QByteArray DatasetDescription(const QString& name, const BidsSoftware& software);
QByteArray DatasetReadme(const BidsSoftware& software);
QByteArray ParticipantsSidecar();
// "yyyy-MM-ddTHH:mm:ss", with ".zzz" when the start has milliseconds: the
// record's start as the PC's clock told it.
QString AcquisitionTime(double localStartTime);
