// The channel setup window: which output device feeds which speaker position of
// the square, exchanged by dragging one position's label onto another's, with a
// test sound per position. Modal; created hidden at start-up. GUI thread only.
//
// Positions (index in the track list): 0 top left, 1 top right, 2 bottom right,
// 3 bottom left, clockwise from the top left corner.
#pragma once

#include <QDialog>

#include <memory>
#include <vector>

#include "playback/SndTrack.h"

class QFrame;
class QLabel;
class QPushButton;
class TDragLabel;
class TSpeedButton;

class TFormAmbisonicSetup : public QDialog {
public:
    explicit TFormAmbisonicSetup(QWidget* owner);
    ~TFormAmbisonicSetup() override;

    // The controls below are made on the window's first showing (their
    // pointers are null until then): the program makes the window hidden at
    // start-up, and it may never be opened. Once made, they stay.
    void setVisible(bool visible) override;

    // ---- form data ----
    QFrame* Bevel1 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    TSpeedButton* SpeedButtonTopLeft = nullptr;
    TSpeedButton* SpeedButtonTopRight = nullptr;
    TSpeedButton* SpeedButtonBottomLeft = nullptr;
    TSpeedButton* SpeedButtonBottomRight = nullptr;
    TDragLabel* LabelTopLeft = nullptr;
    TDragLabel* LabelTopRight = nullptr;
    TDragLabel* LabelBottomLeft = nullptr;
    TDragLabel* LabelBottomRight = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;

    // While the window is open: copies of the main window's records, whose A
    // slots hold this showing's test sounds instead of the main window's A sounds.
    TVecSndTrack m_SetupTracks;

    // Shows the window modally; mrOk (1) or mrCancel (2).
    int ShowModal();
    // After OK: the test sounds of this showing, which the records hold in their
    // A slots, for the main window to own from now on.
    std::vector<std::unique_ptr<CSound>> TakeTestSounds();

    // ---- handlers ----
    void FormShow();
    void FormHide();
    void FormClose();
    void ButtonOkClick();
    void ButtonCancelClick();
    void SpeedButtonTopLeftClick();
    void SpeedButtonTopRightClick();
    void SpeedButtonBottomRightClick();
    void SpeedButtonBottomLeftClick();
    // One handler serves the four labels: accept whatever is dragged over them.
    void LabelDragOver(QObject* Sender, QObject* Source, bool& Accept);
    // One handler serves the four labels: swap the dragged label's position with
    // the target's. Source is the dragged object (null when it is not a label).
    void LabelDragDrop(QObject* Sender, QObject* Source);

    // ---- operations ----
    void CreateTestSounds();
    void PlayTestSound(int nIndex);
    void StopTestSound(int nIndex);
    void StopAllTestSounds();
    void SwapPositions(int a, int b);

    // The position label and test-sound button of a position index (0..3).
    TDragLabel* PositionLabel(int nIndex) const;
    TSpeedButton* PositionButton(int nIndex) const;

    void done(int r) override;
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void BuildForm();
    void LoadPictures();
    void CaptionLabels();
    void ToggleTestSound(int nIndex);
    void ReleaseCreatedSounds();

    std::vector<std::unique_ptr<CSound>> m_CreatedSounds;  // this showing's test sounds, until OK hands them over
    bool m_bShownOnce = false;
    bool m_bPicturesLoaded = false;
};
