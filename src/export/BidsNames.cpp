#include "export/BidsNames.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>

bool IsBidsLabel(const QString& label) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9]+$"));
    return pattern.match(label).hasMatch();
}

QString BidsTargetProblem(const BidsTarget& target) {
    const auto problem = [](const char* what, const QString& label) {
        if (label.isEmpty()) return QStringLiteral("no %1 label is given").arg(QLatin1String(what));
        return QStringLiteral("the %1 label '%2' may hold only letters and digits (A-Z, a-z, 0-9)")
            .arg(QLatin1String(what), label);
    };
    if (target.dataset.trimmed().isEmpty()) return QStringLiteral("no dataset folder is given");
    if (!IsBidsLabel(target.subject)) return problem("subject", target.subject);
    if (!target.session.isEmpty() && !IsBidsLabel(target.session)) return problem("session", target.session);
    if (!IsBidsLabel(target.task)) return problem("task", target.task);
    if (target.firstRun < 0) return QStringLiteral("a run is a number from 1 on");
    return {};
}

BidsRunNames NamesOfRun(const BidsTarget& target, int run) {
    BidsRunNames names;
    names.subjectStem = QStringLiteral("sub-") + target.subject;
    names.scansFolder = names.subjectStem;
    if (!target.session.isEmpty()) {
        names.subjectStem += QStringLiteral("_ses-") + target.session;
        names.scansFolder += QStringLiteral("/ses-") + target.session;
    }
    names.dataFolder = names.scansFolder + QStringLiteral("/nirs");
    names.runStem = QStringLiteral("%1_task-%2_run-%3").arg(names.subjectStem, target.task).arg(run);
    names.scansFile = names.scansFolder + QLatin1Char('/') + names.subjectStem + QStringLiteral("_scans.tsv");
    return names;
}

namespace {

// What a run number of a file name stands for: digits without the zeros that
// lead them, compared as numbers; past MaxBidsRun for any that do not fit.
int64_t RunNumber(const QString& digits) {
    qsizetype first = 0;
    while (first < digits.size() - 1 && digits[first] == u'0') ++first;
    const QString significant = digits.sliced(first);
    if (significant.size() > 10) return int64_t{MaxBidsRun} + 1;
    return significant.toLongLong();
}

// Each entry of the run's folder that belongs to a run of the subject,
// session and task, with its run number.
template <typename Visit>
void ForEachRunEntry(const BidsTarget& target, Visit visit) {
    const BidsRunNames names = NamesOfRun(target, 0);
    const QRegularExpression pattern(
        QStringLiteral("^%1_task-%2_run-([0-9]+)_")
            .arg(QRegularExpression::escape(names.subjectStem), QRegularExpression::escape(target.task)));
    const QDir folder(QDir(target.dataset).filePath(names.dataFolder));
    for (const QString& name : folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch()) visit(folder.filePath(name), RunNumber(match.captured(1)));
    }
}

}  // namespace

int NextBidsRun(const BidsTarget& target) {
    int64_t last = 0;
    ForEachRunEntry(target, [&last](const QString&, int64_t run) { last = std::max(last, run); });
    return last >= MaxBidsRun ? 0 : static_cast<int>(last + 1);
}

QString ExistingRunEntry(const BidsTarget& target, int run) {
    QString found;
    ForEachRunEntry(target, [&](const QString& path, int64_t number) {
        if (number == run && found.isEmpty()) found = path;
    });
    return found;
}
