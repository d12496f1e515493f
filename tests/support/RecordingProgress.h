#pragma once

#include "import/OpProgress.h"

#include <vector>

// Keeps what a worker reports and cancels once it has asked a given number
// of times (never, by default).
class RecordingProgress : public IOpProgress {
public:
    explicit RecordingProgress(int cancelAfterQuestions = -1) : m_cancelAfter(cancelAfterQuestions)
    {
    }

    void setTextId(UINT id) override { textIds.push_back(id); }
    void setRange(UINT maximum) override { ranges.push_back(maximum); }
    void setPos(UINT position) override { positions.push_back(position); }
    bool isCancelled() override { return m_cancelAfter >= 0 && m_questions++ >= m_cancelAfter; }

    std::vector<UINT> textIds;
    std::vector<UINT> ranges;
    std::vector<UINT> positions;

private:
    int m_cancelAfter;
    int m_questions = 0;
};
