#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>

struct termios;

// Two pseudo-terminals joined by socat: what one side writes, the other
// reads, as over a null-modem cable. The test talks on the far side with
// plain file descriptors while the code under test opens the near side.
class PseudoTerminalPair {
public:
    PseudoTerminalPair();
    ~PseudoTerminalPair();
    PseudoTerminalPair(const PseudoTerminalPair&) = delete;
    PseudoTerminalPair& operator=(const PseudoTerminalPair&) = delete;

    // Why the pair could not be made; empty when it is ready.
    QString failure;
    QString nearPath;
    QString farPath;

    // Far side: write all bytes; read what arrives within the time given.
    bool WriteFar(const QByteArray& bytes);
    QByteArray ReadFar(int count, int timeoutMs);

    // Near side, seen from a second descriptor held open all along (it also
    // keeps the terminal alive while the code under test has it closed):
    // waits until the driver holds at least count unread bytes, and reads
    // the line settings in force.
    bool WaitNearQueued(int count, int timeoutMs);
    bool NearLineSettings(termios& settings);
    // Linux pseudo-terminals force 8 data bits without parity on every
    // change; where that holds, those two settings cannot be seen.
    bool KeepsCharacterFormat();

private:
    QProcess socat_;
    int farDescriptor_ = -1;
    int nearDescriptor_ = -1;
};
