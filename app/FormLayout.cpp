// The main window's form data: controls, geometry, fonts, captions, tab order
// and menu; the alignment of the two bars, the centring rule and the one switch
// of the test controls.
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>

#include "app/TFormMain.h"
#include "app/ScrollEvents.h"
#include "platform/ui/Fonts.h"
#include "platform/ui/SpeedButton.h"

namespace {
constexpr int DESIGN_CLIENT_WIDTH = 733;
constexpr int DESIGN_CLIENT_HEIGHT = 777;
constexpr int BAR_HEIGHT = 64;  // Panel3 and PanelTopBack

// A panel; bOuterBevel gives it the raised one-pixel edge of the toolkit's
// default panel, otherwise it is a flat area.
QFrame* NewPanel(QWidget* parent, const char* name, const QRect& r, bool bOuterBevel) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(r);
    if (bOuterBevel) {
        panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        panel->setLineWidth(1);
    }
    return panel;
}

// A label of fixed size whose text starts at its top-left corner.
QLabel* NewLabel(QWidget* parent, const char* name, const QRect& r, const QFont& font, const char* caption) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(r);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

template <class T>
T* Place(T* control, const char* name, const QRect& r, const QFont& font) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(r);
    control->setFont(font);
    return control;
}

// Text colour of an enabled control; disabled controls keep the greyed text.
void SetTextColour(QWidget* control, QPalette::ColorRole role, const QColor& colour) {
    QPalette pal = control->palette();
    pal.setColor(QPalette::Active, role, colour);
    pal.setColor(QPalette::Inactive, role, colour);
    control->setPalette(pal);
}

QTimer* NewTimer(QObject* owner, const char* name, int nInterval) {
    auto* timer = new QTimer(owner);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(nInterval);
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
}
}  // namespace

void TFormMain::BuildForm() {
    setWindowTitle(QStringLiteral("  Sondarium  :   Test di ascolto"));
    setFont(PixelFont(QStringLiteral("MS Sans Serif"), 11));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));  // button face
    setPalette(pal);

    m_pClientArea = new QWidget(this);
    m_pClientArea->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(m_pClientArea);
    m_pClientArea->resize(DESIGN_CLIENT_WIDTH, DESIGN_CLIENT_HEIGHT);
    QWidget* client = m_pClientArea;

    const QFont arial19 = PixelFont(QStringLiteral("Arial"), 19);
    const QFont arial24 = PixelFont(QStringLiteral("Arial"), 24);
    const QFont arial64 = PixelFont(QStringLiteral("Arial"), 64);
    const QFont arial16Bold = PixelFont(QStringLiteral("Arial"), 16, true);

    // Creation order is stacking order: the top bar lies above the content panel
    // when a small window makes them overlap.
    Panel3 = NewPanel(client, "Panel3", QRect(0, DESIGN_CLIENT_HEIGHT - BAR_HEIGHT, DESIGN_CLIENT_WIDTH, BAR_HEIGHT), true);
    LabelInfo = NewLabel(Panel3, "LabelInfo", QRect(7, 16, 700, 36), arial19, "");

    PanelClient = NewPanel(client, "PanelClient", QRect(2, 81, 720, 480), false);
    SpeedButtonA = Place(new TSpeedButton(PanelClient), "SpeedButtonA", QRect(83, 36, 256, 128), arial64);
    SpeedButtonB = Place(new TSpeedButton(PanelClient), "SpeedButtonB", QRect(379, 36, 256, 128), arial64);
    for (TSpeedButton* button : {SpeedButtonA, SpeedButtonB}) {
        button->GroupIndex = 1;
        button->AllowAllUp = true;
        SetTextColour(button, QPalette::ButtonText, Qt::black);
    }
    SpeedButtonA->setText(QStringLiteral("A"));
    SpeedButtonB->setText(QStringLiteral("B"));
    RadioButtonA = Place(new QRadioButton(QStringLiteral("Preferisco A"), PanelClient), "RadioButtonA",
                         QRect(88, 215, 162, 24), arial24);
    RadioButtonB = Place(new QRadioButton(QStringLiteral("Preferisco B"), PanelClient), "RadioButtonB",
                         QRect(283, 215, 162, 24), arial24);
    RadioButtonNS = Place(new QRadioButton(QStringLiteral("Non saprei"), PanelClient), "RadioButtonNS",
                          QRect(482, 214, 162, 24), arial24);
    RadioButtonNS->setChecked(true);  // before the handlers are connected: loading runs none
    Label1 = NewLabel(PanelClient, "Label1", QRect(78, 289, 185, 19), arial16Bold, "Commenti  (opzionale)  :");
    EditNotes = Place(new QLineEdit(PanelClient), "EditNotes", QRect(78, 313, 570, 27), arial16Bold);
    BitBtnNextTest = Place(new QPushButton(QStringLiteral("Test successivo ..."), PanelClient), "BitBtnNextTest",
                           QRect(75, 404, 570, 64), arial24);
    SetTextColour(BitBtnNextTest, QPalette::ButtonText, Qt::blue);

    PanelTopBack = NewPanel(client, "PanelTopBack", QRect(0, 0, DESIGN_CLIENT_WIDTH, BAR_HEIGHT), true);
    PanelTop = NewPanel(PanelTopBack, "PanelTop", QRect(0, 2, 734, 60), false);
    Bevel1 = NewPanel(PanelTop, "Bevel1", QRect(574, 10, 154, 40), true);
    LabelPosition = NewLabel(PanelTop, "LabelPosition", QRect(586, 18, 138, 24), arial24, "");
    LabelPosition->setAutoFillBackground(true);
    LabelPosition->setBackgroundRole(QPalette::Button);
    ButtonRewind = Place(new QPushButton(QStringLiteral("< <"), PanelTop), "ButtonRewind", QRect(10, 15, 146, 32),
                         PixelFont(QStringLiteral("MS Sans Serif"), 13, true));
    ScrollBarTrackPos = Place(new QScrollBar(Qt::Horizontal, PanelTop), "ScrollBarTrackPos",
                              QRect(166, 15, 400, 32), font());
    ScrollBarTrackPos->setRange(0, 100);
    ScrollBarTrackPos->setSingleStep(1);
    ScrollBarTrackPos->setPageStep(0);  // the page size; no thumb size before the first test
    ScrollBarTrackPos->setValue(0);
    ScrollBarTrackPos->setFocusPolicy(Qt::StrongFocus);

    // Tab order: PanelClient's children, then PanelTop's (Panel3 holds none).
    QWidget::setTabOrder(RadioButtonA, RadioButtonB);
    QWidget::setTabOrder(RadioButtonB, RadioButtonNS);
    QWidget::setTabOrder(RadioButtonNS, BitBtnNextTest);
    QWidget::setTabOrder(BitBtnNextTest, EditNotes);
    QWidget::setTabOrder(EditNotes, ButtonRewind);
    QWidget::setTabOrder(ButtonRewind, ScrollBarTrackPos);

    BuildMenu();

    TimerFade = NewTimer(this, "TimerFade", 10);
    TimerPos = NewTimer(this, "TimerPos", 250);

    resize(DESIGN_CLIENT_WIDTH, DESIGN_CLIENT_HEIGHT + MainMenu1->sizeHint().height());
    m_pClientArea->installEventFilter(this);
    ScrollBarTrackPos->installEventFilter(this);
    AlignPanels();
    FormCanResize();
}

