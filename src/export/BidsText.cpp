#include "export/BidsText.h"

#include <QJsonDocument>

QByteArray JsonFile(const QJsonObject& object) { return QJsonDocument(object).toJson(QJsonDocument::Indented); }

QByteArray TsvFile(const QList<QStringList>& rows) {
    QByteArray bytes;
    for (const QStringList& row : rows) bytes += row.join(u'\t').toUtf8() + '\n';
    return bytes;
}
