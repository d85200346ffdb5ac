#include "app/UploadAllOptions.h"

#include "session/AcquisitionSession.h"

namespace {
constexpr int MaxParallel = AcquisitionSession::MaxUploadParallel;
}  // namespace

const char* const UploadAllExitCodes =
    "Exit codes of --upload-all:\n"
    "  0  every paired sensor that waited with stored samples had its record saved in DIR and its log cleared,\n"
    "     each file named on the output (also when there was nothing to upload).\n"
    "  1  not every record was saved; the error output names each sensor not saved and why (not found, its link\n"
    "     did not come up or was lost, it fell silent, a bad upload header, samples lost, a file not written,\n"
    "     stopped by SIGINT or SIGTERM), or Bluetooth or DIR cannot be used. A sensor not saved keeps its log;\n"
    "     the records that were saved stay.\n"
    "  2  the command line was wrong; nothing was uploaded.\n"
    "A file in DIR is never replaced: a name already taken, as a record or as its SNIRF file, gets _2, _3, ...\n";

UploadAllOptions::UploadAllOptions()
    : folder(QStringLiteral("upload-all"),
             QStringLiteral("Upload the stored record of every paired sensor that waits with stored samples, without "
                            "a window, and save each in DIR (made when missing) as "
                            "<sensor>_<yyyymmdd-hhmmss>.csv by the record's start, with its SNIRF file beside it; "
                            "a sensor's log is cleared once its files are written. A line a second on the output "
                            "tells where each sensor stands."),
             QStringLiteral("DIR")),
      parallel(QStringLiteral("parallel"),
               QStringLiteral("With --upload-all: how many sensors upload at once, 1 to %1 (3 by default).")
                   .arg(MaxParallel),
               QStringLiteral("K")),
      merge(QStringLiteral("merge"),
            QStringLiteral("With --upload-all: merge the marks of the PC's event log into each record, as the "
                           "storage page's \"Merge events\" does.")) {}

bool UploadAllOptions::AnyButFolderSet(const QCommandLineParser& parser) const {
    return parser.isSet(parallel) || parser.isSet(merge);
}

std::optional<UploadAllRequest> ParseUploadAllOptions(const QCommandLineParser& parser, const UploadAllOptions& options,
                                                      QString* problem) {
    UploadAllRequest request;
    request.folder = parser.value(options.folder);
    if (request.folder.trimmed().isEmpty()) {
        *problem = QStringLiteral("--upload-all needs a folder.");
        return std::nullopt;
    }
    if (parser.isSet(options.parallel)) {
        bool number = false;
        request.parallel = parser.value(options.parallel).trimmed().toInt(&number);
        if (!number || request.parallel < 1 || request.parallel > MaxParallel) {
            *problem = QStringLiteral("--parallel takes a number of sensors from 1 to %1, not '%2'.")
                           .arg(MaxParallel)
                           .arg(parser.value(options.parallel));
            return std::nullopt;
        }
    }
    request.merge = parser.isSet(options.merge);
    return request;
}
