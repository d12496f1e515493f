#pragma once

// Told by the player's worker thread when a playback has ended by itself;
// a stopped playback reports nothing.
class CWavPlayerCallBack {
public:
    virtual void onPlayingFinished(bool error) = 0;

protected:
    ~CWavPlayerCallBack() = default;
};
