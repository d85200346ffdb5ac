// The storage upload's panel over the trend view, and its buttons.
#include <QVBoxLayout>

#include "app/TForm1.h"

void TForm1::BuildUploadPanel() {
    auto* layout = new QVBoxLayout(UploadPanel);
    UploadLabel1 = new QLabel(UploadPanel);
    UploadLabel2 = new QLabel(UploadPanel);
    UploadLabel3 = new QLabel(UploadPanel);
    UploadProgressBar = new QProgressBar(UploadPanel);
    UploadProgressBar->setRange(0, 100);
    UploadOkButton = new QPushButton(QStringLiteral("OK"), UploadPanel);
    UploadOkButton->setDefault(true);
    for (QWidget* line : {static_cast<QWidget*>(UploadLabel1), static_cast<QWidget*>(UploadLabel2),
                          static_cast<QWidget*>(UploadLabel3), static_cast<QWidget*>(UploadProgressBar)})
        layout->addWidget(line);
    layout->addWidget(UploadOkButton, 0, Qt::AlignHCenter);
    UploadPanel->resize(400, 170);
}

void TForm1::UploadButtonClick() { Session.UploadButtonClicked(DrawGrid1->currentRow()); }

void TForm1::UploadOkButtonClick() { Session.UploadOkButtonClicked(); }

void TForm1::UploadAllButtonClick() { Session.UploadAllButtonClicked(); }

void TForm1::ShowRealTimePageQuietly() {
    const QSignalBlocker quiet(PageControl1);
    PageControl1->setCurrentIndex(0);
}
