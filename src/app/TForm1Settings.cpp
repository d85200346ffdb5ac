#include <QGuiApplication>
#include <QScreen>

#include "app/TForm1.h"
#include "app/WindowPlacement.h"

void TForm1::ReadSettings() {
    const ProgramSettings settings = ReadSettingsFile(SettingsFileName);
    settingsRead_ = true;

    Session.RateIndex = settings.Rate;
    AmpComboBox->setCurrentIndex(settings.Amplifier);
    AveComboBox->setCurrentIndex(settings.Average);
    DataComboBox->setCurrentIndex(settings.Data);
    RateComboBox->setCurrentIndex(settings.Rate2);
    AdvDataComboBox->setCurrentIndex(settings.Data2);
    Session.View.TrendArrangement = settings.Arrangement;
    AuxinCheckBox->setChecked(settings.Auxin);  // runs its click handler
    AuxinCheckBox2->setChecked(AuxinCheckBox->isChecked());
    AuxPortEdit->setText(settings.Port);
    AuxPortEdit2->setText(AuxPortEdit->text());
    Session.Link.TargetDeviceName = settings.Device;
    MergeCheckBox->setChecked(settings.Merge);
    networkEnabled_ = settings.NetworkEnabled;
    networkAddress_ = settings.NetworkAddress;
    networkPort_ = settings.NetworkPort;
    ApplyNetworkSettings();
    Session.Exports = settings.Export;

    UpdateExpectedScreenSamples();
    PlaceWindow(settings);
}

void TForm1::PlaceWindow(const ProgramSettings& settings) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
    const QRect placed = StoredPlacement(settings.Top, settings.Left, settings.Width, settings.Height, screens);
    if (placed.isValid()) {
        move(placed.topLeft());
        resize(placed.size());
        return;
    }
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        move(CentredPlacement(frameGeometry().size(), primary->availableGeometry()).topLeft());
}

bool TForm1::RealTimePageInUse() const {
    return Session.CurrentPage == 0 && Session.Controls.RealTimeTabVisible;
}

void TForm1::WriteSettings() {
    ProgramSettings settings;
    // A maximised or minimised window keeps the placement it returns to.
    const bool normal = !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    const QRect placement = PlacementToStore(normal, pos(), size(), normalGeometry(),
                                             geometry().topLeft() - frameGeometry().topLeft());
    settings.Top = placement.top();
    settings.Left = placement.left();
    settings.Width = placement.width();
    settings.Height = placement.height();

    settings.Rate = Session.RateIndex;
    settings.Average = AveComboBox->currentIndex();
    settings.Amplifier = AmpComboBox->currentIndex();
    settings.Data = DataComboBox->currentIndex();
    settings.Rate2 = RateComboBox->currentIndex();
    settings.Data2 = AdvDataComboBox->currentIndex();
    settings.Arrangement = Session.View.TrendArrangement;
    const bool realTime = RealTimePageInUse();
    settings.Auxin = (realTime ? AuxinCheckBox : AuxinCheckBox2)->isChecked();
    settings.Port = (realTime ? AuxPortEdit : AuxPortEdit2)->text();
    settings.Device = Session.Link.TargetDeviceName;
    settings.Merge = MergeCheckBox->isChecked();
    settings.NetworkEnabled = networkEnabled_;
    settings.NetworkAddress = networkAddress_;
    settings.NetworkPort = networkPort_;
    settings.Export = Session.Exports;
    WriteSettingsFile(SettingsFileName, settings);
}
