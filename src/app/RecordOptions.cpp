#include "app/RecordOptions.h"

#include <QSet>

#include "session/AcquisitionSession.h"

namespace {
constexpr int MaxSensors = AcquisitionSession::MaxSensors;

std::optional<RecordRequest> Refuse(QString* problem, const QString& text) {
    *problem = text;
    return std::nullopt;
}

// "--sensors A,B --sensors C" is A, B and C.
QStringList SensorNames(const QStringList& values) {
    QStringList names;
    for (const QString& value : values)
        for (const QString& name : value.split(QLatin1Char(','))) names << name.trimmed();
    return names;
}
}  // namespace

const char* const RecordExitCodes =
    "Exit codes of --record:\n"
    "  0  every named sensor's record was saved in DIR, each file named on the output: the measurement ran for\n"
    "     --duration seconds from its first sample, until a record was full, or until SIGINT or SIGTERM.\n"
    "  1  nothing or not everything was recorded; the error output says why: a named sensor was not found in the\n"
    "     scan (only sensors paired with this computer are found), Bluetooth cannot be used, DIR or the marks\n"
    "     port cannot be used, the sensors did not connect, a sensor sent no sample, the signal came before the\n"
    "     first sample, or a record file was not written. The records that were written stay.\n"
    "  2  the command line was wrong; nothing was recorded.\n"
    "A file in DIR is never replaced: a name already taken gets _2, _3, ... before .csv. A record that a crash\n"
    "or a kill kept from its file stays in the crash journal of the window's data folder, and the window\n"
    "brings it back at its next start; --record does not open records itself.\n";

RecordOptions::RecordOptions()
    : folder(QStringLiteral("record"),
             QStringLiteral("Measure the sensors of --sensors without a window and save a record file per sensor in "
                            "DIR (made when missing), named <sensor>_<yyyymmdd-hhmmss>.csv by the measurement's "
                            "start. A line a second on the output tells each sensor's rows, battery and state."),
             QStringLiteral("DIR")),
      sensors(QStringLiteral("sensors"),
              QStringLiteral("With --record: the names of 1 to 4 paired sensors, separated by commas, measured "
                             "together on one timeline."),
              QStringLiteral("NAME[,NAME...]")),
      rate(QStringLiteral("rate"),
           QStringLiteral("With --record: the seconds between samples, 0.1 (the default), 0.2, 0.5, 1.0 or 5.0."),
           QStringLiteral("SECONDS")),
      duration(QStringLiteral("duration"),
               QStringLiteral("With --record: end after this many seconds of measurement, from the first sample; "
                              "without it, the measurement ends at SIGINT (Ctrl+C) or SIGTERM, which also end it "
                              "early. Either way the records are saved."),
               QStringLiteral("SECONDS")),
      marksPort(QStringLiteral("marks-port"),
                QStringLiteral("With --record: take event marks from stimulus programs on 127.0.0.1 at PORT (TCP "
                               "and UDP, as the window's Network Marks) into every record."),
                QStringLiteral("PORT")) {}

bool RecordOptions::AnyButFolderSet(const QCommandLineParser& parser) const {
    return parser.isSet(sensors) || parser.isSet(rate) || parser.isSet(duration) || parser.isSet(marksPort);
}

std::optional<RecordRequest> ParseRecordOptions(const QCommandLineParser& parser, const RecordOptions& options,
                                                QString* problem) {
    RecordRequest request;
    request.folder = parser.value(options.folder);
    if (request.folder.trimmed().isEmpty()) return Refuse(problem, QStringLiteral("--record needs a folder."));
    if (!parser.isSet(options.sensors))
        return Refuse(problem, QStringLiteral("--record needs --sensors with the names of the sensors to measure."));
    request.sensors = SensorNames(parser.values(options.sensors));
    if (request.sensors.contains(QString())) return Refuse(problem, QStringLiteral("--sensors has an empty name."));
    if (request.sensors.size() > MaxSensors)
        return Refuse(problem, QStringLiteral("--sensors takes 1 to %1 names; %2 were given.")
                                   .arg(MaxSensors)
                                   .arg(request.sensors.size()));
    QSet<QString> seen;
    for (const QString& name : request.sensors) {
        if (seen.contains(name)) return Refuse(problem, QStringLiteral("--sensors names %1 twice.").arg(name));
        seen.insert(name);
    }
    if (parser.isSet(options.rate)) {
        const std::optional<int> item = RecordRateItem(parser.value(options.rate));
        if (!item)
            return Refuse(problem, QStringLiteral("--rate takes the seconds between samples: 0.1, 0.2, 0.5, 1.0 or "
                                                  "5.0, not '%1'.")
                                       .arg(parser.value(options.rate)));
        request.rateItem = *item;
    }
    if (parser.isSet(options.duration)) {
        bool number = false;
        request.durationSeconds = parser.value(options.duration).trimmed().toDouble(&number);
        if (!number || !(request.durationSeconds > 0))
            return Refuse(problem, QStringLiteral("--duration takes a number of seconds above 0, not '%1'.")
                                       .arg(parser.value(options.duration)));
        const double longest = LongestRecordSeconds(request.rateItem);
        if (request.durationSeconds > longest)
            return Refuse(problem, QStringLiteral("--duration: a record holds at most %1 s at this rate.").arg(longest));
    }
    if (parser.isSet(options.marksPort)) {
        bool number = false;
        request.marksPort = parser.value(options.marksPort).trimmed().toInt(&number);
        if (!number || request.marksPort < 1 || request.marksPort > 65535)
            return Refuse(problem, QStringLiteral("--marks-port takes a port from 1 to 65535, not '%1'.")
                                       .arg(parser.value(options.marksPort)));
    }
    return request;
}
