#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <utility>

// The tab-separated tables of a dataset that runs add rows to
// (participants.tsv, the scans files), which other tools and people edit
// too: their columns may come in any order, and more may be there.

// One value per column, by the column's name.
using TableRow = QList<std::pair<QString, QString>>;

// The table with one more row: each value under the column of its name,
// "n/a" under the others. A column the table lacks is added at its end, "n/a"
// in the rows before. A new (empty) table gets the row's names as its header.
// The table's own line ends are kept.
QByteArray WithRow(const QByteArray& table, const TableRow& row);

// The values in the column of that name, the header left out; none when the
// table has no such column.
QStringList ColumnValues(const QByteArray& table, const QString& column);
