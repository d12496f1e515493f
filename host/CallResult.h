#pragma once

// How a call that changes the editor ended.
enum class CallResult {
    Done,
    // The user has seen why in an error box (an open), or the skin did not load.
    Failed,
    // The user cancelled the open; no box was shown.
    Cancelled,
    // Refused: the host called from inside a running call of the component
    // (an open, the save, the About box, the help, an error box), which
    // still uses what this call would change or free.
    Refused
};
