#include "app/QtPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>

#include "app/BidsExportDialog.h"
#include "app/ConnectionDialog.h"
#include "session/StringTable.h"
#include "app/TForm2.h"

namespace {

const QString CsvFilter = QStringLiteral("csv file (*.csv)");

QMessageBox::StandardButton Ask(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons) {
    QApplication::beep();
    QMessageBox box(QMessageBox::Warning, CautionCaption, text, buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void QtPrompts::Error(const QString& text) {
    QApplication::beep();
    QMessageBox box(QMessageBox::Critical, ErrorCaption, text, QMessageBox::Ok, parent_);
    box.exec();
}

void QtPrompts::Notice(const QString& text) {
    QApplication::beep();
    QMessageBox box(QMessageBox::NoIcon, AppCaption, text, QMessageBox::Ok, parent_);
    box.exec();
}

bool QtPrompts::AskYesNo(const QString& text) {
    return Ask(parent_, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool QtPrompts::AskOkCancel(const QString& text) {
    return Ask(parent_, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

QString QtPrompts::SaveFileName(const QString& initialFolder, const QString& suggestedName) {
    QFileDialog dialog(parent_, QString(), QDir(initialFolder).filePath(suggestedName), CsvFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

QString QtPrompts::SnirfFileName(const QString& initialFolder, const QString& suggestedName) {
    QFileDialog dialog(parent_, QString(), QDir(initialFolder).filePath(suggestedName),
                       QStringLiteral("SNIRF file (*.snirf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("snirf"));
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtPrompts::AskText(const QString& question, const QString& initialText) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(AppCaption);
    dialog.setLabelText(question);
    dialog.setTextValue(initialText);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue();
}

std::optional<BidsExportChoice> QtPrompts::BidsExportSettings(const BidsExportChoice& initial) {
    BidsExportDialog dialog(parent_, initial);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Choice();
}

QString QtPrompts::OpenFileName(const QString& initialFolder) {
    QFileDialog dialog(parent_, QString(), initialFolder, CsvFilter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

std::optional<ConnectionChoice> QtPrompts::ConnectionSettings(const ConnectionOffer& offer) {
    if (!connectionDialog_) return std::nullopt;
    FillConnectionDialog(*connectionDialog_, offer);
    if (connectionDialog_->exec() != QDialog::Accepted) return std::nullopt;
    return ReadConnectionDialog(*connectionDialog_);
}

void QtPrompts::PrintSetup(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent_);
    dialog.exec();
}

bool QtPrompts::Print(QPrinter& printer) {
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}
