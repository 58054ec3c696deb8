// The channel setup window: which output device feeds which speaker position of
// the square, exchanged by dragging one position's label onto another's, with a
// test sound per position. Modal; created hidden at start-up. GUI thread only.
#pragma once

#include <QDialog>

#include "playback/SndTrack.h"

class TFormAmbisonicSetup : public QDialog {
public:
    explicit TFormAmbisonicSetup(QWidget* owner);

    TVecSndTrack m_SetupTracks;

    // Shows the window modally; mrOk (1) or mrCancel (2).
    int ShowModal();
};
