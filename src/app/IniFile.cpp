#include "app/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>
#include <algorithm>

IniFile IniFile::Load(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return Parse(QString::fromUtf8(file.readAll()));
}

IniFile IniFile::Parse(const QString& text) {
    IniFile ini;
    Section* current = nullptr;
    for (const QString& rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString name = line.mid(1, line.size() - 2).trimmed();
            current = ini.FindSection(name);
            if (!current) {
                ini.sections_.append({name, {}});
                current = &ini.sections_.last();
            }
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!current || equals <= 0) continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        // The first occurrence counts; a later one of the same key is dropped.
        const bool known = std::any_of(current->entries.cbegin(), current->entries.cend(), [&](const auto& entry) {
            return entry.first.compare(key, Qt::CaseInsensitive) == 0;
        });
        if (!known) current->entries.append({key, value});
    }
    return ini;
}

IniFile::Section* IniFile::FindSection(const QString& name) {
    for (auto& section : sections_)
        if (section.name.compare(name, Qt::CaseInsensitive) == 0) return &section;
    return nullptr;
}

const IniFile::Section* IniFile::FindSection(const QString& name) const {
    for (const auto& section : sections_)
        if (section.name.compare(name, Qt::CaseInsensitive) == 0) return &section;
    return nullptr;
}

QString IniFile::Value(const QString& section, const QString& key, const QString& defaultValue) const {
    if (const Section* found = FindSection(section))
        for (const auto& entry : found->entries)
            if (entry.first.compare(key, Qt::CaseInsensitive) == 0) return entry.second;
    return defaultValue;
}

bool IniFile::Contains(const QString& section, const QString& key) const {
    if (const Section* found = FindSection(section))
        for (const auto& entry : found->entries)
            if (entry.first.compare(key, Qt::CaseInsensitive) == 0) return true;
    return false;
}

void IniFile::SetValue(const QString& section, const QString& key, const QString& value) {
    Section* found = FindSection(section);
    if (!found) {
        sections_.append({section, {}});
        found = &sections_.last();
    }
    for (auto& entry : found->entries) {
        if (entry.first.compare(key, Qt::CaseInsensitive) == 0) {
            entry = {key, value};
            return;
        }
    }
    found->entries.append({key, value});
}

void IniFile::OrderKeys(const QString& section, const QStringList& keys) {
    Section* found = FindSection(section);
    if (!found) return;
    QList<QPair<QString, QString>> ordered;
    for (const QString& key : keys) {
        for (qsizetype i = 0; i < found->entries.size(); ++i) {
            if (found->entries[i].first.compare(key, Qt::CaseInsensitive) == 0) {
                ordered.append(found->entries.takeAt(i));
                break;
            }
        }
    }
    ordered.append(found->entries);
    found->entries = ordered;
}

QString IniFile::Text() const {
    QString text;
    for (qsizetype i = 0; i < sections_.size(); ++i) {
        if (i > 0) text += QStringLiteral("\r\n");
        text += QLatin1Char('[') + sections_[i].name + QStringLiteral("]\r\n");
        for (const auto& entry : sections_[i].entries)
            text += entry.first + QLatin1Char('=') + entry.second + QStringLiteral("\r\n");
    }
    return text;
}

bool IniFile::Save(const QString& fileName, QString* error) const {
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly) && file.write(Text().toUtf8()) >= 0 && file.commit()) return true;
    if (error) *error = file.errorString();
    return false;
}
