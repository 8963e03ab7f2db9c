// The terminal's two exchanges with the scale, the one run of each for the terminal window and
// the command line: a key press (command 64) and a display poll (command 66).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

#include "link/scale_session.h"
#include "terminal/display.h"

namespace keldaro::terminal {

// How often the display is polled while it is mirrored, in the window and in a text terminal.
inline constexpr std::chrono::milliseconds kDisplayPollInterval{100};

// Presses one key of the scale's keypad (command 64), through the session's error box and
// status report.
bool SendKey(ScaleSession& session, std::uint8_t code);

// How a failed poll makes itself known. The window polls quietly (no message, the status label
// left alone) and only stops polling; the command line says why the link failed.
enum class PollFailure { kQuiet, kReported };

// One poll of the display; nullopt when the command failed (a reported failure's message is out
// by then; the reason is the session's LastFailure()).
std::optional<Display> PollDisplay(ScaleSession& session, PollFailure failure);

}  // namespace keldaro::terminal
