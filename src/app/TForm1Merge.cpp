// "Merge events(&M)" and the silent merge of an upload: the PC's event log
// put into the record in memory as event marks.
#include <QFileInfo>

#include "prompts/Prompts.h"
#include "app/StringTable.h"
#include "app/TForm1.h"
#include "storage/EventMerge.h"

void TForm1::M1Click() {
    if (Store.SampleCount != 0) MergeEventLog(false);
}

void TForm1::MergeEventLog(bool mo) {
    if (!QFileInfo::exists(EventLogFileName)) return;
    if (!mo && !prompts_.AskOkCancel(MsgMergeQuestion)) return;

    // The whole log is read before any mark is touched, so a read failure
    // leaves the record's marks as they were.
    QList<EventLogRecord> records;
    QString error;
    if (!ReadEventLog(EventLogFileName, records, &error)) {
        prompts_.Error(MsgEventLogUnreadable.arg(error));
        return;
    }
    const MergeOutcome outcome = MergeEventMarks(Store, records);
    if (mo) return;

    prompts_.Notice(MsgMergedCount.arg(outcome.merged));
    if (outcome.cleared != 0 || outcome.merged != 0) {
        Store.DataSaved = false;
        S1->setEnabled(true);
    }
    RepaintTrend();
}
