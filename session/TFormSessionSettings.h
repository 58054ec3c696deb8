// The session settings dialog: the candidate's name and the paths of the
// playlist, combinations and results files. Created once, hidden between uses;
// its four edit fields are the only store of the settings. GUI thread only.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QFrame;
class QLabel;

constexpr int mrOk = 1;
constexpr int mrCancel = 2;

class TFormSessionSettings : public QDialog {
public:
    explicit TFormSessionSettings(QWidget* owner);

    QFrame* Bevel1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* EditNomeCandidato = nullptr;
    QLineEdit* EditFilePlayList = nullptr;
    QLineEdit* EditFileCombinations = nullptr;
    QLineEdit* EditFileResults = nullptr;
    QPushButton* BitBtnFilePlaylist = nullptr;
    QPushButton* BitBtnFileCombinations = nullptr;
    QPushButton* BitBtnFileResults = nullptr;
    QPushButton* ButtonOk = nullptr;
    QPushButton* ButtonCancel = nullptr;

    // Shows the dialog modally; mrOk or mrCancel.
    int ShowModal();

    void BitBtnFilePlaylistClick();
    void BitBtnFileCombinationsClick();
    void BitBtnFileResultsClick();
    void ButtonOkClick();
    void ButtonCancelClick();
};
