#pragma once

#include <functional>

class QObject;

// SIGTERM and SIGINT are handled as events of the event loop, so a service
// manager, a session logging out or Ctrl+C in a terminal ends the program
// the way it chooses rather than at once. `handle` runs in the thread of
// `context` for each signal while `context` lives. Without a way to watch
// the signals, they end the program as before.
void OnTerminationSignals(QObject& context, std::function<void()> handle);
