#include "windows/TFormAmbisonicSetup.h"

#include <QFrame>
#include <QGuiApplication>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <string>
#include <utility>

#include "platform/audio/DSound.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/Messages.h"
#include "platform/ui/SpeedButton.h"
#include "session/TFormSessionSettings.h"
#include "sound/SoundOutput.h"
#include "windows/DragLabel.h"
#include "windows/EmbeddedSound.h"

namespace {
const char* const UNIT = "TFormAmbisonicSetup";

// The test sound's bytes are handed over unparsed, so its format is fixed here.
// The sound layer borrows the record for the life of each sound, and a sound
// handed to the main window may outlive any showing, so it lives to the end.
WAVEFORMATEX g_wfxTestSound = {WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};

// The system's active-border colour, the labels' background.
const QColor ACTIVE_BORDER(180, 180, 180);

// A caption of the form data as the toolkit shows it: "&&" is one ampersand.
QString DesignCaption(const char* strCaption) {
    QString s = QString::fromUtf8(strCaption);
    s.replace("&&", "&");
    return s;
}

const char* const POSITION_NAMES[MAXTRACKS] = {"top left", "top right", "bottom right", "bottom left"};
}  // namespace

TFormAmbisonicSetup::TFormAmbisonicSetup(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(" Sondarium : Ambisonic Setup");
    setFixedSize(592, 366);
    setFont(PixelFont("Raavi", 11));
}

void TFormAmbisonicSetup::setVisible(bool visible) {
    if (visible) BuildForm();
    QDialog::setVisible(visible);
}

// A window destroyed while open would still own this showing's test sounds; that
// only happens at exit, after the devices are gone, so they are left alone.
TFormAmbisonicSetup::~TFormAmbisonicSetup() { m_SetupTracks.clear(); }

void TFormAmbisonicSetup::BuildForm() {
    if (Bevel1) return;
    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 12, 573, 301);

    Label4 = new QLabel("Ambisonic settings", this);
    Label4->setFont(PixelFont("Arial", 32, true));
    Label4->setStyleSheet("color: #008080;");
    Label4->move(160, 20);
    Label4->adjustSize();

    Image1 = new QLabel(this);
    Image1->setGeometry(28, 80, 145, 129);
    Image1->setScaledContents(true);

    Label5 = new QLabel(DesignCaption("Drag && Drop on to the labels"), this);
    Label6 = new QLabel("to change channels order ...", this);
    Label5->move(24, 224);
    Label6->move(24, 240);
    for (QLabel* l : {Label5, Label6}) {
        l->setFont(PixelFont("Arial", 13));
        l->adjustSize();
    }

    struct ButtonDesign {
        TSpeedButton** ppButton;
        int x, y, nGroup;
        void (TFormAmbisonicSetup::*pClick)();
    };
    const ButtonDesign buttons[] = {
        {&SpeedButtonTopLeft, 244, 80, 1, &TFormAmbisonicSetup::SpeedButtonTopLeftClick},
        {&SpeedButtonTopRight, 428, 80, 2, &TFormAmbisonicSetup::SpeedButtonTopRightClick},
        {&SpeedButtonBottomLeft, 244, 192, 3, &TFormAmbisonicSetup::SpeedButtonBottomLeftClick},
        {&SpeedButtonBottomRight, 428, 192, 4, &TFormAmbisonicSetup::SpeedButtonBottomRightClick},
    };
    for (const ButtonDesign& d : buttons) {
        auto* b = new TSpeedButton(this);
        b->setGeometry(d.x, d.y, 64, 64);
        b->GroupIndex = d.nGroup;
        b->AllowAllUp = true;
        b->OnClick = [this, pClick = d.pClick] { (this->*pClick)(); };
        *d.ppButton = b;
    }

    struct LabelDesign {
        TDragLabel** ppLabel;
        int x, y;
        const char* strCaption;
    };
    const LabelDesign labels[] = {
        {&LabelTopLeft, 196, 148, "top left"},
        {&LabelTopRight, 376, 148, "top right"},
        {&LabelBottomLeft, 196, 260, "bottom left"},
        {&LabelBottomRight, 376, 260, "bottom right"},
    };
    for (const LabelDesign& d : labels) {
        auto* l = new TDragLabel(this);
        l->setGeometry(d.x, d.y, 164, 26);
        l->setFixedSize(164, 26);
        l->setTextFormat(Qt::PlainText);
        l->setText(d.strCaption);
        l->setAlignment(Qt::AlignCenter);
        l->setWordWrap(false);
        l->setFont(PixelFont("Arial", 11, true));
        l->setAutoFillBackground(true);
        QPalette pal = l->palette();
        pal.setColor(QPalette::Window, ACTIVE_BORDER);
        l->setPalette(pal);
        l->OnDragOver = [this, l](QObject* Source, bool& Accept) { LabelDragOver(l, Source, Accept); };
        l->OnDragDrop = [this, l](QObject* Source) { LabelDragDrop(l, Source); };
        *d.ppLabel = l;
    }

    ButtonOk = new QPushButton("&Ok", this);
    ButtonCancel = new QPushButton("&Cancel", this);
    ButtonOk->setGeometry(228, 328, 75, 25);
    ButtonCancel->setGeometry(324, 328, 75, 25);
    for (QPushButton* b : {ButtonOk, ButtonCancel}) {
        b->setFont(PixelFont("MS Sans Serif", 11));
        // Neither is the default button: Enter does not close the window.
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    connect(ButtonOk, &QPushButton::clicked, this, [this] { ButtonOkClick(); });
    connect(ButtonCancel, &QPushButton::clicked, this, [this] { ButtonCancelClick(); });
    setTabOrder(ButtonOk, ButtonCancel);
}

