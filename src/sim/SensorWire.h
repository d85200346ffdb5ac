#pragma once

#include <QByteArray>
#include <QList>
#include <cstdint>

// The bytes a sensor puts on the air, built from the device's own packet
// tables. Nothing here is shared with the program's decoder, so a mistake on
// one side cannot cancel out the same mistake on the other.
namespace SensorWire {

constexpr int MeasurementPacketLength = 37;
constexpr int CheckPacketLength = 21;
constexpr int UploadHeaderLength = 37;
constexpr uint16_t CompanyIdentifier = 0xFFFF;  // the identifier reserved for tests and prototypes
constexpr int ManufacturerDataLength = 10;

// One channel of a measurement or upload packet. In real time first/second
// are OXHb and DXHb in mM; in an upload the 770 nm and 830 nm intensities.
struct ChannelBlock {
    uint16_t status = 0;
    float first = 0;
    float second = 0;
    float sto2 = 0;  // fraction
};

struct MeasurementFields {
    uint8_t seq = 0;
    uint16_t battery = 0;  // raw, 0.00352 V per count
    int16_t acc[3] = {};   // 1024 counts per G
    ChannelBlock ch[2];
};

struct CheckFields {
    uint8_t seq = 0;
    uint16_t battery = 0;
    int16_t acc[3] = {};
    uint16_t level[2][3] = {};  // per channel: 7 mm, 30 mm, 35 mm detector
};

struct UploadHeaderFields {
    uint16_t rateIndex = 0;
    uint32_t date = 0;  // packed BCD yymmdd
    uint32_t time = 0;  // packed BCD hhmmss
    uint32_t count = 0;
    bool badMarker = false;  // a header the program must refuse
};

struct AdvertisementFields {
    bool measuring = false;
    int rateIndex = 0;  // 0..7
    int item = 0;       // 0 STO2, 1 OXHb, 2 DXHb, 3 TOHb
    double volts = 0;
    uint8_t value[2] = {};
    uint32_t count = 0;
};

QByteArray MeasurementPacket(const MeasurementFields& fields);
QByteArray CheckPacket(const CheckFields& fields);
QByteArray UploadHeader(const UploadHeaderFields& fields);

// 0x7B, the content with 0x7B, 0x7C and 0x7D escaped as 0x7C and the byte
// XOR 0x20, then 0x7D.
QByteArray FramePacket(const QByteArray& content);
// STX, the text, ETX.
QByteArray FrameText(const QByteArray& text);

// The manufacturer-specific advertising data, company identifier first.
QByteArray ManufacturerData(const AdvertisementFields& fields);

// The advertised value byte of one channel: STO2 as whole percent, the
// haemoglobin items as a signed byte in hundredths of mM.
uint8_t ValueByte(int item, double value);
constexpr uint8_t ValueByteError = 0xF1;  // "ERR"

uint32_t PackBcd(int high, int middle, int low);
uint16_t PacketBatteryRaw(double volts);
int16_t AccelerationRaw(double g);

// Collects the texts of the PC's STX...ETX frames; other bytes are ignored.
class CommandReader {
public:
    QList<QByteArray> Feed(const QByteArray& bytes);

private:
    static constexpr int MaxTextLength = 64;
    bool inText_ = false;
    QByteArray text_;
};

}  // namespace SensorWire
