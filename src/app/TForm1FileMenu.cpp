// "Save(&S)" and "Open(&O)": the record in memory as a CSV file; "Export SNIRF...".
#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include "app/ControlStyle.h"
#include "app/Prompts.h"
#include "app/StringTable.h"
#include "app/TForm1.h"
#include "data/CsvOpenFlow.h"
#include "data/CsvSaveFlow.h"
#include "export/SnirfWriter.h"

namespace {
void KeepWindowAlive() { QCoreApplication::processEvents(); }
}  // namespace

bool TForm1::SaveRecord() {
    if (saving_) return false;
    // The save lets the window run every few rows; meanwhile no other file
    // command may start.
    saving_ = true;
    const bool openEnabled = O1->isEnabled();
    O1->setEnabled(false);
    S1->setEnabled(false);
    ExportSnirf1->setEnabled(false);
    const bool saved = Save(Store, prompts_, DataFolder, SavedFileName, KeepWindowAlive);
    O1->setEnabled(openEnabled);
    S1->setEnabled(!Store.DataSaved);
    saving_ = false;
    UpdateExportSnirfEnabled();
    return saved;
}

bool TForm1::SaveRecordAndTell() {
    if (!SaveRecord()) return false;
    prompts_.Notice(SavedFileName + MsgCreatedSuffix);
    return true;
}

void TForm1::S1Click() {
    SaveRecordAndTell();
    S1->setEnabled(!Store.DataSaved);
}

void TForm1::O1Click() {
    if (saving_) return;
    const OpenRecordOutcome outcome =
        OpenRecord(Store, prompts_, DataFolder, [this](bool busy) {
            SetBusyCursor(busy);
            if (busy) QCoreApplication::processEvents();
        });
    SetBusyCursor(false);
    if (outcome.sampleCursorCleared) {
        View.CursorChannel = -1;
        View.CursorIndex = -1;
    }
    if (outcome.recordReplaced) {
        EndReviewAndOverview();
        C1->setEnabled(false);
        E1->setEnabled(outcome.editMenuEnabled);
        StatusLine->setText(outcome.statusText);
        GroupBox2->hide();
        GroupBox1->show();
        if (outcome.scrollBar == ScrollBarUpdate::ApplyScrollRangeRule) SetScrollRangeForRecord();
        else if (outcome.scrollBar == ScrollBarUpdate::Hide) ScrollBar1->hide();
        S1->setEnabled(!Store.DataSaved);
    }
    RepaintTrend();
}

void TForm1::UpdateExportSnirfEnabled() {
    ExportSnirf1->setEnabled(Store.SampleCount > 0 && !Store.CheckSensorsMode && !saving_);
}

// Writes the record as it is now; the writer does not yield, so the record
// cannot change under it.
void TForm1::ExportSnirf1Click() {
    UpdateExportSnirfEnabled();
    if (!ExportSnirf1->isEnabled()) return;
    QString path;
    for (;;) {
        path = prompts_.SnirfFileName(DataFolder, QString());
        if (path.isEmpty()) return;
        if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".snirf");
        if (!QFileInfo::exists(path) || prompts_.AskYesNo(QString::fromLatin1(OverwriteQuestionText))) break;
    }
    SetBusyCursor(true);
    const SnirfWriteOutcome outcome = WriteSnirfFile(Store, path);
    SetBusyCursor(false);
    if (!outcome.written) {
        prompts_.Error(QStringLiteral("Unable to export %1 (%2). An existing file of that name is unchanged.")
                           .arg(QDir::toNativeSeparators(path), outcome.reason));
        return;
    }
    prompts_.Notice(QFileInfo(path).fileName() + MsgCreatedSuffix);
}
