#include "export/FileTransaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "export/WholeFileWrite.h"

FileTransaction::~FileTransaction() {
    if (!committed_) Rollback();
}

bool FileTransaction::Fail(const QString& path, const QString& reason) {
    failure_ = QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path), reason);
    return false;
}

bool FileTransaction::MakeFolder(const QString& path) {
    if (!failure_.isEmpty()) return false;
    // Each missing level is made on its own, so a rollback knows what it made.
    QStringList missing;
    for (QFileInfo level(QDir::cleanPath(QFileInfo(path).absoluteFilePath())); !level.exists();
         level = QFileInfo(level.absolutePath())) {
        missing.prepend(level.absoluteFilePath());
        if (level.isRoot()) break;
    }
    for (const QString& folder : missing) {
        if (!QDir().mkdir(folder)) {
            if (QFileInfo(folder).isDir()) continue;  // made meanwhile, by another export: not ours to take back
            const QFileInfo parent(QFileInfo(folder).absolutePath());
            return Fail(folder, parent.isDir() ? QStringLiteral("the folder cannot be made")
                                               : QStringLiteral("%1 is not a folder")
                                                     .arg(QDir::toNativeSeparators(parent.absoluteFilePath())));
        }
        createdFolders_ << folder;
    }
    if (!QFileInfo(path).isDir()) return Fail(path, QStringLiteral("it is not a folder"));
    return true;
}

bool FileTransaction::WriteNew(const QString& path, const QByteArray& bytes) {
    if (!failure_.isEmpty()) return false;
    // A file that appears meanwhile is not replaced, and so never taken back as ours.
    const QString reason = WriteWholeNewFile(path, bytes.constData(), bytes.size());
    if (!reason.isEmpty()) return Fail(path, reason);
    createdFiles_ << path;
    return true;
}

bool FileTransaction::Replace(const QString& path, const QByteArray& bytes) {
    if (!failure_.isEmpty()) return false;
    if (!QFileInfo::exists(path)) return WriteNew(path, bytes);
    QFile old(path);
    if (!old.open(QIODevice::ReadOnly)) return Fail(path, old.errorString());
    const QByteArray oldBytes = old.readAll();
    old.close();
    if (!Write(path, bytes)) return false;
    replaced_.emplace_back(path, oldBytes);
    return true;
}

bool FileTransaction::Write(const QString& path, const QByteArray& bytes) {
    const QString reason = WriteWholeFile(path, bytes.constData(), bytes.size());
    return reason.isEmpty() || Fail(path, reason);
}

void FileTransaction::Rollback() {
    for (auto it = replaced_.rbegin(); it != replaced_.rend(); ++it) {
        WriteWholeFile(it->first, it->second.constData(), it->second.size());
    }
    for (const QString& path : createdFiles_) QFile::remove(path);
    for (auto it = createdFolders_.crbegin(); it != createdFolders_.crend(); ++it) QDir().rmdir(*it);
    replaced_.clear();
    createdFiles_.clear();
    createdFolders_.clear();
    committed_ = true;
}
