#include "app/BidsExportDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "session/StringTable.h"

BidsExportDialog::BidsExportDialog(QWidget* parent, const BidsExportChoice& initial) : QDialog(parent) {
    setWindowTitle(AppCaption + QStringLiteral(" - Export BIDS"));
    DatasetEdit = new QLineEdit(initial.dataset);
    SubjectEdit = new QLineEdit(initial.subject);
    SessionEdit = new QLineEdit(initial.session);
    TaskEdit = new QLineEdit(initial.task);
    SessionEdit->setPlaceholderText(QStringLiteral("none"));
    auto* browse = new QPushButton(QStringLiteral("Browse..."));
    connect(browse, &QPushButton::clicked, this, &BidsExportDialog::BrowseClicked);
    auto* datasetRow = new QHBoxLayout;
    datasetRow->addWidget(DatasetEdit, 1);
    datasetRow->addWidget(browse);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Dataset folder:"), datasetRow);
    form->addRow(QStringLiteral("Subject:"), SubjectEdit);
    form->addRow(QStringLiteral("Session (optional):"), SessionEdit);
    form->addRow(QStringLiteral("Task:"), TaskEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setMinimumWidth(460);
}

BidsExportChoice BidsExportDialog::Choice() const {
    return {DatasetEdit->text(), SubjectEdit->text(), SessionEdit->text(), TaskEdit->text()};
}

// A new dataset is a folder that does not exist yet: it may also be typed.
void BidsExportDialog::BrowseClicked() {
    const QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("BIDS dataset folder"),
                                                             DatasetEdit->text());
    if (!folder.isEmpty()) DatasetEdit->setText(folder);
}
