#include "data/PacketDecoderTest.h"

TEST_F(PacketDecoderTest, FirstRealTimePacketIsDecodedStoredAndAnnounced) {
    supervision.SilenceTicks = 7;
    supervision.LinkLost = true;
    Feed(MeasurementPacket(42, {0x8003, 0.125f, -0.25f, 0.65f}, {0x0200, -1.5f, 2.0f, 0.7f}));

    ASSERT_EQ(store.SampleCount, 1);
    const MEAS_DATA_TYPE& sample = store.Samples[0];
    EXPECT_EQ(sample.seq, 42);
    EXPECT_EQ(sample.index, 0);
    EXPECT_FLOAT_EQ(sample.batt, 3.60448f);
    EXPECT_EQ(sample.acc[0], -1.0f);
    EXPECT_EQ(sample.acc[1], 1.0f);
    EXPECT_EQ(sample.acc[2], 1.0f / 1024);
    EXPECT_EQ(sample.ch[0].status, 0x8003);
    EXPECT_EQ(sample.ch[0].oxhb, 0.125f);
    EXPECT_EQ(sample.ch[0].dxhb, -0.25f);
    EXPECT_EQ(sample.ch[0].tohb, -0.125f);
    EXPECT_EQ(sample.ch[0].sto2, 0.65f);
    EXPECT_EQ(sample.ch[1].status, 0x0200);
    EXPECT_EQ(sample.ch[1].tohb, 0.5f);
    EXPECT_EQ(sample.ch[1].sto2, 0.7f);
    EXPECT_EQ(sample.time, StartTime());
    EXPECT_EQ(store.RecordStartTime, StartTime());
    EXPECT_EQ(store.RecordEndTime, StartTime());
    EXPECT_EQ(store.ReceivedDeviceId, targetDeviceName);
    EXPECT_EQ(supervision.SilenceTicks, 0);
    EXPECT_FALSE(supervision.LinkLost);
    EXPECT_EQ(listener.repaints, 1);
    EXPECT_EQ(listener.progressCalls, 0);
    ASSERT_EQ(listener.statusTexts.size(), 1);
    EXPECT_EQ(listener.statusTexts[0], QString::fromUtf8("DeviceID[ Tq580-123456-001 ]    Start[ 2026/12/09 14:30:05 ]"
                                                         "    Rate[ 0.1sec ]\u3000Measuring..."));

    clock.AdvanceMilliseconds(100);
    targetDeviceName = QStringLiteral("Tq580-999999-009");
    Feed(MeasurementPacket(43));
    EXPECT_EQ(store.SampleCount, 2);
    EXPECT_EQ(store.Samples[1].index, 1);
    EXPECT_EQ(store.RecordStartTime, StartTime());
    EXPECT_EQ(store.RecordEndTime, store.Samples[1].time);
    EXPECT_EQ(store.ReceivedDeviceId, QStringLiteral("Tq580-123456-001")) << "kept from the first packet";
    EXPECT_EQ(listener.statusTexts.size(), 1);
}

TEST_F(PacketDecoderTest, BatteryAndAccelerationCoding) {
    struct Case {
        uint16_t battery;
        float volts;
    };
    for (const Case& c : {Case{0x0000, 0.0f}, Case{0x0400, 3.60448f}, Case{0x0465, 1125 * 0.00352f},
                          Case{0xFFFF, 65535 * 0.00352f}}) {
        ResetRecord(store);
        Feed(MeasurementPacket(1, {}, {}, c.battery));
        EXPECT_FLOAT_EQ(store.Samples[0].batt, c.volts) << c.battery;
    }
}

TEST_F(PacketDecoderTest, PacketOfTheWrongLengthForTheModeIsIgnored) {
    struct Case {
        bool checkSensors;
        int length;
    };
    const Case cases[] = {{true, 37}, {false, 21}, {false, 36}, {false, 38}, {true, 22}, {false, 0}};
    for (const Case& c : cases) {
        store.CheckSensorsMode = c.checkSensors;
        supervision.SilenceTicks = 5;
        supervision.LinkLost = true;
        QByteArray packet = MeasurementPacket(1);
        packet.resize(c.length);
        Feed(packet);
        EXPECT_EQ(store.SampleCount, 0) << c.checkSensors << " " << c.length;
        EXPECT_EQ(supervision.SilenceTicks, 5);
        EXPECT_TRUE(supervision.LinkLost);
        EXPECT_TRUE(store.ReceivedDeviceId.isEmpty());
    }
    EXPECT_EQ(listener.repaints + listener.progressCalls + listener.statusTexts.size(), 0);
}

