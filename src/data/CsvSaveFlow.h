#pragma once

#include <QString>
#include <functional>

class Prompts;
struct SampleStore;

constexpr const char* OverwriteQuestionText = "Do you want to overwrite the existing file?";
constexpr const char* UnableToCreateFileText = "Unable to create file.";
constexpr const char* CreatedText = " Created.";

// Saves the record through the save dialog: nothing when DataSaved is set
// or the record is empty; asks before replacing an existing file (No shows
// the dialog again); a name without extension gets ".csv". The old file is
// only replaced by a completely written new one: on a write failure the
// user is told and the old file stays. Sets SavedFileName (without folder)
// and, on success, DataSaved, and the whole path in savedPath when given.
// True when the file was written.
// processEvents runs every 10 rows to keep the window responsive; the
// window must keep other record-changing commands away meanwhile.
bool Save(SampleStore& store, Prompts& prompts, const QString& DataFolder, QString& SavedFileName,
          const std::function<void()>& processEvents = {}, QString* savedPath = nullptr);

// Save, then the notice SavedFileName + " Created." on success: the "Save"
// menu item and the end of a measurement or an upload use it alike.
bool SaveWithNotice(SampleStore& store, Prompts& prompts, const QString& DataFolder, QString& SavedFileName,
                    const std::function<void()>& processEvents = {});
