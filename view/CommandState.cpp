#include "view/CommandState.h"

#include "res/resource.h"

bool CommandEnabled(unsigned command, const CommandState& state)
{
    const bool busyOrPlaying = state.documentBusy || state.playing;
    switch (command) {
    case ID_VIEW_ZOOM_OUT:
        return state.streamLoaded && state.canZoomOut;
    case ID_VIEW_ZOOM_IN:
        return state.streamLoaded && state.canZoomIn;
    case ID_VIEW_PLAY:
        return state.streamLoaded && !busyOrPlaying;
    case ID_VIEW_PLAY_CUT:
        return state.streamLoaded && state.cutValid && !state.documentBusy;
    case ID_VIEW_STOP:
        return state.playing && !state.documentBusy;
    case ID_VIEW_CUT_BEGIN:
        return state.streamLoaded && !busyOrPlaying && state.canSetBegin;
    case ID_VIEW_CUT_END:
        return state.streamLoaded && !busyOrPlaying && state.canSetEnd;
    case ID_VIEW_FADE_IN:
    case ID_VIEW_FADE_OUT:
        return state.posInCut && !busyOrPlaying;
    case ID_VIEW_FADES_REMOVE:
        return state.cutHasFades && !busyOrPlaying;
    case ID_VIEW_SCROLL_LEFT:
        return state.streamLoaded && !state.atStreamStart;
    case ID_VIEW_SCROLL_RIGHT:
        return state.streamLoaded && !state.atStreamEnd;
    case ID_EDITOR_SAVE:
    case ID_EDITOR_SAVE_AND_EXIT:
        return state.cutValid && !busyOrPlaying;
    default:
        return true;
    }
}
