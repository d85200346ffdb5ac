#pragma once

#include <QStringList>
#include <QTextStream>

#include "prompts/Prompts.h"

// The session's prompts for a measurement without a window: messages go to
// the error output, questions get No or Cancel (no one is there to answer),
// and the connection dialog is answered with the sensors and rate asked for
// on the command line, or called off with the names the scan did not find.
class RecordPrompts : public Prompts {
public:
    RecordPrompts(QTextStream& err, QStringList sensors, int rateItem);

    // Errors told so far.
    int ErrorCount() const { return errors_; }

    void Error(const QString& text) override;
    void Notice(const QString& text) override;
    void AskYesNo(const QString& text, Answered<bool> answered) override;
    void AskOkCancel(const QString& text, Answered<bool> answered) override;
    void SaveFileName(const QString&, const QString&, Answered<QString> answered) override { answered({}); }
    void OpenFileName(const QString&, Answered<QString> answered) override { answered({}); }
    void SnirfFileName(const QString&, const QString&, Answered<QString> answered) override { answered({}); }
    void ConnectionSettings(const ConnectionOffer& offer, Answered<std::optional<ConnectionChoice>> answered) override;

private:
    QTextStream& err_;
    QStringList sensors_;
    int rateItem_;
    int errors_ = 0;
};
