#include "serial/ExternalInputPort.h"

#include "prompts/Prompts.h"
#include "serial/WUni232c.h"

bool OpenExternalInputPort(TWUni232c& port, bool auxinTicked, const QString& portText, Prompts& prompts) {
    port.Close();
    if (!auxinTicked) return true;

    // Ticked without a port, the event box's marks would be lost unnoticed.
    const auto refuseWithoutPort = [&prompts] {
        prompts.Error(QString::fromLatin1(NoExternalInputPortText));
        return false;
    };
    const QString text = portText.trimmed();
    if (text.isEmpty()) return refuseWithoutPort();

    if (text.startsWith(QLatin1Char('/'))) {
        port.DevicePath = text;
    } else {
        bool isNumber = false;
        const qlonglong number = text.toLongLong(&isNumber);
        if (!isNumber) {
            prompts.Error(QStringLiteral("The external input port \"%1\" is neither a COM port number "
                                         "nor a device path beginning with \"/\".")
                              .arg(text));
            return false;
        }
        if (number <= 0) return refuseWithoutPort();
        port.DevicePath.clear();
        port.Port = static_cast<uint8_t>(number & 0xFF);
    }

    try {
        port.Open();
    } catch (const ComPortOpenError&) {
    }
    if (!port.Connect()) {
        prompts.Error(QString::fromLatin1(UnableToOpenExternalInputText));
        return false;
    }
    return true;
}
