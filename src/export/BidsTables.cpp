#include "export/BidsTables.h"

#include <algorithm>

namespace {

constexpr const char* NotKnown = "n/a";

struct Lines {
    QList<QStringList> rows;  // the header first
    QByteArray end = "\n";
};

// The table's lines as fields; a last line without its end counts as well.
Lines Split(const QByteArray& table) {
    Lines lines;
    if (table.contains("\r\n")) lines.end = "\r\n";
    for (QByteArray line : table.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (!line.isEmpty()) lines.rows.append(QString::fromUtf8(line).split(u'\t'));
    }
    return lines;
}

QByteArray Join(const Lines& lines) {
    QByteArray bytes;
    for (const QStringList& row : lines.rows) bytes += row.join(u'\t').toUtf8() + lines.end;
    return bytes;
}

}  // namespace

QByteArray WithRow(const QByteArray& table, const TableRow& row) {
    Lines lines = Split(table);
    if (lines.rows.isEmpty()) lines.rows.append(QStringList());
    QStringList& header = lines.rows.first();
    const bool added = std::any_of(row.begin(), row.end(), [&header](const auto& cell) {
        return !header.contains(cell.first);
    });
    for (const auto& [column, value] : row)
        if (!header.contains(column)) header.append(column);
    QStringList values(header.size(), QString::fromLatin1(NotKnown));
    for (const auto& [column, value] : row) values[header.indexOf(column)] = value;
    // Only a new column makes the rows before change; otherwise they stay byte for byte.
    if (!added && !table.isEmpty()) {
        QByteArray bytes = table;
        if (!bytes.endsWith('\n')) bytes += lines.end;
        return bytes + values.join(u'\t').toUtf8() + lines.end;
    }
    for (qsizetype r = 1; r < lines.rows.size(); ++r)
        while (lines.rows[r].size() < header.size()) lines.rows[r].append(QString::fromLatin1(NotKnown));
    lines.rows.append(values);
    return Join(lines);
}

QStringList ColumnValues(const QByteArray& table, const QString& column) {
    const Lines lines = Split(table);
    QStringList values;
    if (lines.rows.isEmpty()) return values;
    const qsizetype at = lines.rows.first().indexOf(column);
    if (at < 0) return values;
    for (qsizetype r = 1; r < lines.rows.size(); ++r)
        if (at < lines.rows[r].size()) values << lines.rows[r][at].trimmed();
    return values;
}
