#pragma once

#include <QString>

struct CsvWriteOutcome;

constexpr const char* OverwriteQuestionText = "Do you want to overwrite the existing file?";
constexpr const char* UnableToCreateFileText = "Unable to create file.";
constexpr const char* CreatedText = " Created.";

// The save dialog's default extension: a name without one gets ".csv".
QString WithCsvExtension(const QString& path);

// What the user is told when the record could not be written to path; an
// existing file of that name is unchanged then.
QString SaveFailureText(const CsvWriteOutcome& outcome, const QString& path);
