#pragma once

#include <cstdint>

// What the document needs from the windows that show it: the stream view
// and the editor's buttons. Keeps the document free of those windows.
class IDocumentView {
public:
    virtual ~IDocumentView() = default;
    // The document's stream or cut changed; reset means a new stream.
    virtual void documentChanged(bool reset) = 0;
    // Busy flag or cut changed: the buttons re-read the command state.
    virtual void commandStateChanged() = 0;
    virtual bool isPlaying() = 0;
    virtual void stopPlaying() = 0;
    virtual int64_t getPosition() = 0;
};