void TFormMain::BuildMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    MainMenu1->setNativeMenuBar(false);  // part of the window's layout
    auto add = [](QMenu* menu, const char* name, const char* caption) {
        QAction* action = menu->addAction(QString::fromUtf8(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    FileLoadPlaylist = add(File1, "FileLoadPlaylist", "&Nuova Sessione ...");
    FileExit = add(File1, "FileExit", "&Esci");
    Setup1 = MainMenu1->addMenu(QStringLiteral("&Imposta"));
    Setup1->setObjectName(QStringLiteral("Setup1"));
    SetupAmbisonic = add(Setup1, "SetupAmbisonic", "&Canali ...");
    Help1 = MainMenu1->addMenu(QStringLiteral("&Aiuto"));
    Help1->setObjectName(QStringLiteral("Help1"));
    HelpAbout = add(Help1, "HelpAbout", "&Sondarium ...");
    Debug1 = MainMenu1->addMenu(QStringLiteral("&Debug"));
    Debug1->setObjectName(QStringLiteral("Debug1"));
    DebugDebugForm = add(Debug1, "DebugDebugForm", "&Debug Form ...");
    DebugGetSoundBufferCaps = add(Debug1, "DebugGetSoundBufferCaps", "&Get SoundBuffer Caps ...");
    // Created invisible and never shown: its commands stay reachable from code only.
    Debug1->menuAction()->setVisible(false);
}

void TFormMain::AlignPanels() {
    if (!m_pClientArea) return;
    const int W = m_pClientArea->width();
    const int H = m_pClientArea->height();
    if (PanelTopBack) PanelTopBack->setGeometry(0, 0, W, BAR_HEIGHT);
    if (Panel3) Panel3->setGeometry(0, H - BAR_HEIGHT, W, BAR_HEIGHT);
}

void TFormMain::FormCanResize() {
    if (!m_pClientArea) return;
    const int W = m_pClientArea->width();
    const int H = m_pClientArea->height();
    // C++ division truncates toward zero: an odd difference loses its half pixel
    // on the right or bottom, a negative one lets the panel stick out evenly.
    if (PanelClient) PanelClient->move((W - PanelClient->width()) / 2, (H - PanelClient->height()) / 2);
    if (PanelTop) PanelTop->move((W - PanelTop->width()) / 2, PanelTop->y());
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pClientArea && event->type() == QEvent::Resize) {
        AlignPanels();
        FormCanResize();
    }
    // The toolkit's scroll bar reads its arrow keys the other way round from its
    // page keys; the position bar reads them as the system's scroll bar does.
    if (watched == ScrollBarTrackPos && event->type() == QEvent::KeyPress) {
        const auto* pKey = static_cast<const QKeyEvent*>(event);
        int nAction = 0;
        if (pKey->modifiers() == Qt::NoModifier && ScrollActionOfKey(pKey->key(), nAction)) {
            ScrollBarTrackPos->triggerAction(static_cast<QAbstractSlider::SliderAction>(nAction));
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::EnableTestControls(bool bEnable) {
    for (QWidget* panel : {PanelClient, PanelTop}) {
        if (!panel) continue;
        for (QObject* child : panel->children()) {
            if (auto* control = qobject_cast<QWidget*>(child)) control->setEnabled(bEnable);
        }
    }
}
