#pragma once

// The two "Ext. Input" boxes share one click handler; the sender's tag picks
// the port edit of its own page (0: real-time page, 1: storage page).
enum class PortEditColour { Window, InactiveCaption };

struct AuxPortEditChange {
    int page;  // 0: AuxPortEdit, 1: AuxPortEdit2
    bool enabled;
    PortEditColour colour;
};

// What a click on the box with this tag does to its page's port edit. The
// port itself is not touched until a start.
constexpr AuxPortEditChange PortEditAfterAuxinClick(int senderTag, bool senderTicked) {
    return {senderTag == 1 ? 1 : 0, senderTicked,
            senderTicked ? PortEditColour::Window : PortEditColour::InactiveCaption};
}
