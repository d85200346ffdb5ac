#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QStringList>

// The forms of a dataset's small files: indented JSON, and tab-separated
// rows each ended by a line feed.
QByteArray JsonFile(const QJsonObject& object);
QByteArray TsvFile(const QList<QStringList>& rows);

// What BIDS writes where a value is not known or does not apply.
constexpr const char* NotKnown = "n/a";
