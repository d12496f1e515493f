#pragma once

#include "axis/BaseAxis.h"
#include "axis/QTime.h"

// A scale of clock time, with steps from one millisecond to one day. The
// labels read hh:mm for steps of minutes and more, hh:mm:ss for seconds and
// hh:mm:ss with as many decimals as the step needs below a second.
class AXIS_API CTimeAxis : public CBaseAxis {
public:
    CTimeAxis(const LOGFONTW& font, const LOGPEN& linePen, const LOGPEN& markPen, double labelGap);

    // The times at the left and right border of the paint rectangle,
    // labelled as chosen by Axis_SetMode.
    void SetBorders(const CQTime& left, const CQTime& right);

protected:
    const int64_t* steps(size_t* count) const override;
    void formatLabel(int64_t value, int64_t step, wchar_t* text, size_t size) const override;

private:
    bool m_wrapHours = true;
};
