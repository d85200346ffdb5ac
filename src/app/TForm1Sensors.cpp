// Several sensors measured together: the choice of the one the trend shows,
// and the strip that lists them all with their latest values and state.
#include "app/AnchoredPage.h"
#include "app/SensorStripWidget.h"
#include "app/TForm1.h"

namespace {

SensorStripEntry EntryOf(const Sensor& sensor, bool measuring) {
    SensorStripEntry entry;
    entry.name = sensor.Name();
    const SampleStore& store = sensor.Store;
    if (store.SampleCount > 0 && !store.CheckSensorsMode) {
        // The newest sample the sensor sent; rows without data say nothing.
        for (int32_t i = store.SampleCount - 1; i >= 0; --i) {
            const MEAS_DATA_TYPE& sample = store.Samples[i];
            if (sample.ch[0].status & StatusNoData) continue;
            for (int c = 0; c < ChannelCount; ++c) entry.sto2[c] = sample.ch[c].sto2 * 100.0f;
            entry.batteryVolts = sample.batt;
            break;
        }
    }
    if (measuring) {
        entry.state = SensorPhaseText(sensor.Phase);
        entry.trouble = sensor.Phase == SensorPhase::Scanning || sensor.Phase == SensorPhase::Relinking;
    }
    return entry;
}

}  // namespace

void TForm1::BuildSensorChoice() {
    using A = AnchoredPage;
    GroupBox5 = new QGroupBox(QStringLiteral("Sensor"));
    TabSheet1->Place(GroupBox5, {853, 2, 155, 62});
    SensorComboBox = new QComboBox(GroupBox5);
    SensorComboBox->setGeometry(8, 28, 139, 22);
    SensorComboBox->setToolTip(QStringLiteral("Select the sensor the trend shows"));
    connect(SensorComboBox, &QComboBox::activated, this, [this](int index) { Session.ShowSensor(index); });
    GroupBox5->hide();

    SensorStrip = new SensorStripWidget;
    SensorStrip->setToolTip(QStringLiteral("The sensors measured together; click one to show it"));
    TabSheet1->Place(SensorStrip, {876, 70, 132, 300}, A::Right | A::Top);
    SensorStrip->onClicked = [this](int entry) { Session.ShowSensor(entry); };
    SensorStrip->hide();
}

// Shown while the session holds the records of several sensors.
void TForm1::RenderSensors() {
    const int count = Session.SensorCount();
    const bool several = count > 1;
    QStringList names;
    QList<SensorStripEntry> entries;
    for (int i = 0; i < count; ++i) {
        names << Session.SensorAt(i).Name();
        entries << EntryOf(Session.SensorAt(i), Session.Live());
        entries.last().shown = i == Session.ShownSensor();
    }
    QStringList listed;
    for (int i = 0; i < SensorComboBox->count(); ++i) listed << SensorComboBox->itemText(i);
    if (listed != names) {
        const QSignalBlocker quiet(SensorComboBox);
        SensorComboBox->clear();
        SensorComboBox->addItems(names);
    }
    if (SensorComboBox->currentIndex() != Session.ShownSensor()) SensorComboBox->setCurrentIndex(Session.ShownSensor());
    GroupBox5->setVisible(several);
    SensorStrip->setVisible(several);
    if (several) SensorStrip->SetEntries(entries);
}
