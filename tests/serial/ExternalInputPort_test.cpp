#include <gtest/gtest.h>

#include "serial/AuxinCheckBox.h"
#include "serial/ExternalInputPort.h"
#include "support/PseudoTerminalPair.h"
#include "serial/WUni232c.h"
#include "support/ScriptedPrompts.h"

namespace {

const QString UnableToOpen = QStringLiteral("ERROR: Unable to open external input port.");

class OpeningTheExternalInput : public ::testing::Test {
protected:
    void SetUp() override {
        if (!pair.failure.isEmpty()) GTEST_SKIP() << pair.failure.toStdString();
        port.BaudRate = 9600;
    }

    // A port the previous start left open.
    void LeaveOpen(const QString& path) {
        port.DevicePath = path;
        ASSERT_EQ(port.Open(), 0);
    }

    PseudoTerminalPair pair;
    TWUni232c port;
    ScriptedPrompts prompts;
};

TEST_F(OpeningTheExternalInput, OpensTheDevicePathWhenTicked) {
    EXPECT_TRUE(OpenExternalInputPort(port, true, pair.nearPath, prompts));
    EXPECT_TRUE(port.Connect());
    EXPECT_TRUE(prompts.shown.isEmpty());
    ASSERT_TRUE(pair.WriteFar("x"));
    uint8_t byte = 0;
    EXPECT_EQ(port.Read(1, &byte), 1);
}

TEST_F(OpeningTheExternalInput, StartsWithoutInputWhenUnticked) {
    for (const char* text : {"3", "COM3", ""}) {
        SCOPED_TRACE(text);
        LeaveOpen(pair.nearPath);
        EXPECT_TRUE(OpenExternalInputPort(port, false, QString::fromLatin1(text), prompts));
        EXPECT_FALSE(port.Connect());
    }
    EXPECT_TRUE(prompts.shown.isEmpty());
}

// Ticked with an empty edit or port 0, the event box would be read from
// nowhere and its marks lost without a word: the start does not happen.
TEST_F(OpeningTheExternalInput, RefusesTheStartWhenTickedWithoutAPort) {
    for (const char* text : {"", "  ", "0", "-2"}) {
        SCOPED_TRACE(text);
        prompts.shown.clear();
        LeaveOpen(pair.nearPath);
        EXPECT_FALSE(OpenExternalInputPort(port, true, QString::fromLatin1(text), prompts));
        EXPECT_FALSE(port.Connect());
        EXPECT_EQ(prompts.shown, QStringList{"ERROR: " + QString::fromLatin1(NoExternalInputPortText)});
    }
}

TEST_F(OpeningTheExternalInput, ReplacesAPortLeftOpenByTheNamedOne) {
    PseudoTerminalPair second;
    ASSERT_TRUE(second.failure.isEmpty());
    LeaveOpen(pair.nearPath);

    EXPECT_TRUE(OpenExternalInputPort(port, true, second.nearPath, prompts));
    EXPECT_EQ(port.DeviceName(), second.nearPath);
    ASSERT_TRUE(second.WriteFar("y"));
    uint8_t byte = 0;
    EXPECT_EQ(port.Read(1, &byte), 1);
    EXPECT_EQ(byte, 'y');
}

TEST_F(OpeningTheExternalInput, RefusesTheStartWhenThePortCannotBeOpened) {
    LeaveOpen(pair.nearPath);
    EXPECT_FALSE(OpenExternalInputPort(port, true, QStringLiteral("/dev/tq580-no-such-port"), prompts));
    EXPECT_FALSE(port.Connect());
    EXPECT_EQ(prompts.shown, QStringList{UnableToOpen});
}

TEST_F(OpeningTheExternalInput, RefusesATextThatIsNeitherNumberNorPath) {
    for (const char* text : {"COM3", "3a", "ttyUSB0", "99999999999999999999"}) {
        SCOPED_TRACE(text);
        prompts.shown.clear();
        LeaveOpen(pair.nearPath);
        EXPECT_FALSE(OpenExternalInputPort(port, true, QString::fromLatin1(text), prompts));
        EXPECT_FALSE(port.Connect());
        ASSERT_EQ(prompts.shown.size(), 1);
        EXPECT_TRUE(prompts.shown[0].startsWith(QStringLiteral("ERROR: ")));
        EXPECT_TRUE(prompts.shown[0].contains(QString::fromLatin1(text)));
        EXPECT_NE(prompts.shown[0], UnableToOpen);
    }
}

TEST(OpeningTheExternalInputPort, ANumberTakesItsLowEightBits) {
    const std::pair<const char*, int> cases[] = {{"1", 1}, {"257", 1}, {"4", 4}, {" 260 ", 4}};
    for (const auto& [text, comPort] : cases) {
        SCOPED_TRACE(text);
        TWUni232c port;
        port.DevicePath = QStringLiteral("/dev/old-path");
        ScriptedPrompts prompts;
        const bool started = OpenExternalInputPort(port, true, QString::fromLatin1(text), prompts);
        EXPECT_EQ(port.Port, comPort);
        EXPECT_EQ(port.DeviceName(), QStringLiteral("/dev/ttyS%1").arg(comPort - 1));
        // Whether this machine has that serial port or not, the outcome is consistent.
        EXPECT_EQ(started, port.Connect());
        if (!started) {
            EXPECT_EQ(prompts.shown, QStringList{UnableToOpen});
        }
    }
}

TEST(AuxinCheckBox, TickingChangesOnlyTheEditOnItsOwnPage) {
    struct Case {
        int tag;
        bool ticked;
        AuxPortEditChange change;
    };
    const Case cases[] = {
        {0, true, {0, true, PortEditColour::Window}},
        {0, false, {0, false, PortEditColour::InactiveCaption}},
        {1, true, {1, true, PortEditColour::Window}},
        {1, false, {1, false, PortEditColour::InactiveCaption}},
    };
    for (const auto& c : cases) {
        const AuxPortEditChange change = PortEditAfterAuxinClick(c.tag, c.ticked);
        EXPECT_EQ(change.page, c.change.page);
        EXPECT_EQ(change.enabled, c.change.enabled);
        EXPECT_EQ(change.colour, c.change.colour);
    }
}

}  // namespace
