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

bool ScrollActionOfKey(int nKey, int& nAction) {
    switch (nKey) {
        case Qt::Key_Left:
        case Qt::Key_Up: nAction = QAbstractSlider::SliderSingleStepSub; return true;
        case Qt::Key_Right:
        case Qt::Key_Down: nAction = QAbstractSlider::SliderSingleStepAdd; return true;
        case Qt::Key_PageUp: nAction = QAbstractSlider::SliderPageStepSub; return true;
        case Qt::Key_PageDown: nAction = QAbstractSlider::SliderPageStepAdd; return true;
        case Qt::Key_Home: nAction = QAbstractSlider::SliderToMinimum; return true;
        case Qt::Key_End: nAction = QAbstractSlider::SliderToMaximum; return true;
        default: return false;
    }
}
