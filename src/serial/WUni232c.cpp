#include "serial/WUni232c.h"

#include <QDeadlineTimer>
#include <QSerialPort>
#include <QThread>

namespace {

QSerialPort::Parity ToQtParity(TParityBit parity) {
    switch (parity) {
    case ParityOdd: return QSerialPort::OddParity;
    case ParityEven: return QSerialPort::EvenParity;
    case ParityMark: return QSerialPort::MarkParity;
    case ParitySpace: return QSerialPort::SpaceParity;
    case ParityNone: break;
    }
    return QSerialPort::NoParity;
}

// Linux has no DSR-paced output, so the DTR/DSR handshake runs without flow
// control; the DTR line is still raised as in every other mode.
QSerialPort::FlowControl ToQtFlowControl(TFlowControl flow) {
    switch (flow) {
    case CtrlRtsCts: return QSerialPort::HardwareControl;
    case CtrlXonXoff: return QSerialPort::SoftwareControl;
    case CtrlNone:
    case CtrlDtrDsr: break;
    }
    return QSerialPort::NoFlowControl;
}

bool IsFailure(QSerialPort::SerialPortError error) {
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

}  // namespace

TWUni232c::TWUni232c() : port_(std::make_unique<QSerialPort>()) {}

TWUni232c::~TWUni232c() { Close(); }

QString TWUni232c::DeviceName() const {
    if (!DevicePath.isEmpty()) return DevicePath;
    if (Port == 0) return {};
    return QStringLiteral("/dev/ttyS") + QString::number(Port - 1);
}

int32_t TWUni232c::Open() {
    if (connected_) return -2;

    const QString device = DeviceName();
    if (device.isEmpty()) throw ComPortOpenError();

    // QSerialPort applies these while opening and fails the open when the
    // device refuses any of them, so a half-configured port never counts
    // as open.
    port_->setPortName(device);
    port_->setBaudRate(BaudRate);
    port_->setDataBits(ByteSize == Bit7 ? QSerialPort::Data7 : QSerialPort::Data8);
    port_->setStopBits(StopBits == Stopbit2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    port_->setParity(ToQtParity(ParityBits));
    port_->setFlowControl(ToQtFlowControl(FlowControls));
    // The kernel's tty queue has a fixed size; this buffer in front of it
    // is the queue whose size we can choose.
    port_->setReadBufferSize(QueueSize);
    if (!port_->open(QIODevice::ReadWrite)) {
        port_->clearError();
        throw ComPortOpenError();
    }
    port_->clear(QSerialPort::AllDirections);

    // Devices without modem lines (pseudo-terminals) refuse these; that is
    // no reason to refuse the port.
    port_->setDataTerminalReady(true);
    if (FlowControls != CtrlRtsCts) port_->setRequestToSend(true);
    port_->clearError();

    connected_ = true;
    return 0;
}

int32_t TWUni232c::Close() {
    if (port_->isOpen()) {
        port_->setDataTerminalReady(false);
        port_->clear(QSerialPort::AllDirections);
        port_->close();
        port_->clearError();
    }
    connected_ = false;
    return 0;
}

int32_t TWUni232c::Read(int32_t Size, uint8_t* Buffer) {
    if (!connected_) return -1;
    if (Size <= 0 || Buffer == nullptr) return 0;
    port_->clearError();

    const QDeadlineTimer deadline(ReadTimeoutMs);
    int32_t received = 0;
    bool failed = false;
    while (received < Size) {
        const qint64 count = port_->read(reinterpret_cast<char*>(Buffer) + received, Size - received);
        if (count < 0) {
            failed = true;
            break;
        }
        received += static_cast<int32_t>(count);
        if (received >= Size || deadline.hasExpired()) break;
        if (!port_->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) break;
    }

    if (failed || IsFailure(port_->error())) {
        port_->clearError();
        // Bytes already taken are handed out; the failure shows again on
        // the next call if it persists.
        return received > 0 ? received : -9;
    }
    port_->clearError();
    return received;
}

int32_t TWUni232c::Write(int32_t Size, const uint8_t* Buffer) {
    if (!connected_) return -1;
    if (Size <= 0 || Buffer == nullptr) return 0;
    port_->clearError();

    const qint64 accepted = port_->write(reinterpret_cast<const char*>(Buffer), Size);
    const QDeadlineTimer deadline(WriteTimeoutMs);
    while (accepted >= 0 && port_->bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!port_->waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) break;
    }
    if (accepted < 0 || IsFailure(port_->error())) {
        port_->clearError();
        return -8;
    }
    port_->clearError();
    return static_cast<int32_t>(accepted);
}

int32_t TWUni232c::GetModemStatus() {
    if (!connected_) return -1;
    port_->clearError();
    const QSerialPort::PinoutSignals lines = port_->pinoutSignals();
    if (port_->error() != QSerialPort::NoError) {
        port_->clearError();
        return -1;
    }
    int32_t status = 0;
    if (lines & QSerialPort::ClearToSendSignal) status |= ModemCts;
    if (lines & QSerialPort::DataSetReadySignal) status |= ModemDsr;
    if (lines & QSerialPort::RingIndicatorSignal) status |= ModemRing;
    if (lines & QSerialPort::DataCarrierDetectSignal) status |= ModemCarrier;
    return status;
}

int32_t TWUni232c::SetModemStatus(int32_t State) {
    if (!connected_) return 0;
    port_->setDataTerminalReady((State & 1) != 0);
    // Under RTS/CTS handshake the driver owns the RTS line.
    if (FlowControls != CtrlRtsCts) port_->setRequestToSend((State & 2) != 0);
    port_->clearError();
    return 0;
}

int32_t TWUni232c::SetModemBreak(int32_t waitms) {
    if (!connected_) return 0;
    if (port_->setBreakEnabled(true)) {
        if (waitms > 0) QThread::msleep(static_cast<unsigned long>(waitms));
        port_->setBreakEnabled(false);
    }
    port_->clearError();
    return 0;
}

QString TWUni232c::GetVersion() { return QStringLiteral("TWUni232c 2.0 (Qt SerialPort)"); }

QString TWUni232c::Error2Str(int32_t OpenErrorCode) {
    const char* message = "Unknown Error";
    switch (OpenErrorCode) {
    case 0: message = "NO Error"; break;
    case -2: message = "Already ComPort Open"; break;
    case -3: message = "Please Device Connect"; break;
    case -4:
    case -5:
    case -6: message = "Can not Open Device"; break;
    case -8: message = "Write Buffer Error"; break;
    case -9: message = "Read Buffer Error"; break;
    default: break;
    }
    return QStringLiteral("Error Code = %1\r\n").arg(OpenErrorCode) + QLatin1String(message);
}
