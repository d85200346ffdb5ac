#pragma once

#include <QByteArrayView>
#include <QString>

// One line of the network mark protocol, without its LF: "S<n>" starts
// event n, "E<n>" ends it, n from 1 to 9; a CR before the LF is allowed.
struct MarkLine {
    int event = 0;  // +n started, -n ended; 0 when the line is no mark
    QString error;  // why the line is no mark; empty for a mark
};

MarkLine ParseMarkLine(QByteArrayView line);
