#pragma once

#include "import/OpProgress.h"

#include <vector>

// Keeps the ranges and positions a worker announces and cancels once it has
// asked a given number of times (never, by default).
class RecordingProgress : public IOpProgress {
public:
    explicit RecordingProgress(int cancelAfter = -1) : m_cancelAfter(cancelAfter) {}

    void setRange(UINT maximum) override { ranges.push_back(maximum); }
    void setPos(UINT position) override { positions.push_back(position); }
    bool isCancelled() override { return m_cancelAfter >= 0 && m_questions++ >= m_cancelAfter; }

    std::vector<UINT> ranges;
    std::vector<UINT> positions;

private:
    int m_cancelAfter;
    int m_questions = 0;
};
