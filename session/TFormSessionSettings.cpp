#include "session/TFormSessionSettings.h"

#include <QFileDialog>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include <iterator>
#include <utility>

#include "platform/ui/Messages.h"

namespace {

QLabel* MakeLabel(QWidget* parent, const char* text, int left, int top) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, int left, int top, int width) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(left, top, width, 21);
    return edit;
}

// Neither default nor auto-default: Enter must press no button of this form.
QPushButton* MakeButton(QWidget* parent, const char* text, int left, int top, int width) {
    auto* button = new QPushButton(QString::fromUtf8(text), parent);
    button->setGeometry(left, top, width, 25);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

TFormSessionSettings::TFormSessionSettings(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QString::fromUtf8(" Sondarium :  Impostazioni di sessione"));
    resize(493, 366);
    QFont font;
    // Tahoma where it is installed, else a family every Linux desktop has.
    font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(11);
    setFont(font);
}

void TFormSessionSettings::setVisible(bool visible) {
    if (visible) BuildControls();
    QDialog::setVisible(visible);
}

void TFormSessionSettings::BuildControls() {
    if (Bevel1) return;
    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(14, 19, 466, 276);

    Label4 = MakeLabel(this, "Nome e Cognome del candidato :", 35, 50);
    Label1 = MakeLabel(this, "File della playlist :", 35, 103);
    Label3 = MakeLabel(this, "File delle combinazioni :", 35, 159);
    Label2 = MakeLabel(this, "File di output (risultati) :", 36, 219);

    // Made in tab order, which is not the visual order.
    EditFilePlayList = MakeEdit(this, 30, 119, 400);
    BitBtnFilePlaylist = MakeButton(this, "...", 437, 117, 25);
    ButtonOk = MakeButton(this, "&Ok", 173, 321, 75);
    ButtonCancel = MakeButton(this, "&Cancel", 266, 321, 75);
    EditFileResults = MakeEdit(this, 30, 236, 400);
    BitBtnFileResults = MakeButton(this, "...", 438, 234, 25);
    EditFileCombinations = MakeEdit(this, 30, 176, 400);
    BitBtnFileCombinations = MakeButton(this, "...", 437, 174, 25);
    EditNomeCandidato = MakeEdit(this, 30, 67, 280);
    QWidget* const tabOrder[] = {EditFilePlayList,     BitBtnFilePlaylist,     ButtonOk,
                                 ButtonCancel,         EditFileResults,        BitBtnFileResults,
                                 EditFileCombinations, BitBtnFileCombinations, EditNomeCandidato};
    for (std::size_t i = 0; i + 1 < std::size(tabOrder); ++i) setTabOrder(tabOrder[i], tabOrder[i + 1]);

    connect(BitBtnFilePlaylist, &QPushButton::clicked, this, [this] { BitBtnFilePlaylistClick(); });
    connect(BitBtnFileCombinations, &QPushButton::clicked, this, [this] { BitBtnFileCombinationsClick(); });
    connect(BitBtnFileResults, &QPushButton::clicked, this, [this] { BitBtnFileResultsClick(); });
    connect(ButtonOk, &QPushButton::clicked, this, [this] { ButtonOkClick(); });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });
}

QFileDialog* TFormSessionSettings::FileDialog(QFileDialog*& dialog, const char* title, const char* filter,
                                              const char* suffix, bool bSave) {
    if (dialog) return dialog;
    dialog = new QFileDialog(this, QString::fromUtf8(title));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    // An open dialog accepts a name that does not exist yet; the loader reports it.
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setAcceptMode(bSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (bSave) dialog->setOption(QFileDialog::DontConfirmOverwrite);
    dialog->setNameFilter(QString::fromUtf8(filter));
    dialog->setDefaultSuffix(QString::fromUtf8(suffix));
    return dialog;
}

bool TFormSessionSettings::ExecuteFileDialog(QFileDialog* dialog, QLineEdit* edit) {
    if (dialog->exec() != QDialog::Accepted) return false;
    const QStringList files = dialog->selectedFiles();
    if (files.isEmpty()) return false;
    edit->setText(files.first());
    return true;
}

int TFormSessionSettings::ShowModal() {
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    return exec();
}

void TFormSessionSettings::BitBtnFilePlaylistClick() {
    ExecuteFileDialog(FileDialog(OpenDialogPlaylist, "Sondarium :  Playlist", "File della Playlist (*.lst)", "lst", false),
                      EditFilePlayList);
}

void TFormSessionSettings::BitBtnFileCombinationsClick() {
    ExecuteFileDialog(FileDialog(OpenDialogCombinations, "Sondarium : Combinazioni",
                                 "File delle Combinazioni (*.cmb)", "cmb", false),
                      EditFileCombinations);
}

void TFormSessionSettings::BitBtnFileResultsClick() { ExecuteResultsDialog(); }

bool TFormSessionSettings::ExecuteResultsDialog() {
    return ExecuteFileDialog(
        FileDialog(SaveDialogResults, "Sondarium : Results", "Sondarium Results (*.txt)", "txt", true),
        EditFileResults);
}

void TFormSessionSettings::ButtonOkClick() {
    const std::pair<QLineEdit*, const char*> checks[] = {
        {EditNomeCandidato, "Errore nel campo 'Nome e Cognome del candidato' "},
        {EditFilePlayList, "Errore nel campo 'File della playlist' "},
        {EditFileCombinations, "Errore nel campo 'File delle combinazioni' "},
        {EditFileResults, "Errore nel campo 'File di output (risultati)' "},
    };
    for (const auto& [edit, message] : checks) {
        if (edit->text().isEmpty()) {
            MessageBeep();
            ShowPlainMessage(message);
            return;
        }
    }
    done(mrOk);
}

void TFormSessionSettings::ButtonCancelClick() { done(mrCancel); }

void TFormSessionSettings::keyPressEvent(QKeyEvent* event) {
    // The form has no default and no cancel button: Enter and Escape do nothing.
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
        event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Reached through the close box only, since Escape is kept from it.
void TFormSessionSettings::reject() { done(mrCancel); }