TEST_F(PacketDecoderTest, SequenceStepsCountModulo256) {
    struct Case {
        uint8_t previous, next;
        int32_t count;  // after both packets
        bool gap;
    };
    const Case cases[] = {
        {255, 0, 2, false}, {7, 8, 2, false},
        {7, 7, 1, false},   {0, 0, 1, false},    // repeats are discarded
        {255, 1, 3, false},                      // one lost across the wrap: a repeat stands in
        {254, 1, 4, true},  {8, 7, 256, true},   // two lost across the wrap; 254 lost
    };
    for (const Case& c : cases) {
        ResetRecord(store);
        store.SequenceGap = false;
        Feed(MeasurementPacket(c.previous));
        Feed(MeasurementPacket(c.next, {0, 9.0f}));
        EXPECT_EQ(store.SampleCount, c.count) << int(c.previous) << " " << int(c.next);
        EXPECT_EQ(store.SequenceGap, c.gap) << int(c.previous) << " " << int(c.next);
        EXPECT_EQ(store.Samples[0].ch[0].oxhb, 0) << "a repeat never overwrites";
        EXPECT_EQ(store.Samples[c.count - 1].ch[0].oxhb, c.count > 1 ? 9.0f : 0.0f);
    }
}

TEST_F(PacketDecoderTest, OneLostPacketIsStoodInForByARepeat) {
    Feed(MeasurementPacket(10, {0x8000, 1.0f}, {0x8004, 2.0f}));
    clock.AdvanceMilliseconds(200);
    Feed(MeasurementPacket(12, {0, 3.0f}));

    ASSERT_EQ(store.SampleCount, 3);
    const MEAS_DATA_TYPE& repeat = store.Samples[1];
    EXPECT_EQ(repeat.seq, 10);
    EXPECT_EQ(repeat.index, 1);
    EXPECT_EQ(repeat.time, StartTime());
    EXPECT_EQ(repeat.ch[0].oxhb, 1.0f);
    EXPECT_EQ(repeat.ch[0].status, 0x0000);
    EXPECT_EQ(repeat.ch[1].status, 0x0004);
    EXPECT_EQ(store.Samples[2].seq, 12);
    EXPECT_EQ(store.Samples[2].index, 2);
    EXPECT_FALSE(store.SequenceGap);
}

TEST_F(PacketDecoderTest, SeveralLostPacketsAreFilledWithNoDataAndFlagged) {
    Feed(MeasurementPacket(10, {0, 1.0f}));
    clock.AdvanceMilliseconds(500);
    Feed(MeasurementPacket(15, {0, 5.0f}, {}, 0x0300));

    ASSERT_EQ(store.SampleCount, 6);
    for (int i = 1; i <= 4; ++i) {
        const MEAS_DATA_TYPE& placeholder = store.Samples[i];
        EXPECT_EQ(placeholder.index, i);
        EXPECT_EQ(placeholder.seq, 10);
        EXPECT_EQ(placeholder.ch[0].status, 0x0400);
        EXPECT_EQ(placeholder.ch[1].status, 0x0400);
        EXPECT_EQ(placeholder.ch[0].oxhb, 0);
        EXPECT_EQ(placeholder.time, store.Samples[5].time);
        EXPECT_EQ(placeholder.batt, store.Samples[5].batt);
    }
    EXPECT_EQ(store.Samples[5].seq, 15);
    EXPECT_EQ(store.Samples[5].index, 5);
    EXPECT_EQ(store.Samples[5].ch[0].oxhb, 5.0f);
    EXPECT_TRUE(store.SequenceGap);
}

TEST_F(PacketDecoderTest, RestartedNumberingAtAnInitPointIsPlacedByTime) {
    FeedSequence(0, 40);  // seq 0..39, the last one 3.9 s in
    clock.Set(StartTime());
    clock.AdvanceMilliseconds(10000);
    Feed(MeasurementPacket(0, {0x8000, 0, 0, 0.6f}));

    ASSERT_EQ(store.SampleCount, 100);
    EXPECT_TRUE(store.SequenceGap);
    for (int i = 40; i < 99; ++i) {
        EXPECT_EQ(store.Samples[i].ch[0].status, 0x0400);
        EXPECT_EQ(store.Samples[i].index, i);
    }
    EXPECT_EQ(store.Samples[39].ch[0].status, 0);
    EXPECT_EQ(store.Samples[99].ch[0].status, 0x8000);
    EXPECT_EQ(store.Samples[99].index, 99);
}

TEST_F(PacketDecoderTest, RestartedNumberingEarlierThanItsTimeIsStoredNext) {
    FeedSequence(250, 10);  // 250..255, 0..3, 1 s in
    Feed(MeasurementPacket(0, {0x8000}));  // due at 10, but 10 samples are there already
    EXPECT_EQ(store.SampleCount, 11);
    EXPECT_EQ(store.Samples[10].ch[0].status, 0x8000);
    EXPECT_TRUE(store.SequenceGap);

    // Sequence 0 after 255 is normal even at an init point.
    ResetRecord(store);
    store.SequenceGap = false;
    FeedSequence(254, 2);
    Feed(MeasurementPacket(0, {0x8000}));
    EXPECT_EQ(store.SampleCount, 3);
    EXPECT_FALSE(store.SequenceGap);

    // Without the init point a restart is an ordinary gap.
    ResetRecord(store);
    FeedSequence(100, 1);
    clock.AdvanceMilliseconds(60000);
    Feed(MeasurementPacket(0));
    EXPECT_EQ(store.SampleCount, 157);  // 155 placeholders for 101..255
}

