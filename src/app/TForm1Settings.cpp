#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include "app/TForm1.h"
#include "app/WindowFrame.h"
#include "app/WindowPlacement.h"
#include "prompts/Prompts.h"
#include "session/StringTable.h"

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
    Session.UploadParallel = settings.UploadParallel;
    networkEnabled_ = settings.NetworkEnabled;
    networkAddress_ = settings.NetworkAddress;
    networkPort_ = settings.NetworkPort;
    ApplyNetworkSettings();
    Session.Exports = settings.Export;

    PlaceWindow(settings);
}

// Before the window exists: the frame is not known yet, so the window is
// placed and sized as if it had none; the window frame keeps this outer
// size once the window manager has framed it.
void TForm1::PlaceWindow(const ProgramSettings& settings) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens << screen->availableGeometry();
    QRect frame = StoredPlacement(settings.Top, settings.Left, settings.Width, settings.Height, screens);
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!frame.isValid() && primary) frame = CentredPlacement(size(), primary->availableGeometry());
    if (frame.isValid()) {
        move(frame.topLeft());
        resize(frame.size());
    }
    if (settings.Maximized) frame_->MaximiseOnceFramed();
}

bool TForm1::RealTimePageInUse() const {
    return Session.CurrentPage == 0 && Session.Controls.RealTimeTabVisible;
}

void TForm1::WriteSettings() {
    ProgramSettings settings;
    const QRect placement = frame_->PlacementToStore();
    settings.Top = placement.top();
    settings.Left = placement.left();
    settings.Width = placement.width();
    settings.Height = placement.height();
    settings.Maximized = frame_->Maximised();

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
    settings.UploadParallel = Session.UploadParallel;
    settings.NetworkEnabled = networkEnabled_;
    settings.NetworkAddress = networkAddress_;
    settings.NetworkPort = networkPort_;
    settings.Export = Session.Exports;
    QString error;
    if (!WriteSettingsFile(SettingsFileName, settings, &error))
        prompts_.Error(MsgSettingsNotWritten.arg(QDir::toNativeSeparators(SettingsFileName), error));
}
