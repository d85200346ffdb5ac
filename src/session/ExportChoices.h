#pragma once

#include <QString>

// What the exports remember between runs (the settings file's [Export]).
struct ExportChoices {
    // A saved upload also writes its SNIRF file beside the record file.
    bool SnirfBesideUploads = true;
    // The subject the window's SNIRF export last wrote.
    QString Subject;
    // The window's BIDS export: the dataset folder and the labels last used.
    QString BidsDataset;
    QString BidsSubject;
    QString BidsSession;
    QString BidsTask;
};
