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
#include "app/TForm2.h"
#include "session/StringTable.h"

namespace {

const QString CsvFilter = QStringLiteral("csv file (*.csv)");

// Shows the dialog modal over the program and returns; it deletes itself
// once closed, after `closed` had it (with what exec() would have returned).
template <typename Dialog>
void OpenModal(Dialog* dialog, std::function<void(Dialog&, int result)> closed) {
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    QObject::connect(dialog, &QDialog::finished, dialog,
                     [dialog, closed = std::move(closed)](int result) { closed(*dialog, result); });
    dialog->show();
}

QMessageBox* Box(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text,
                 QMessageBox::StandardButtons buttons) {
    QApplication::beep();
    return new QMessageBox(icon, caption, text, buttons, parent);
}

void Ask(QWidget* parent, const QString& text, QMessageBox::StandardButtons buttons, QMessageBox::StandardButton yes,
         Answered<bool> answered) {
    OpenModal<QMessageBox>(Box(parent, QMessageBox::Warning, CautionCaption, text, buttons),
                           [yes, answered = std::move(answered)](QMessageBox&, int result) { answered(result == yes); });
}

void AskFileName(QFileDialog* dialog, Answered<QString> answered) {
    OpenModal<QFileDialog>(dialog, [answered = std::move(answered)](QFileDialog& closed, int result) {
        const QStringList files = closed.selectedFiles();
        answered(result == QDialog::Accepted && !files.isEmpty() ? files.constFirst() : QString());
    });
}

QFileDialog* SaveDialog(QWidget* parent, const QString& initialFolder, const QString& suggestedName,
                        const QString& filter, const QString& suffix) {
    auto* dialog = new QFileDialog(parent, QString(), QDir(initialFolder).filePath(suggestedName), filter);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(suffix);
    dialog->setOption(QFileDialog::DontConfirmOverwrite);
    return dialog;
}

}  // namespace

void QtPrompts::Error(const QString& text) {
    OpenModal<QMessageBox>(Box(parent_, QMessageBox::Critical, ErrorCaption, text, QMessageBox::Ok),
                           [](QMessageBox&, int) {});
}

void QtPrompts::Notice(const QString& text) {
    OpenModal<QMessageBox>(Box(parent_, QMessageBox::NoIcon, AppCaption, text, QMessageBox::Ok),
                           [](QMessageBox&, int) {});
}

void QtPrompts::Acknowledge(const QString& text, Answered<bool> answered) {
    OpenModal<QMessageBox>(Box(parent_, QMessageBox::NoIcon, AppCaption, text, QMessageBox::Ok),
                           [answered = std::move(answered)](QMessageBox&, int) { answered(true); });
}

void QtPrompts::AskYesNo(const QString& text, Answered<bool> answered) {
    Ask(parent_, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, std::move(answered));
}

void QtPrompts::AskOkCancel(const QString& text, Answered<bool> answered) {
    Ask(parent_, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, std::move(answered));
}

void QtPrompts::SaveFileName(const QString& initialFolder, const QString& suggestedName, Answered<QString> answered) {
    AskFileName(SaveDialog(parent_, initialFolder, suggestedName, CsvFilter, QStringLiteral("csv")),
                std::move(answered));
}

void QtPrompts::SnirfFileName(const QString& initialFolder, const QString& suggestedName,
                              Answered<QString> answered) {
    AskFileName(SaveDialog(parent_, initialFolder, suggestedName, QStringLiteral("SNIRF file (*.snirf)"),
                           QStringLiteral("snirf")),
                std::move(answered));
}

void QtPrompts::OpenFileName(const QString& initialFolder, Answered<QString> answered) {
    auto* dialog = new QFileDialog(parent_, QString(), initialFolder, CsvFilter);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    AskFileName(dialog, std::move(answered));
}

void QtPrompts::AskText(const QString& question, const QString& initialText,
                        Answered<std::optional<QString>> answered) {
    auto* dialog = new QInputDialog(parent_);
    dialog->setWindowTitle(AppCaption);
    dialog->setLabelText(question);
    dialog->setTextValue(initialText);
    OpenModal<QInputDialog>(dialog, [answered = std::move(answered)](QInputDialog& closed, int result) {
        answered(result == QDialog::Accepted ? std::optional<QString>(closed.textValue()) : std::nullopt);
    });
}

void QtPrompts::BidsExportSettings(const BidsExportChoice& initial,
                                   Answered<std::optional<BidsExportChoice>> answered) {
    OpenModal<BidsExportDialog>(new BidsExportDialog(parent_, initial),
                                [answered = std::move(answered)](BidsExportDialog& closed, int result) {
                                    answered(result == QDialog::Accepted ? std::optional(closed.Choice())
                                                                         : std::nullopt);
                                });
}

// The connection dialog belongs to the main window and is shown again and
// again; each showing has its own answer.
void QtPrompts::ConnectionSettings(const ConnectionOffer& offer, Answered<std::optional<ConnectionChoice>> answered) {
    if (!connectionDialog_) {
        answered(std::nullopt);
        return;
    }
    TForm2* dialog = connectionDialog_;
    FillConnectionDialog(*dialog, offer);
    QObject::connect(
        dialog, &QDialog::finished, dialog,
        [dialog, answered = std::move(answered)](int result) {
            answered(result == QDialog::Accepted ? std::optional(ReadConnectionDialog(*dialog)) : std::nullopt);
        },
        Qt::SingleShotConnection);
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
}

void QtPrompts::PrintSetup(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent_);
    dialog.exec();
}

bool QtPrompts::Print(QPrinter& printer) {
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}
