#include <gtest/gtest.h>
#include <termios.h>

#include <QElapsedTimer>

#include "support/PseudoTerminalPair.h"
#include "serial/WUni232c.h"

namespace {

class SerialPortOverPty : public ::testing::Test {
protected:
    void SetUp() override {
        if (!pair.failure.isEmpty()) GTEST_SKIP() << pair.failure.toStdString();
        port.DevicePath = pair.nearPath;
        port.BaudRate = 9600;
    }

    // Reads until count bytes came or a generous deadline passed; each Read
    // waits at most its own time-out.
    QByteArray ReadNear(int count) {
        QByteArray received;
        QElapsedTimer elapsed;
        elapsed.start();
        while (received.size() < count && elapsed.elapsed() < 5000) {
            uint8_t buffer[64];
            const int32_t got = port.Read(std::min<int32_t>(count - received.size(), 64), buffer);
            if (got < 0) break;
            received.append(reinterpret_cast<const char*>(buffer), got);
        }
        return received;
    }

    PseudoTerminalPair pair;
    TWUni232c port;
};

struct LineCase {
    int32_t baud;
    speed_t speed;
    TByteSize byteSize;
    TParityBit parity;
    TStopBit stopBits;
    TFlowControl flow;
    tcflag_t characterSize;
    tcflag_t parityFlags;  // of PARENB | PARODD | CMSPAR
    bool twoStopBits;
    bool hardwareFlow;
    bool softwareFlow;
};

const LineCase LineCases[] = {
    // The event box: 9600 8N1, no handshake.
    {9600, B9600, Bit8, ParityNone, Stopbit1, CtrlNone, CS8, 0, false, false, false},
    {19200, B19200, Bit7, ParityEven, Stopbit2, CtrlRtsCts, CS7, PARENB, true, true, false},
    {115200, B115200, Bit8, ParityOdd, Stopbit1, CtrlXonXoff, CS8, PARENB | PARODD, false, false, true},
    {4800, B4800, Bit8, ParityMark, Stopbit1, CtrlDtrDsr, CS8, PARENB | PARODD | CMSPAR, false, false, false},
    {2400, B2400, Bit7, ParitySpace, Stopbit1, CtrlNone, CS7, PARENB | CMSPAR, false, false, false},
};

TEST_F(SerialPortOverPty, AppliesTheLineSettingsToTheDevice) {
    for (const auto& c : LineCases) {
        SCOPED_TRACE(c.baud);
        port.BaudRate = c.baud;
        port.ByteSize = c.byteSize;
        port.ParityBits = c.parity;
        port.StopBits = c.stopBits;
        port.FlowControls = c.flow;
        ASSERT_EQ(port.Open(), 0);

        termios settings{};
        ASSERT_TRUE(pair.NearLineSettings(settings));
        EXPECT_EQ(cfgetispeed(&settings), c.speed);
        EXPECT_EQ(cfgetospeed(&settings), c.speed);
        // Mark and space show as CMSPAR, odd and mark as PARODD.
        EXPECT_EQ(settings.c_cflag & (PARODD | CMSPAR), c.parityFlags & (PARODD | CMSPAR));
        EXPECT_EQ((settings.c_cflag & CSTOPB) != 0, c.twoStopBits);
        EXPECT_EQ((settings.c_cflag & CRTSCTS) != 0, c.hardwareFlow);
        EXPECT_EQ((settings.c_iflag & IXON) != 0, c.softwareFlow);
        EXPECT_EQ((settings.c_iflag & IXOFF) != 0, c.softwareFlow);
        // Binary: no translation of line ends or echo on the way in.
        EXPECT_EQ(settings.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(settings.c_iflag & (ICRNL | INLCR), 0u);
        port.Close();
    }
}

TEST_F(SerialPortOverPty, AppliesDataBitsAndParity) {
    if (!pair.KeepsCharacterFormat()) GTEST_SKIP() << "this terminal forces 8 data bits without parity";
    for (const auto& c : LineCases) {
        SCOPED_TRACE(c.baud);
        port.ByteSize = c.byteSize;
        port.ParityBits = c.parity;
        ASSERT_EQ(port.Open(), 0);
        termios settings{};
        ASSERT_TRUE(pair.NearLineSettings(settings));
        EXPECT_EQ(settings.c_cflag & CSIZE, c.characterSize);
        EXPECT_EQ(settings.c_cflag & (PARENB | PARODD | CMSPAR), c.parityFlags);
        port.Close();
    }
}

TEST_F(SerialPortOverPty, CarriesBytesBothWays) {
    ASSERT_EQ(port.Open(), 0);
    EXPECT_TRUE(port.Connect());

    const QByteArray fromDevice("\x02S3\x03\x00\xff", 6);
    ASSERT_TRUE(pair.WriteFar(fromDevice));
    EXPECT_EQ(ReadNear(fromDevice.size()), fromDevice);

    const uint8_t toDevice[] = {'a', 0x00, 0x7f, 0xff, '\n'};
    EXPECT_EQ(port.Write(sizeof toDevice, toDevice), 5);
    EXPECT_EQ(pair.ReadFar(5, 5000), QByteArray(reinterpret_cast<const char*>(toDevice), 5));
}

TEST_F(SerialPortOverPty, ReadWaitsAtMostItsTimeOutAndLeavesTheRestQueued) {
    ASSERT_EQ(port.Open(), 0);
    uint8_t buffer[16];

    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(port.Read(16, buffer), 0);
    // It did wait for bytes (and came back: a test run would hang otherwise).
    EXPECT_GE(elapsed.elapsed(), TWUni232c::ReadTimeoutMs - 10);

    QByteArray twenty;
    for (int i = 0; i < 20; ++i) twenty.append(char('A' + i));
    ASSERT_TRUE(pair.WriteFar(twenty));
    ASSERT_TRUE(pair.WaitNearQueued(20, 5000));
    ASSERT_EQ(port.Read(16, buffer), 16);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), 16), twenty.left(16));
    ASSERT_EQ(port.Read(16, buffer), 4);
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), 4), twenty.mid(16));
}

