#include "app/HeadlessSession.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {
constexpr int SupervisionMilliseconds = 500;  // as the window's Timer1
constexpr int WatchdogMilliseconds = 6000;    // as the window's Timer2
}  // namespace

HeadlessSession::HeadlessSession(BleCentral& central, Prompts& prompts, const ProgramFiles& files, UserChoices choices)
    : choices_(std::move(choices)),
      session_(SessionDependencies{central, prompts, clock_, files.eventLogFile, files.dataFolder, {}}) {
    session_.SetView(this);
    supervision_.setInterval(SupervisionMilliseconds);
    watchdog_.setInterval(WatchdogMilliseconds);
    watchdog_.setSingleShot(true);
    connect(&supervision_, &QTimer::timeout, this, [this] {
        session_.SupervisionTick();
        if (afterTick_) afterTick_();
    });
    connect(&watchdog_, &QTimer::timeout, this, [this] { session_.DiscoveryWatchdogExpired(); });

    AcquisitionSession* session = &session_;
    connect(&central, &BleCentral::DiscoverLEDevice, session, &AcquisitionSession::DeviceDiscovered);
    connect(&central, &BleCentral::EndDiscoverDevices, session, &AcquisitionSession::DiscoveryEnded);
    connect(&central, &BleCentral::Connected, session, &AcquisitionSession::DeviceConnected);
    connect(&central, &BleCentral::Disconnected, session, &AcquisitionSession::DeviceDisconnected);
    connect(&central, &BleCentral::CharacteristicRead, session, &AcquisitionSession::CharacteristicChanged);
}

HeadlessSession::~HeadlessSession() { session_.SetView(nullptr); }

void HeadlessSession::Start(std::function<void()> afterTick) {
    afterTick_ = std::move(afterTick);
    supervision_.start();
}

void HeadlessSession::Finish(int exitCode) {
    supervision_.stop();
    watchdog_.stop();
    session_.Closing();
    QCoreApplication::exit(exitCode);
}

void HeadlessSession::StartDiscoveryWatchdog() {
    if (!watchdog_.isActive()) watchdog_.start();
}

QString HeadlessStartProblem(const BleCentral& central, const QString& folder) {
    const QString unusable = central.UnusableReason();
    if (!unusable.isEmpty()) return unusable;
    const QFileInfo info(folder);
    if (!QDir().mkpath(folder) || !info.isDir() || !info.isWritable())
        return QStringLiteral("Cannot write into the folder %1.").arg(folder);
    return QString();
}