int TFormAmbisonicSetup::ShowModal() {
    if (!m_bShownOnce) {
        // Centred on the screen the first time; afterwards it opens where it was.
        m_bShownOnce = true;
        QScreen* pScreen = QGuiApplication::primaryScreen();
        if (pScreen) {
            const QRect r = pScreen->geometry();
            move(r.left() + (r.width() - width()) / 2, r.top() + (r.height() - height()) / 2);
        }
    }
    return exec();
}

TDragLabel* TFormAmbisonicSetup::PositionLabel(int nIndex) const {
    switch (nIndex) {
        case 0: return LabelTopLeft;
        case 1: return LabelTopRight;
        case 2: return LabelBottomRight;
        case 3: return LabelBottomLeft;
    }
    return nullptr;
}

TSpeedButton* TFormAmbisonicSetup::PositionButton(int nIndex) const {
    switch (nIndex) {
        case 0: return SpeedButtonTopLeft;
        case 1: return SpeedButtonTopRight;
        case 2: return SpeedButtonBottomRight;
        case 3: return SpeedButtonBottomLeft;
    }
    return nullptr;
}

// ---- window events ----

// The pictures are decoded when the window first opens, not while the program
// starts: the window is built hidden at start-up and may never be opened.
void TFormAmbisonicSetup::LoadPictures() {
    if (m_bPicturesLoaded) return;
    m_bPicturesLoaded = true;
    Image1->setPixmap(QPixmap(":/res/pictures/monitor.png"));
    const std::pair<TSpeedButton*, const char*> glyphs[] = {
        {SpeedButtonTopLeft, ":/res/pictures/speaker_tl.png"},
        {SpeedButtonTopRight, ":/res/pictures/speaker_tr.png"},
        {SpeedButtonBottomLeft, ":/res/pictures/speaker_bl.png"},
        {SpeedButtonBottomRight, ":/res/pictures/speaker_br.png"},
    };
    for (const auto& [pButton, strGlyph] : glyphs) pButton->SetGlyph(QPixmap(strGlyph));
}

void TFormAmbisonicSetup::showEvent(QShowEvent* event) {
    LoadPictures();
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormAmbisonicSetup::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    if (!event->spontaneous()) FormHide();
}

