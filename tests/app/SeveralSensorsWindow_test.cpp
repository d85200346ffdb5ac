// Several sensors measured through the window: the Sensor box and the strip
// show them, a choice in either shows that sensor's record in the trend.
#include <QSignalSpy>

#include "app/SensorStripWidget.h"
#include "app/SimulatedWindow.h"

namespace {

const QStringList Three = {QStringLiteral("Tq580-123456-001"), QStringLiteral("Tq580-123456-002"),
                           QStringLiteral("Tq580-123456-004")};

using SeveralSensorsWindow = SimulatedWindowTest;

TEST_F(SeveralSensorsWindow, TheStripAndTheSensorBoxShowEachSensor) {
    TForm1& form = Start();
    EXPECT_FALSE(form.GroupBox5->isVisibleTo(&form)) << "one sensor: as ever";
    EXPECT_FALSE(form.SensorStrip->isVisibleTo(&form));
    prompts.connectionAnswers.push_back([](const ConnectionOffer&) -> std::optional<ConnectionChoice> {
        return ConnectionChoice{Three[0], 0, false, Three.mid(1)};
    });
    form.ConnectButton->click();
    ASSERT_TRUE(AdvanceUntil([&] { return form.Session.Mode() == SessionMode::Measuring; }, 7000));
    Advance(2000);

    EXPECT_TRUE(form.GroupBox5->isVisibleTo(&form));
    EXPECT_TRUE(form.SensorStrip->isVisibleTo(&form));
    ASSERT_EQ(form.SensorComboBox->count(), 3);
    const QList<SensorStripEntry>& entries = form.SensorStrip->Entries();
    ASSERT_EQ(entries.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].name, Three[i]);
        EXPECT_EQ(entries[i].state, "measuring");
        ASSERT_TRUE(entries[i].sto2[0].has_value());
        EXPECT_GT(*entries[i].sto2[0], 40.0f);
        ASSERT_TRUE(entries[i].batteryVolts.has_value());
    }
    EXPECT_TRUE(entries[0].shown);

    // A dropped sensor says so in the strip while the others measure on.
    simulator->Sensor(Three[1])->SetInRange(false);
    Advance(600);
    EXPECT_EQ(form.SensorStrip->Entries()[1].state, "lost");
    EXPECT_TRUE(form.SensorStrip->Entries()[1].trouble);
    EXPECT_EQ(form.SensorStrip->Entries()[0].state, "measuring");

    // The Sensor box shows another record; so does a click on the strip.
    form.SensorComboBox->setCurrentIndex(2);
    emit form.SensorComboBox->activated(2);
    EXPECT_EQ(form.Session.ShownSensor(), 2);
    EXPECT_TRUE(form.SensorStrip->Entries()[2].shown);
    EXPECT_TRUE(form.StatusLine->text().startsWith("DeviceID[ " + Three[2] + " ]")) << form.StatusLine->text().toStdString();
    form.SensorStrip->onClicked(1);
    EXPECT_EQ(form.Session.ShownSensor(), 1);
    EXPECT_EQ(form.SensorComboBox->currentIndex(), 1);
}

}  // namespace
