#pragma once

#include <QList>
#include <QPair>
#include <QString>

// A classic INI file held in memory in the order of the file: sections in
// square brackets, "key=value" lines. Section and key names compare without
// regard to case, as the format has always done. Comment and malformed lines
// are dropped when the file is written again.
class IniFile {
public:
    // Reads the file; a missing or unreadable file gives an empty document.
    static IniFile Load(const QString& fileName);
    static IniFile Parse(const QString& text);

    // The value, or the default when the section or key is missing.
    QString Value(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    bool Contains(const QString& section, const QString& key) const;

    // Replaces the value in place, or appends the key (and the section).
    void SetValue(const QString& section, const QString& key, const QString& value);

    // Moves the named keys of the section to its front, in the given order,
    // so a file that was edited by hand is written back in the usual order.
    void OrderKeys(const QString& section, const QStringList& keys);

    // Text with CR LF line ends and an empty line between sections.
    QString Text() const;
    // Replaces the file in one step, so a failed write leaves the old file;
    // false, with the system's reason, when it could not.
    bool Save(const QString& fileName, QString* error = nullptr) const;

private:
    struct Section {
        QString name;
        QList<QPair<QString, QString>> entries;
    };
    Section* FindSection(const QString& name);
    const Section* FindSection(const QString& name) const;

    QList<Section> sections_;
};
