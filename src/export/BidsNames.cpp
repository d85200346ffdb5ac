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

int NextBidsRun(const BidsTarget& target) {
    const BidsRunNames names = NamesOfRun(target, 0);
    const QRegularExpression pattern(
        QStringLiteral("^%1_task-%2_run-0*(\\d+)_")
            .arg(QRegularExpression::escape(names.subjectStem), QRegularExpression::escape(target.task)));
    int last = 0;
    const QDir folder(QDir(target.dataset).filePath(names.dataFolder));
    for (const QString& name : folder.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch()) last = std::max(last, match.captured(1).toInt());
    }
    return last + 1;
}
