#include "network/MarkLine.h"

MarkLine ParseMarkLine(QByteArrayView line) {
    if (line.endsWith('\r')) line.chop(1);
    if (line.size() != 2) return {0, QStringLiteral("bad line")};
    const char kind = line[0];
    const char digit = line[1];
    if ((kind != 'S' && kind != 'E') || digit < '1' || digit > '9') return {0, QStringLiteral("bad line")};
    const int event = digit - '0';
    return {kind == 'S' ? event : -event, {}};
}
