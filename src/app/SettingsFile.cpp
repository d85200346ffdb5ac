#include "app/SettingsFile.h"

#include <QFileInfo>
#include <QStringList>

#include "app/IniFile.h"
#include "app/WindowPlacement.h"
#include "session/AcquisitionSession.h"
#include "session/StringTable.h"
#include "data/RateTable.h"

namespace {

constexpr int MaxUploadParallel = AcquisitionSession::MaxUploadParallel;
const QString FormSection = QStringLiteral("Form");
const QString SettingsSection = QStringLiteral("Settings");
const QString NetworkSection = QStringLiteral("Network");
const QString ExportSection = QStringLiteral("Export");

// The order the keys are written in (it differs from the reading order in
// "Average" and "Amplifier", and the file has always looked like this).
const QStringList FormKeys = {"Top", "Left", "Width", "Height", "Maximized"};
const QStringList SettingsKeys = {"Rate",  "Average",     "Amplifier", "Data", "Rate2", "Data2",
                                  "Arrangement", "Auxin", "Port",      "Device", "Merge", "UploadParallel"};
const QStringList NetworkKeys = {"Enabled", "Address", "Port"};
const QStringList ExportKeys = {"SnirfBesideUploads", "Subject",     "BidsDataset",
                                "BidsSubject",        "BidsSession", "BidsTask"};

int ReadInteger(const IniFile& ini, const QString& section, const QString& key, int defaultValue) {
    bool ok = false;
    const int value = ini.Value(section, key).toInt(&ok, 10);
    return ok ? value : defaultValue;
}

// A placement value no screen can hold reads as not stored.
int ReadPlacement(const IniFile& ini, const QString& key) {
    const int value = ReadInteger(ini, FormSection, key, -1);
    return value >= -MaximumPlacementValue && value <= MaximumPlacementValue ? value : -1;
}

// An index outside its list is as good as no value.
int ReadIndex(const IniFile& ini, const QString& key, int defaultValue, int first, int last) {
    const int value = ReadInteger(ini, SettingsSection, key, defaultValue);
    return value >= first && value <= last ? value : defaultValue;
}

bool ReadBoolean(const IniFile& ini, const QString& section, const QString& key, bool defaultValue) {
    return ReadInteger(ini, section, key, defaultValue ? 1 : 0) != 0;
}

}  // namespace

ProgramSettings ReadSettingsFile(const QString& fileName) {
    const IniFile ini = IniFile::Load(fileName);
    ProgramSettings settings;
    settings.Top = ReadPlacement(ini, "Top");
    settings.Left = ReadPlacement(ini, "Left");
    settings.Width = ReadPlacement(ini, "Width");
    settings.Height = ReadPlacement(ini, "Height");
    settings.Maximized = ReadBoolean(ini, FormSection, "Maximized", settings.Maximized);
    settings.Rate = ReadIndex(ini, "Rate", settings.Rate, 1, RateCount - 1);
    settings.Amplifier = ReadIndex(ini, "Amplifier", settings.Amplifier, 0, AmplifierItems.size() - 1);
    settings.Average = ReadIndex(ini, "Average", settings.Average, 0, AveragingItems.size() - 1);
    settings.Data = ReadIndex(ini, "Data", settings.Data, 0, DisplayItems.size() - 1);
    settings.Rate2 = ReadIndex(ini, "Rate2", settings.Rate2, 0, RateCount - 2);
    settings.Data2 = ReadIndex(ini, "Data2", settings.Data2, 0, StorageDisplayItems.size() - 1);
    settings.Arrangement = ReadIndex(ini, "Arrangement", settings.Arrangement, 0, 1);
    settings.Auxin = ReadBoolean(ini, SettingsSection, "Auxin", settings.Auxin);
    settings.Port = ini.Value(SettingsSection, "Port", settings.Port);
    settings.Device = ini.Value(SettingsSection, "Device", settings.Device);
    settings.Merge = ReadBoolean(ini, SettingsSection, "Merge", settings.Merge);
    settings.UploadParallel = ReadIndex(ini, "UploadParallel", settings.UploadParallel, 1, MaxUploadParallel);
    settings.NetworkEnabled = ReadInteger(ini, NetworkSection, "Enabled", 0) != 0;
    const QString address = ini.Value(NetworkSection, "Address").trimmed();
    if (!address.isEmpty()) settings.NetworkAddress = address;
    const int port = ReadInteger(ini, NetworkSection, "Port", settings.NetworkPort);
    if (port >= 1 && port <= 65535) settings.NetworkPort = port;
    ExportChoices& exports = settings.Export;
    exports.SnirfBesideUploads = ReadInteger(ini, ExportSection, "SnirfBesideUploads", 1) != 0;
    exports.Subject = ini.Value(ExportSection, "Subject").trimmed();
    exports.BidsDataset = ini.Value(ExportSection, "BidsDataset").trimmed();
    exports.BidsSubject = ini.Value(ExportSection, "BidsSubject").trimmed();
    exports.BidsSession = ini.Value(ExportSection, "BidsSession").trimmed();
    exports.BidsTask = ini.Value(ExportSection, "BidsTask").trimmed();
    return settings;
}