TEST_F(PacketDecoderTest, FillingNeverTakesTheLastPositionAndAFullStoreDiscards) {
    // A record two positions short of full whose last sample had seq 10.
    for (int i = 0; i < MaxSamples - 2; ++i) store.Samples[i].seq = static_cast<uint8_t>(i % 256);
    store.Samples[MaxSamples - 3].seq = 10;
    store.SampleCount = MaxSamples - 2;

    Feed(MeasurementPacket(15));
    EXPECT_EQ(store.SampleCount, MaxSamples);
    EXPECT_TRUE(store.RecordFull);
    EXPECT_EQ(store.Samples[MaxSamples - 2].ch[0].status, 0x0400);
    EXPECT_EQ(store.Samples[MaxSamples - 1].seq, 15);
    EXPECT_EQ(store.Samples[MaxSamples - 1].index, MaxSamples - 1);

    const int repaints = listener.repaints;
    Feed(MeasurementPacket(16));
    EXPECT_EQ(store.SampleCount, MaxSamples);
    EXPECT_EQ(store.Samples[MaxSamples - 1].seq, 15);
    EXPECT_EQ(listener.repaints, repaints);
    EXPECT_EQ(supervision.SilenceTicks, 0) << "the link is alive even when the store is full";

    // One short of full: a single loss gets no repeat, the packet takes the last place.
    store.SampleCount = MaxSamples - 1;
    store.RecordFull = false;
    store.Samples[MaxSamples - 2].seq = 20;
    Feed(MeasurementPacket(22));
    EXPECT_EQ(store.SampleCount, MaxSamples);
    EXPECT_EQ(store.Samples[MaxSamples - 1].seq, 22);

    // At a resynchronisation long overdue as well.
    store.SampleCount = MaxSamples - 1;
    clock.AdvanceMilliseconds(int64_t{24} * 3600 * 1000);
    Feed(MeasurementPacket(0, {0x8000}));
    EXPECT_EQ(store.SampleCount, MaxSamples);
    EXPECT_EQ(store.Samples[MaxSamples - 1].ch[0].status, 0x8000);
}

TEST_F(PacketDecoderTest, RepaintsOncePerNotificationAndNotWhileTheUserLooksBack) {
    Feed(MeasurementPacket(1), 39);
    Feed(MeasurementPacket(2), 10);
    EXPECT_EQ(listener.repaints, 0);
    Feed(MeasurementPacket(3), 9);
    EXPECT_EQ(listener.repaints, 1);

    liveReview = true;
    Feed(MeasurementPacket(4), 0);
    liveReview = false;
    entireView = true;
    Feed(MeasurementPacket(5), 0);
    EXPECT_EQ(listener.repaints, 1);
    EXPECT_EQ(store.SampleCount, 5);
    EXPECT_EQ(listener.progressCalls, 0);
}

TEST_F(PacketDecoderTest, SensorCheckPacketsCarryLightLevelsWithoutSequenceCheck) {
    store.CheckSensorsMode = true;
    supervision.LinkLost = true;
    Feed(SensorCheckPacket(5, {100, 200, 300, 0xFFFF, 1, 0x8000}), 30);
    clock.AdvanceMilliseconds(100);
    Feed(SensorCheckPacket(5, {7, 8, 9, 10, 11, 12}), 0);

    ASSERT_EQ(store.SampleCount, 2);
    EXPECT_EQ(store.Samples[0].ch[0].level[0], 100);
    EXPECT_EQ(store.Samples[0].ch[0].level[2], 300);
    EXPECT_EQ(store.Samples[0].ch[1].level[0], 0xFFFF);
    EXPECT_EQ(store.Samples[0].ch[1].level[2], 0x8000);
    EXPECT_EQ(store.Samples[1].ch[1].level[1], 11);
    EXPECT_EQ(store.Samples[1].seq, 5);
    EXPECT_FLOAT_EQ(store.Samples[1].batt, 3.60448f);
    EXPECT_EQ(store.Samples[1].acc[0], -1.0f);
    EXPECT_EQ(store.RecordStartTime, StartTime());
    EXPECT_EQ(store.RecordEndTime, store.Samples[1].time);
    EXPECT_GT(store.Samples[1].time, StartTime());
    EXPECT_FALSE(supervision.LinkLost);
    EXPECT_FALSE(store.SequenceGap);
    EXPECT_TRUE(listener.statusTexts.isEmpty());
    EXPECT_EQ(listener.repaints, 1);
}
