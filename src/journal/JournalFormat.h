#pragma once

#include <QString>
#include <array>
#include <cstdint>

#include "data/Sample.h"
#include "data/SampleStore.h"

// The crash journal is a run of fixed-size entries, each ending in the CRC-32
// of the bytes before it, so a torn last entry or a damaged one is found and
// everything before it is kept. The first entry names the file (a magic and a
// version, so a later program can tell what it reads); then come the record's
// header (again whenever it changes), its samples in order, and its event-mark
// slots whenever one changes. Numbers are little-endian; floating-point values
// keep their exact bits.
constexpr int JournalEntrySize = 128;
constexpr int JournalChecksumOffset = JournalEntrySize - 4;
constexpr uint16_t JournalVersion = 1;
constexpr int JournalMaxDeviceIdBytes = 100;

// Pending marks files use the same entries: after the file entry, the
// marks the event log file did not take, and how many of them it took since.
enum class JournalEntryType : uint8_t { File = 1, Header = 2, Sample = 3, Mark = 4, PendingMark = 5, MarksTaken = 6 };

// What the journal holds: a record being measured or uploaded, or a record
// already in a file that was changed afterwards (merged marks, value-
// initialization points) and not saved again.
enum class JournalKind : uint8_t { Measurement = 1, Upload = 2, EditedRecord = 3 };

// The header fields a saved record file carries, plus the kind.
struct JournalHeader {
    JournalKind kind = JournalKind::Measurement;
    QString deviceId;
    int32_t rateIndex = 0;
    double startTime = 0;
    bool operator==(const JournalHeader&) const = default;
};

using JournalEntry = std::array<uint8_t, JournalEntrySize>;
static_assert(sizeof(JournalEntry) == JournalEntrySize, "entries are written as they lie in memory");

JournalEntry EncodeFileEntry(uint16_t version = JournalVersion);
// A device name longer than the entry holds is cut at a character boundary.
JournalEntry EncodeHeaderEntry(const JournalHeader& header);
JournalEntry EncodeSampleEntry(int32_t position, const MEAS_DATA_TYPE& sample);
JournalEntry EncodeMarkEntry(int slot, const EVENT_MARK_TYPE& mark);
// A mark of the event log: its local time (OLE date) and code.
JournalEntry EncodePendingMarkEntry(double tm, int32_t event);
// The first `count` marks of the file are in the event log file now.
JournalEntry EncodeMarksTakenEntry(int32_t count);

struct DecodedEntry {
    JournalEntryType type = JournalEntryType::File;
    bool magicMatches = false;  // File: the bytes name a journal of this program
    uint16_t version = 0;       // File
    uint16_t entrySize = 0;     // File
    JournalHeader header;       // Header
    int32_t position = 0;       // Sample
    MEAS_DATA_TYPE sample{};    // Sample
    int slot = 0;               // Mark
    EVENT_MARK_TYPE mark{};     // Mark
    double markTime = 0;        // PendingMark
    int32_t markEvent = 0;      // PendingMark
    int32_t marksTaken = 0;     // MarksTaken
};

// False when the checksum does not match, the type is unknown, or a field is
// out of range (a position past the store, a slot past the mark table).
bool DecodeEntry(const uint8_t* bytes, DecodedEntry& entry);
