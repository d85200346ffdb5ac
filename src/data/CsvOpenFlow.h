#pragma once

#include <QString>
#include <functional>

class Prompts;
struct SampleStore;

constexpr const char* DiscardQuestionText = "Do you want to discard unsaved data?";
constexpr const char* DataFormatErrorText = "Data format error.";
constexpr const char* UnableToOpenFileText = "Unable to open file.";

// What the window does with the scroll bar under the trend.
enum class ScrollBarUpdate {
    Keep,                  // the record in view did not change
    ApplyScrollRangeRule,  // the view's rule for a stopped record: shown at the end when longer than the screen
    Hide,
};

struct OpenRecordOutcome {
    // The opened file's record replaced the one in memory. Only then does
    // the window change: the view leaves review and overview (trend panel
    // white), the sensor-check selection gives way to the normal view
    // controls, "Clear value-initialization points" is disabled, and the
    // fields below apply. Otherwise the window keeps the record it shows.
    bool recordReplaced = false;
    // A first line was read, accepted or not: the sample cursor is removed.
    bool sampleCursorCleared = false;
    bool editMenuEnabled = false;
    ScrollBarUpdate scrollBar = ScrollBarUpdate::Keep;
    QString statusText;  // the status bar line (empty for an empty record)
};

// "Open" once the file is chosen: reads the file and tells the user what
// went wrong: "Data format error." (the rows read before the bad line are
// kept and shown), a file that cannot be opened, a file longer than the
// store. busyCursor(true) shows the hourglass; busyCursor(false) ends it.
OpenRecordOutcome OpenRecordFile(SampleStore& store, Prompts& prompts, const QString& path,
                                 const std::function<void(bool busy)>& busyCursor = {});

// "FileName[ <name> ]    DeviceID[ ... ]    Start[ ... ]    Rate[ ... ]    Count[ ... ]"
QString OpenedRecordStatusText(const SampleStore& store, const QString& fileName);
