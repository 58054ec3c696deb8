// The position bar's scroll events: every slider action is one scroll code.
#include <QAbstractSlider>

#include <gtest/gtest.h>

#include "app/ScrollEvents.h"

namespace {

struct ActionCase {
    int nAction;
    bool bScroll;
    TScrollCode code;
};

const ActionCase kActions[] = {
    {QAbstractSlider::SliderSingleStepSub, true, scLineUp},
    {QAbstractSlider::SliderSingleStepAdd, true, scLineDown},
    {QAbstractSlider::SliderPageStepSub, true, scPageUp},
    {QAbstractSlider::SliderPageStepAdd, true, scPageDown},
    {QAbstractSlider::SliderToMinimum, true, scTop},
    {QAbstractSlider::SliderToMaximum, true, scBottom},
    {QAbstractSlider::SliderMove, true, scTrack},
    {QAbstractSlider::SliderNoAction, false, scEndScroll},
};

TEST(ScrollEvents, EverySliderActionHasItsScrollCode) {
    for (const ActionCase& c : kActions) {
        SCOPED_TRACE(c.nAction);
        TScrollCode code = scEndScroll;
        EXPECT_EQ(ScrollCodeOfAction(c.nAction, code), c.bScroll);
        if (c.bScroll) {
            EXPECT_EQ(code, c.code);
        }
    }
}

}  // namespace
