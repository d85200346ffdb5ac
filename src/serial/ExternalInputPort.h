#pragma once

#include <QString>

class Prompts;
class TWUni232c;

constexpr const char* UnableToOpenExternalInputText = "Unable to open external input port.";
constexpr const char* NoExternalInputPortText =
    "Ext. Input is ticked but no port is given. Enter the COM port number (1 or more) or the device path "
    "of the event box, or clear Ext. Input.";

// Opens the external-input port at the start of a real-time measurement or
// of an event log, as that page's "Ext. Input" box and port edit say:
// a number N opens COM N (its low 8 bits, /dev/ttyS<N-1>), a text beginning
// with "/" opens that device; an unticked box starts without external input,
// a ticked one with an empty edit or a number of 0 or less does not start.
// A port left open by an earlier start is closed first, so the port named on
// the page is the one read, or none.
// Returns false, after telling the user why, when the start must not happen.
bool OpenExternalInputPort(TWUni232c& port, bool auxinTicked, const QString& portText, Prompts& prompts);
