// The window measures two sensors together over the real backend: one
// Start links and starts both, their interleaved notifications fill a
// record each, End stops both, the save writes a file each.
#include <QDir>
#include <algorithm>

#include "bluez/WindowOverBluez.h"
#include "data/CsvReader.h"
#include "data/PacketDecoderTest.h"
#include "link/Framing.h"
#include "link/TimeSync.h"

namespace {

// OXHb of channel 1 tells whose sample a row is: the first sensor's are
// below 0.5, the second's from 0.5, each plus a hundredth per sequence number.
constexpr float FirstBase = 0.0f;
constexpr float SecondBase = 0.5f;

QByteArray Packets(int firstSeq, int count, float base) {
    QByteArray stream;
    for (int seq = firstSeq; seq < firstSeq + count; ++seq)
        stream += Frame(MeasurementPacket(uint8_t(seq), ChannelBlock{0, base + 0.01f * float(seq), -0.02f, 0.65f},
                                          ChannelBlock{0, 0.125f, 0.25f, 0.7f}, 0x7D7B));  // battery bytes escaped
    return stream;
}

bool NoData(const MEAS_DATA_TYPE& sample) { return sample.ch[0].status & StatusNoData; }

class TwoSensorsOverBluez : public WindowOverBluez {
protected:
    Sensor& First() { return window->Session.SensorAt(0); }
    Sensor& Second() { return window->Session.SensorAt(1); }

    // Start, both sensors chosen, until both links are up and started.
    void StartBoth() {
        prompts.connectionAnswers.push_back([&](const ConnectionOffer&) -> std::optional<ConnectionChoice> {
            return ConnectionChoice{SensorName, 0, false, {OtherName}};
        });
        window->ConnectButton->click();
        ASSERT_TRUE(WaitUntil([&] { return window->Session.SensorCount() == 2 && First().Link.DeviceLinkReady &&
                                           Second().Link.DeviceLinkReady; }, 12000))
            << prompts.shown.join('|').toStdString();
        ASSERT_EQ(First().Name(), SensorName);
        ASSERT_EQ(Second().Name(), OtherName);
        ASSERT_TRUE(WaitUntil([&] { return mock->Writes(SensorAddress).size() == 1 && mock->Writes(OtherAddress).size() == 1; }));
    }

    // The two sensors' streams, their notifications taking turns.
    void NotifyTogether(const QByteArray& first, const QByteArray& second) {
        const QList<QByteArray> firstPieces = NotificationsOf(first), secondPieces = NotificationsOf(second);
        for (qsizetype i = 0; i < std::max(firstPieces.size(), secondPieces.size()); ++i) {
            if (i < firstPieces.size()) mock->Notify(SensorAddress, firstPieces[i]);
            if (i < secondPieces.size()) mock->Notify(OtherAddress, secondPieces[i]);
        }
    }

    // Rows in order, each with its sensor's value of its sequence number.
    static void ExpectSamplesInOrder(const SampleStore& store, int32_t from, int32_t count, int firstSeq, float base) {
        for (int32_t i = 0; i < count; ++i) {
            SCOPED_TRACE(from + i);
            ASSERT_LT(from + i, store.SampleCount);
            const MEAS_DATA_TYPE& sample = store.Samples[from + i];
            EXPECT_FALSE(NoData(sample));
            EXPECT_EQ(sample.seq, firstSeq + i);
            EXPECT_FLOAT_EQ(sample.ch[0].oxhb, base + 0.01f * float(firstSeq + i));
        }
    }

    static int32_t RowsWithoutData(const SampleStore& store) {
        int32_t rows = 0;
        for (int32_t i = 0; i < store.SampleCount; ++i) rows += NoData(store.Samples[i]) ? 1 : 0;
        return rows;
    }

