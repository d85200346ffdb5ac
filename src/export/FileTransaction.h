#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// Files written together, or not at all: each file is written completely
// under a temporary name and then renamed into place; Rollback removes the
// files and folders made so far and gives replaced files their old bytes.
// Every call after the first failure does nothing and fails too.
class FileTransaction {
public:
    ~FileTransaction();  // rolls back unless committed
    FileTransaction() = default;
    FileTransaction(const FileTransaction&) = delete;
    FileTransaction& operator=(const FileTransaction&) = delete;

    // Makes the folder and every missing level above it.
    bool MakeFolder(const QString& path);
    // Refuses a path that exists already, also one that appears while the
    // file is written.
    bool WriteNew(const QString& path, const QByteArray& bytes);
    // Writes the file whether or not it exists.
    bool Replace(const QString& path, const QByteArray& bytes);
    void Commit() { committed_ = true; }
    void Rollback();

    QString Failure() const { return failure_; }  // the first failure's reason, with the path

private:
    bool Write(const QString& path, const QByteArray& bytes);
    bool Fail(const QString& path, const QString& reason);

    QStringList createdFiles_;
    QStringList createdFolders_;
    std::vector<std::pair<QString, QByteArray>> replaced_;
    QString failure_;
    bool committed_ = false;
};
