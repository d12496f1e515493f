#pragma once

// What the editor's buttons may do now. The document fills the first six
// fields, the stream view the rest.
struct CommandState {
    bool streamLoaded = false;
    bool cutValid = false;
    bool posInCut = false;
    bool cutHasFades = false;
    bool playing = false;
    bool documentBusy = false;
    bool atStreamStart = false;
    bool atStreamEnd = false;
    bool canSetBegin = false;
    bool canSetEnd = false;
    bool canZoomIn = false;
    bool canZoomOut = false;
};

// Whether the command (an ID_VIEW_ or ID_EDITOR_ identifier of a button) may
// run in this state: the buttons are enabled by it, and the view's keys obey
// it too. Other commands always may.
bool CommandEnabled(unsigned command, const CommandState& state);
