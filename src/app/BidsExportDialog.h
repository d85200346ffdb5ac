#pragma once

#include <QDialog>

#include "prompts/Prompts.h"

class QLineEdit;

// The BIDS export's questions in one dialog: the dataset folder (typed or
// chosen), the subject, the session (may stay empty) and the task.
class BidsExportDialog : public QDialog {
public:
    BidsExportDialog(QWidget* parent, const BidsExportChoice& initial);
    BidsExportChoice Choice() const;

    QLineEdit* DatasetEdit;
    QLineEdit* SubjectEdit;
    QLineEdit* SessionEdit;
    QLineEdit* TaskEdit;

private:
    void BrowseClicked();
};