bool WriteSettingsFile(const QString& fileName, const ProgramSettings& settings, QString* error) {
    IniFile ini = IniFile::Load(fileName);
    const auto number = [](int value) { return QString::number(value); };
    const auto flag = [](bool value) { return QString(value ? QStringLiteral("1") : QStringLiteral("0")); };
    ini.SetValue(FormSection, "Top", number(settings.Top));
    ini.SetValue(FormSection, "Left", number(settings.Left));
    ini.SetValue(FormSection, "Width", number(settings.Width));
    ini.SetValue(FormSection, "Height", number(settings.Height));
    ini.SetValue(FormSection, "Maximized", flag(settings.Maximized));
    ini.SetValue(SettingsSection, "Rate", number(settings.Rate));
    ini.SetValue(SettingsSection, "Average", number(settings.Average));
    ini.SetValue(SettingsSection, "Amplifier", number(settings.Amplifier));
    ini.SetValue(SettingsSection, "Data", number(settings.Data));
    ini.SetValue(SettingsSection, "Rate2", number(settings.Rate2));
    ini.SetValue(SettingsSection, "Data2", number(settings.Data2));
    ini.SetValue(SettingsSection, "Arrangement", number(settings.Arrangement));
    ini.SetValue(SettingsSection, "Auxin", flag(settings.Auxin));
    ini.SetValue(SettingsSection, "Port", settings.Port);
    ini.SetValue(SettingsSection, "Device", settings.Device);
    ini.SetValue(SettingsSection, "Merge", flag(settings.Merge));
    ini.SetValue(SettingsSection, "UploadParallel", number(settings.UploadParallel));
    // Before [Network], which has always been the file's last section.
    const ExportChoices& exports = settings.Export;
    ini.SetValue(ExportSection, "SnirfBesideUploads", flag(exports.SnirfBesideUploads));
    ini.SetValue(ExportSection, "Subject", exports.Subject);
    ini.SetValue(ExportSection, "BidsDataset", exports.BidsDataset);
    ini.SetValue(ExportSection, "BidsSubject", exports.BidsSubject);
    ini.SetValue(ExportSection, "BidsSession", exports.BidsSession);
    ini.SetValue(ExportSection, "BidsTask", exports.BidsTask);
    ini.SetValue(NetworkSection, "Enabled", flag(settings.NetworkEnabled));
    ini.SetValue(NetworkSection, "Address", settings.NetworkAddress);
    ini.SetValue(NetworkSection, "Port", number(settings.NetworkPort));
    ini.OrderKeys(FormSection, FormKeys);
    ini.OrderKeys(SettingsSection, SettingsKeys);
    ini.OrderKeys(NetworkSection, NetworkKeys);
    ini.OrderKeys(ExportSection, ExportKeys);
    return ini.Save(fileName, error);
}

QString ReplaceExtension(const QString& programFilePath, const QString& extension) {
    const QFileInfo info(programFilePath);
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    return info.path() + QLatin1Char('/') + base + extension;
}
