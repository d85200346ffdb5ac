#include <QDir>
#include <QFileInfo>

#include "app/SimulatedWindow.h"
#include "data/SampleStore.h"
#include "journal/JournalWriter.h"
#include "session/StringTable.h"

namespace {

using CrashRecovery = SimulatedWindowTest;

// A program that ended during a measurement of 120 samples left its journal.
QString LeaveJournal(const QString& dataFolder) {
    SampleStore record;
    ResetRecord(record);
    record.RecordDeviceId = QStringLiteral("Tq580-123456-001");
    record.RecordRateIndex = 1;
    record.RecordStartTime = *OleDateFromParts({2026, 12, 10, 8, 30, 0});
    for (int32_t i = 0; i < 120; ++i) {
        MEAS_DATA_TYPE sample{};
        sample.index = i;
        sample.seq = static_cast<uint8_t>(i);
        sample.time = record.RecordStartTime + i * 0.1 / 86400;
        sample.batt = 3.7f;
        for (CH_DATA_TYPE& channel : sample.ch) channel.sto2 = 0.65f;
        AppendSample(record, sample);
    }
    AddEventMark(record, 60, 1);
    JournalWriter writer(dataFolder);
    writer.Follow(record, {JournalKind::Measurement, record.RecordDeviceId, record.RecordRateIndex,
                           record.RecordStartTime});
    return writer.Path();
}

TEST_F(CrashRecovery, TheWindowOpensWithTheRecoveredRecordInView) {
    const QString journal = LeaveJournal(DataFolder());
    ASSERT_TRUE(QFileInfo::exists(journal));
    TForm1& form = Start();
    QCoreApplication::processEvents();

    const QString recovered = QDir(DataFolder()).filePath("Recovered Tq580-123456-001 2026-12-10 08-30-00.csv");
    EXPECT_EQ(prompts.shown, QStringList{"NOTICE: " + MsgRecordRecovered.arg(QDir::toNativeSeparators(recovered))});
    EXPECT_TRUE(QFileInfo::exists(recovered));
    EXPECT_FALSE(QFileInfo::exists(journal));
    EXPECT_EQ(form.Session.Store.SampleCount, 120);
    EXPECT_TRUE(form.StatusLine->text().contains("Recovered Tq580-123456-001"));
    // A short record is shown from its start, not scrolled past its end.
    EXPECT_FALSE(form.ScrollBar1->isVisible());
    EXPECT_EQ(form.Session.View.FirstShownSample, 0);
    EXPECT_FALSE(form.S1->isEnabled()) << "the record is in its file";
}

}  // namespace
