#include "app/ScrollEvents.h"

#include <QAbstractSlider>

bool ScrollCodeOfAction(int nAction, TScrollCode& ScrollCode) {
    switch (nAction) {
        case QAbstractSlider::SliderSingleStepSub: ScrollCode = scLineUp; return true;
        case QAbstractSlider::SliderSingleStepAdd: ScrollCode = scLineDown; return true;
        case QAbstractSlider::SliderPageStepSub: ScrollCode = scPageUp; return true;
        case QAbstractSlider::SliderPageStepAdd: ScrollCode = scPageDown; return true;
        case QAbstractSlider::SliderToMinimum: ScrollCode = scTop; return true;
        case QAbstractSlider::SliderToMaximum: ScrollCode = scBottom; return true;
        case QAbstractSlider::SliderMove: ScrollCode = scTrack; return true;
        default: return false;
    }
}