TEST_F(SerialPortOverPty, SecondOpenChangesNothing) {
    ASSERT_EQ(port.Open(), 0);
    port.DevicePath = QStringLiteral("/dev/tq580-no-such-port");  // would throw if it were opened
    EXPECT_EQ(port.Open(), -2);
    EXPECT_TRUE(port.Connect());

    ASSERT_TRUE(pair.WriteFar("\x02" "E7\x03"));
    EXPECT_EQ(ReadNear(4), QByteArray("\x02" "E7\x03"));
}

TEST_F(SerialPortOverPty, CloseEndsAccessAndTheDeviceCanBeOpenedAgain) {
    ASSERT_EQ(port.Open(), 0);
    EXPECT_EQ(port.Close(), 0);
    EXPECT_FALSE(port.Connect());
    uint8_t buffer[4] = {1, 2, 3, 4};
    EXPECT_EQ(port.Read(4, buffer), -1);
    EXPECT_EQ(port.Write(4, buffer), -1);
    EXPECT_EQ(port.GetModemStatus(), -1);
    EXPECT_EQ(port.Close(), 0);

    ASSERT_EQ(port.Open(), 0);
    EXPECT_EQ(port.Write(4, buffer), 4);
    EXPECT_EQ(pair.ReadFar(4, 5000), QByteArray("\x01\x02\x03\x04", 4));
}

TEST_F(SerialPortOverPty, ModemLinesWhereTheDeviceHasThem) {
    ASSERT_EQ(port.Open(), 0);
    EXPECT_EQ(port.SetModemStatus(3), 0);
    EXPECT_EQ(port.SetModemBreak(5), 0);
    const int32_t status = port.GetModemStatus();
    // The port keeps working whatever the device made of the line requests.
    ASSERT_TRUE(pair.WriteFar("ok"));
    EXPECT_EQ(ReadNear(2), QByteArray("ok"));
    if (status < 0) GTEST_SKIP() << "this pseudo-terminal has no modem lines";
    EXPECT_EQ(status & ~(ModemCts | ModemDsr | ModemRing | ModemCarrier), 0);
}

TEST(SerialPort, RaisesOpenErrorForADeviceThatCannotBeOpened) {
    const char* devices[] = {"/dev/tq580-no-such-port", "/dev/null", "/proc"};
    for (const char* device : devices) {
        SCOPED_TRACE(device);
        TWUni232c port;
        port.DevicePath = QString::fromLatin1(device);
        try {
            port.Open();
            ADD_FAILURE() << "opened";
        } catch (const ComPortOpenError& error) {
            EXPECT_STREQ(error.what(), "Com Port Open Error");
        }
        EXPECT_FALSE(port.Connect());
    }
    TWUni232c portZero;
    portZero.Port = 0;  // COM0 does not exist
    EXPECT_THROW(portZero.Open(), ComPortOpenError);
}

TEST(SerialPort, ComNumbersNameTheLinuxSerialDevices) {
    TWUni232c port;
    EXPECT_EQ(port.Port, 1);
    EXPECT_EQ(port.DeviceName(), QStringLiteral("/dev/ttyS0"));
    port.Port = 12;
    EXPECT_EQ(port.DeviceName(), QStringLiteral("/dev/ttyS11"));
    port.DevicePath = QStringLiteral("/dev/ttyUSB0");
    EXPECT_EQ(port.DeviceName(), QStringLiteral("/dev/ttyUSB0"));
}

TEST(SerialPort, DefaultsAndErrorTexts) {
    TWUni232c port;
    EXPECT_EQ(port.BaudRate, 115200);
    EXPECT_EQ(port.ParityBits, ParityNone);
    EXPECT_EQ(port.ByteSize, Bit8);
    EXPECT_EQ(port.StopBits, Stopbit1);
    EXPECT_EQ(port.FlowControls, CtrlNone);
    EXPECT_FALSE(port.Connect());
    EXPECT_FALSE(TWUni232c::GetVersion().isEmpty());

    const std::pair<int32_t, const char*> texts[] = {
        {0, "NO Error"}, {-2, "Already ComPort Open"}, {-3, "Please Device Connect"},
        {-4, "Can not Open Device"}, {-5, "Can not Open Device"}, {-6, "Can not Open Device"},
        {-8, "Write Buffer Error"}, {-9, "Read Buffer Error"}, {-1, "Unknown Error"}, {7, "Unknown Error"},
    };
    for (const auto& [code, message] : texts)
        EXPECT_EQ(TWUni232c::Error2Str(code),
                  QStringLiteral("Error Code = %1\r\n").arg(code) + QString::fromLatin1(message));
}

}  // namespace
