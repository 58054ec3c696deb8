// The session settings dialog: the candidate's name and the paths of the
// playlist, combinations and results files. Created once, hidden between uses;
// its four edit fields are the only store of the settings. GUI thread only.
#pragma once

#include <QDialog>

#include "platform/ui/ModalResult.h"

class QFileDialog;
class QLineEdit;
class QPushButton;
class QFrame;
class QLabel;

class TFormSessionSettings : public QDialog {
public:
    explicit TFormSessionSettings(QWidget* owner);

    // The controls below are made on the dialog's first showing, or by a
    // caller that needs them before (their pointers are null until then): the
    // program makes the dialog hidden at start-up, and its controls would only
    // slow the main window's first appearance. Once made, they stay.
    void BuildControls();
    void setVisible(bool visible) override;

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

    // Non-native, so that they look the same everywhere and can be driven
    // headless; each keeps its folder and name from one use to the next. Each
    // is made on its first use (null until then): the three together cost as
    // much to build as the rest of the program's start-up.
    QFileDialog* OpenDialogPlaylist = nullptr;
    QFileDialog* OpenDialogCombinations = nullptr;
    QFileDialog* SaveDialogResults = nullptr;

    // Shows the dialog modally; mrOk or mrCancel.
    int ShowModal();

    void BitBtnFilePlaylistClick();
    void BitBtnFileCombinationsClick();
    void BitBtnFileResultsClick();
    void ButtonOkClick();
    void ButtonCancelClick();

    // Runs the results save dialog; a confirmed path replaces EditFileResults.
    // True when the user confirmed. The results writer offers it again after a
    // failed write.
    bool ExecuteResultsDialog();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    // The dialog in `dialog`, made first if it is not there yet.
    QFileDialog* FileDialog(QFileDialog*& dialog, const char* title, const char* filter, const char* suffix,
                            bool bSave);
    bool ExecuteFileDialog(QFileDialog* dialog, QLineEdit* edit);
};
