#pragma once

#include <QIODevice>
#include <cstdint>
#include <optional>
#include <string_view>

// One line of a record file as the reader sees it: at most 511 characters
// plus a terminating zero.
constexpr int LineBufferSize = 512;
constexpr int MaxLineLength = LineBufferSize - 1;

// Reads lines the way the record reader defines them: up to a line feed, the
// end of the file, a read error or 511 stored characters, whichever comes
// first; carriage returns are dropped wherever they occur; the line feed is
// consumed and not stored. A longer line therefore comes in pieces of 511.
class CsvLineReader {
public:
    explicit CsvLineReader(QIODevice& device) : device_(device) {}

    // Number of characters stored in LineBuffer (zero-terminated); 0 at the
    // end of the file and for an empty line.
    int32_t ReadLine(char (&LineBuffer)[LineBufferSize]);
    bool ReadFailed() const { return failed_; }
    // The last line read filled the 511 characters before its line feed: the
    // next piece is its rest (empty when the line feed came right after).
    bool LineCut() const { return cut_; }
    // Nothing is left to read.
    bool AtEnd() { return !FillChunk(); }

private:
    // True when unread bytes are in the chunk, reading the next one if need be.
    bool FillChunk();

    QIODevice& device_;
    char chunk_[64 * 1024];
    qint64 chunkLength_ = 0;
    qint64 chunkPosition_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    bool cut_ = false;
};

// A line split at its commas; at most 32 fields, text after the 32nd comma
// is ignored. A field a spreadsheet put in double quotes is taken without
// them ("" inside stands for one quote, and commas inside are text). The
// fields point into the line, quoted ones into storage: the line must stay
// as it is while they are used.
constexpr int MaxCsvFields = 32;

struct CsvFields {
    int count = 0;
    std::string_view field[MaxCsvFields];
    char storage[LineBufferSize];

    // Field k counted from 1 as the file format names them; empty when absent.
    std::string_view operator()(int k) const { return k >= 1 && k <= count ? field[k - 1] : std::string_view(); }
};

void SplitCsvLine(const char* line, int32_t length, CsvFields& fields);

// Numbers with a full stop as decimal separator, spaces allowed around them.
// An empty text is no integer; it reads as 0 where a number may be empty.
std::optional<int64_t> ParseCsvInteger(std::string_view text);
std::optional<double> ParseCsvNumber(std::string_view text);
// The same without std::optional, whose flag the compiler passes through
// memory: the reader calls this twelve times a row.
bool ParseCsvNumber(std::string_view text, double& value);
