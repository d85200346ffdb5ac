#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <stdexcept>

class QSerialPort;

enum TParityBit { ParityNone, ParityOdd, ParityEven, ParityMark, ParitySpace };
enum TByteSize { Bit7, Bit8 };  // data bits: 7 + the value
enum TStopBit { Stopbit1, Stopbit2 };
enum TFlowControl { CtrlNone, CtrlDtrDsr, CtrlRtsCts, CtrlXonXoff };

// Raised by Open when the device cannot be opened or set up.
class ComPortOpenError : public std::runtime_error {
public:
    ComPortOpenError() : std::runtime_error("Com Port Open Error") {}
};

// Modem input lines as returned by GetModemStatus.
constexpr int32_t ModemCts = 0x10;
constexpr int32_t ModemDsr = 0x20;
constexpr int32_t ModemRing = 0x40;
constexpr int32_t ModemCarrier = 0x80;

// The serial port the external event box talks on. Keeps the operations and
// results of the COM port component the rest of the program is written
// against; underneath it is a QSerialPort, used only from the GUI thread and
// polled, never driven by its signals.
//
// Port N opens /dev/ttyS<N-1> (COM1 is ttyS0). DevicePath, when not empty,
// is opened as it stands instead (USB adapters, pseudo-terminals).
class TWUni232c {
public:
    TWUni232c();
    ~TWUni232c();
    TWUni232c(const TWUni232c&) = delete;
    TWUni232c& operator=(const TWUni232c&) = delete;

    uint8_t Port = 1;
    QString DevicePath;
    int32_t BaudRate = 115200;
    TParityBit ParityBits = ParityNone;
    TByteSize ByteSize = Bit8;
    TStopBit StopBits = Stopbit1;
    TFlowControl FlowControls = CtrlNone;

    bool Connect() const { return connected_; }
    // The device Open would open; empty for port 0, which has no device.
    QString DeviceName() const;

    // 0 on success, -2 when already open; throws ComPortOpenError.
    int32_t Open();
    int32_t Close();
    // Waits until Size bytes have arrived or 100 ms have passed and returns
    // how many it got (0 when none arrived); -1 when closed, -9 on a failure.
    // Bytes beyond Size stay queued for the next call.
    int32_t Read(int32_t Size, uint8_t* Buffer);
    // Bytes written; -1 when closed, -8 on a failure.
    int32_t Write(int32_t Size, const uint8_t* Buffer);
    // ModemCts | ModemDsr | ModemRing | ModemCarrier as they are; -1 when the
    // lines cannot be read (closed, or a device without modem lines).
    int32_t GetModemStatus();
    // Bit 0 sets DTR, bit 1 RTS.
    int32_t SetModemStatus(int32_t State);
    int32_t SetModemBreak(int32_t waitms);

    static QString GetVersion();
    static QString Error2Str(int32_t OpenErrorCode);

    // Queue size asked of the driver for each direction.
    static constexpr int32_t QueueSize = 32768;
    static constexpr int ReadTimeoutMs = 100;
    static constexpr int WriteTimeoutMs = 100;

private:
    std::unique_ptr<QSerialPort> port_;
    bool connected_ = false;
};