void TFormAmbisonicSetup::keyPressEvent(QKeyEvent* event) {
    // There is no cancel button: Escape does not close the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// Every way of closing ends here: the buttons, the close box (through reject).
void TFormAmbisonicSetup::done(int r) {
    QDialog::done(r);  // sets the result and hides, which raises the buttons
    FormClose();
}

// The close box gives Cancel.
void TFormAmbisonicSetup::reject() { done(mrCancel); }

void TFormAmbisonicSetup::FormShow() { CreateTestSounds(); }

void TFormAmbisonicSetup::FormHide() {
    for (int i = 0; i < MAXTRACKS; ++i) PositionButton(i)->SetDown(false);
}

void TFormAmbisonicSetup::FormClose() {
    StopAllTestSounds();
    // On OK the main window takes the records over, test sounds included.
    if (result() != mrOk) ReleaseCreatedSounds();
}

std::vector<std::unique_ptr<CSound>> TFormAmbisonicSetup::TakeTestSounds() { return std::move(m_CreatedSounds); }

void TFormAmbisonicSetup::ReleaseCreatedSounds() {
    for (const std::unique_ptr<CSound>& pSnd : m_CreatedSounds) {
        for (TSndTrack& t : m_SetupTracks) {
            if (t.apSound[0] == pSnd.get()) t.apSound[0] = nullptr;
        }
    }
    m_CreatedSounds.clear();
}

void TFormAmbisonicSetup::ButtonOkClick() { done(mrOk); }
void TFormAmbisonicSetup::ButtonCancelClick() { done(mrCancel); }

// ---- test sounds ----

void TFormAmbisonicSetup::CreateTestSounds() {
    if (m_SetupTracks.size() != MAXTRACKS) return;
    // Sounds an earlier OK left untaken have no holder any more.
    ReleaseCreatedSounds();
    for (int i = 0; i < MAXTRACKS; ++i) PositionLabel(i)->Tag = i;
    CaptionLabels();

    const TEmbeddedSound testSound = LockEmbeddedSound(L"TEST_WAV", UNIT);
    const void* pBuf = testSound.pBuf;
    const DWORD nSize = testSound.nSize;
    SND_CHECK(nSize != 0, "nSize", UNIT);

    for (int i = 0; i < MAXTRACKS; ++i) {
        TSndTrack& track = m_SetupTracks[i];
        // The copied pointer names the main window's A sound, which stays there.
        track.apSound[0] = nullptr;
        CSound* pSnd = nullptr;
        if (track.pSM && pBuf && nSize != 0) {
            // The resource is only read: the sound layer copies the bytes into its buffer.
            track.pSM->CreateFromData(&pSnd, static_cast<BYTE*>(const_cast<void*>(pBuf)), nSize, &g_wfxTestSound, 0,
                                      GUID_NULL, 1);
        }
        if (!pSnd) {
            ShowMessage(std::string("Impossibile creare il suono di prova per la posizione \"") + POSITION_NAMES[i] +
                            "\"\n(" + track.strDescription + ").",
                        "Errore :", MsgIcon::Error);
            continue;
        }
        track.apSound[0] = pSnd;
        m_CreatedSounds.emplace_back(pSnd);
    }
}

void TFormAmbisonicSetup::PlayTestSound(int nIndex) {
    if (nIndex < 0 || nIndex >= static_cast<int>(m_SetupTracks.size())) return;
    CSound* pSnd = m_SetupTracks[nIndex].apSound[0];
    if (!pSnd) return;
    if (LPDIRECTSOUNDBUFFER pBuf = pSnd->GetBuffer(0)) pBuf->Play(0, 0, DSBPLAY_LOOPING);
}

void TFormAmbisonicSetup::StopTestSound(int nIndex) {
    if (nIndex < 0 || nIndex >= static_cast<int>(m_SetupTracks.size())) return;
    CSound* pSnd = m_SetupTracks[nIndex].apSound[0];
    if (!pSnd) return;
    pSnd->Stop();
    pSnd->Reset();  // the next start begins at the first byte
}

void TFormAmbisonicSetup::StopAllTestSounds() {
    CDeferredCommands Together;
    for (TSndTrack& t : m_SetupTracks) {
        if (t.apSound[0]) t.apSound[0]->Stop();
    }
}

void TFormAmbisonicSetup::ToggleTestSound(int nIndex) {
    if (PositionButton(nIndex)->Down()) PlayTestSound(nIndex);
    else StopTestSound(nIndex);
}

void TFormAmbisonicSetup::SpeedButtonTopLeftClick() { ToggleTestSound(0); }
void TFormAmbisonicSetup::SpeedButtonTopRightClick() { ToggleTestSound(1); }
void TFormAmbisonicSetup::SpeedButtonBottomRightClick() { ToggleTestSound(2); }
void TFormAmbisonicSetup::SpeedButtonBottomLeftClick() { ToggleTestSound(3); }

// ---- exchanging positions ----

void TFormAmbisonicSetup::LabelDragOver(QObject*, QObject*, bool& Accept) { Accept = true; }

void TFormAmbisonicSetup::LabelDragDrop(QObject* Sender, QObject* Source) {
    auto* pTarget = dynamic_cast<TDragLabel*>(Sender);
    auto* pDragged = dynamic_cast<TDragLabel*>(Source);
    // Only the labels can be dragged inside the program; anything dropped from
    // outside has no position and changes nothing.
    if (!pTarget || !pDragged) return;
    SwapPositions(pDragged->Tag, pTarget->Tag);
}

void TFormAmbisonicSetup::SwapPositions(int a, int b) {
    if (a < 0 || b < 0 || a == b) return;
    // Tags survive from an earlier showing; a shorter list has no such records.
    const int n = static_cast<int>(m_SetupTracks.size());
    if (a >= n || b >= n) return;
    std::swap(m_SetupTracks[a], m_SetupTracks[b]);
    CaptionLabels();
}

void TFormAmbisonicSetup::CaptionLabels() {
    const int n = std::min<int>(static_cast<int>(m_SetupTracks.size()), MAXTRACKS);
    for (int i = 0; i < n; ++i) PositionLabel(i)->setText(QString::fromStdString(m_SetupTracks[i].strDescription));
}