    // End, the save under the name given: true when its notice came.
    bool EndAndSave(const QString& name) {
        prompts.fileNames.push_back(QDir(folder.path()).filePath(QStringLiteral("Data/") + name + QStringLiteral(".csv")));
        window->ConnectButton->click();
        window->Session.SettleDiskWrites();
        return prompts.shown.contains(QStringLiteral("NOTICE: %1_%2.csv and %1_%3.csv Created.").arg(name, SensorName, OtherName));
    }
};

TEST_F(TwoSensorsOverBluez, BothMeasuredTogetherAndSavedAFileEach) {
    StartBoth();
    if (HasFatalFailure()) return;
    const QByteArray start = BuildCommandWrite(QStringLiteral("ST1"), SyncDateTimeString(clock));
    EXPECT_EQ(mock->Writes(SensorAddress).first().value, start);
    EXPECT_EQ(mock->Writes(OtherAddress).first().value, start);
    EXPECT_TRUE(mock->Notifying(SensorAddress));
    EXPECT_TRUE(mock->Notifying(OtherAddress));

    NotifyTogether(Packets(0, 6, FirstBase), Packets(0, 6, SecondBase));
    ASSERT_TRUE(WaitUntil([&] { return First().Store.SampleCount == 6 && Second().Store.SampleCount == 6; }))
        << First().Store.SampleCount << " and " << Second().Store.SampleCount << " samples";
    ExpectSamplesInOrder(First().Store, 0, 6, 0, FirstBase);
    ExpectSamplesInOrder(Second().Store, 0, 6, 0, SecondBase);
    EXPECT_EQ(First().Store.ReceivedDeviceId, SensorName);
    EXPECT_EQ(Second().Store.ReceivedDeviceId, OtherName);

    EXPECT_TRUE(EndAndSave(QStringLiteral("two"))) << prompts.shown.join('|').toStdString();
    for (const QString& address : {SensorAddress, OtherAddress}) {
        SCOPED_TRACE(address.toStdString());
        ASSERT_TRUE(WaitUntil([&] { return !mock->Connected(address); }));
        const QList<BluezMock::Write> writes = mock->Writes(address);
        ASSERT_EQ(writes.size(), 2);
        EXPECT_EQ(writes.last().value, QByteArray("\x02" "ED\x03", 4));
    }
    const QDir data(folder.filePath(QStringLiteral("Data")));
    for (const auto& [name, base] : {std::pair{SensorName, FirstBase}, std::pair{OtherName, SecondBase}}) {
        SCOPED_TRACE(name.toStdString());
        SampleStore saved;
        ASSERT_TRUE(ReadRecordFile(saved, data.filePath(QStringLiteral("two_") + name + QStringLiteral(".csv"))).recordReplaced);
        EXPECT_EQ(saved.SampleCount, 6);
        ExpectSamplesInOrder(saved, 0, 6, 0, base);
    }
}

// The first sensor drops its link while the second streams on: the first
// is found again and restarted, its record keeps the gap's time in rows
// without data; the second's record has none.
TEST_F(TwoSensorsOverBluez, OneDropsAndComesBackWhileTheOtherStreamsOn) {
    StartBoth();
    if (HasFatalFailure()) return;
    NotifyTogether(Packets(0, 4, FirstBase), Packets(0, 4, SecondBase));
    ASSERT_TRUE(WaitUntil([&] { return First().Store.SampleCount == 4 && Second().Store.SampleCount == 4; }));

    mock->DropLink(SensorAddress);
    ASSERT_TRUE(WaitUntil([&] { return First().Phase != SensorPhase::Streaming; }));
    EXPECT_EQ(Second().Phase, SensorPhase::Streaming);
    EXPECT_EQ(window->Session.Mode(), SessionMode::Measuring) << "the second sensor still measures";
    clock.AdvanceMilliseconds(2000);  // twenty rows' time passes without the first sensor
    NotifyTogether({}, Packets(4, 4, SecondBase));
    ASSERT_TRUE(WaitUntil([&] { return Second().Store.SampleCount == 8; })) << Second().Store.SampleCount;

    ASSERT_TRUE(WaitUntil([&] { return First().Phase == SensorPhase::Streaming; }, 15000))
        << SensorPhaseText(First().Phase).toStdString();
    ASSERT_TRUE(WaitUntil([&] { return mock->Writes(SensorAddress).size() == 2; }));
    EXPECT_EQ(mock->Writes(SensorAddress).last().value,
              BuildCommandWrite(QStringLiteral("ST1"), SyncDateTimeString(clock)));
    EXPECT_EQ(mock->Writes(OtherAddress).size(), 1) << "the second sensor is not started again";

    // The first numbers its packets from 0 again.
    NotifyTogether(Packets(0, 3, FirstBase), Packets(8, 3, SecondBase));
    const SampleStore& first = First().Store;
    const SampleStore& second = Second().Store;
    ASSERT_TRUE(WaitUntil([&] { return second.SampleCount == 11 && first.SampleCount > 0 && !NoData(first.Samples[first.SampleCount - 1]); }));
    EXPECT_EQ(RowsWithoutData(second), 0);
    ExpectSamplesInOrder(second, 0, 11, 0, SecondBase);
    const int32_t gap = RowsWithoutData(first);
    EXPECT_GE(gap, 15);
    EXPECT_EQ(first.SampleCount, 4 + gap + 3);
    ExpectSamplesInOrder(first, 0, 4, 0, FirstBase);
    ExpectSamplesInOrder(first, 4 + gap, 3, 0, FirstBase);

    EXPECT_TRUE(EndAndSave(QStringLiteral("dropped"))) << prompts.shown.join('|').toStdString();
    EXPECT_TRUE(WaitUntil([&] { return !mock->Connected(SensorAddress) && !mock->Connected(OtherAddress); }))
        << "End lets go of both links, the new one of the first too";
}

}  // namespace
