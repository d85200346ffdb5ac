#include "app/RecordPrompts.h"

RecordPrompts::RecordPrompts(QTextStream& err, QStringList sensors, int rateItem)
    : err_(err), sensors_(std::move(sensors)), rateItem_(rateItem) {}

void RecordPrompts::Error(const QString& text) {
    ++errors_;
    err_ << text << Qt::endl;
}

void RecordPrompts::Notice(const QString& text) { err_ << text << Qt::endl; }

void RecordPrompts::AskYesNo(const QString& text, Answered<bool> answered) {
    err_ << text << QStringLiteral(" (answered No)") << Qt::endl;
    answered(false);
}

void RecordPrompts::AskOkCancel(const QString& text, Answered<bool> answered) {
    err_ << text << QStringLiteral(" (answered Cancel)") << Qt::endl;
    answered(false);
}

void RecordPrompts::ConnectionSettings(const ConnectionOffer& offer,
                                       Answered<std::optional<ConnectionChoice>> answered) {
    QStringList missing;
    for (const QString& name : sensors_)
        if (!offer.deviceNames.contains(name)) missing << name;
    if (!missing.isEmpty()) {
        const QString found = offer.deviceNames.isEmpty() ? QStringLiteral("none") : offer.deviceNames.join(u", ");
        Error(QStringLiteral("Not found in the scan: %1. Found: %2 (only sensors paired with this computer are "
                             "found).")
                  .arg(missing.join(u", "), found));
        answered(std::nullopt);
        return;
    }
    answered(ConnectionChoice{sensors_.constFirst(), rateItem_, false, sensors_.mid(1)});
}
