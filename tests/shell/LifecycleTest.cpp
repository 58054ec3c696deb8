// Start-up state, the one switch of the test controls, the answer buttons'
// handler, and the two ways out: closing the window and "&Esci".
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

#include "platform/ui/SpeedButton.h"
#include "session/TFormSessionSettings.h"
#include "shell/ShellFixture.h"
#include "sound/SoundOutput.h"
#include "windows/TFormAmbisonicSetup.h"
#include "windows/TFormDebug.h"
#include "windows/TFormSplashScreen.h"

namespace {

std::vector<std::string> ChildNames(QWidget* panel) {
    std::vector<std::string> names;
    for (QObject* child : panel->children()) {
        if (child->isWidgetType()) names.push_back(child->objectName().toStdString());
    }
    return names;
}

TEST_F(ShellTest, InitialStateAfterCreation) {
    EXPECT_EQ(form->m_nCurrentTest, 0);
    EXPECT_EQ(form->m_nChannels, 0);
    EXPECT_TRUE(form->m_bStopped);
    EXPECT_EQ(form->m_PlayState, psIdle);  // checking "Non saprei" at load ran no handler
    EXPECT_EQ(form->m_nVolumeA, -10000);
    EXPECT_EQ(form->m_nVolumeB, -10000);
    ASSERT_NE(form->m_pPlayList, nullptr);
    EXPECT_TRUE(form->m_pPlayList->empty());
    EXPECT_TRUE(form->m_Combinations.empty());
    EXPECT_TRUE(form->m_Tracks.empty());  // no audio back end: no devices, no tracks

    EXPECT_FALSE(form->SpeedButtonA->Down());
    EXPECT_FALSE(form->SpeedButtonB->Down());
    EXPECT_FALSE(form->RadioButtonA->isChecked());
    EXPECT_FALSE(form->RadioButtonB->isChecked());
    EXPECT_TRUE(form->RadioButtonNS->isChecked());
    EXPECT_TRUE(form->EditNotes->text().isEmpty());
    EXPECT_TRUE(form->LabelInfo->text().isEmpty());
    EXPECT_TRUE(form->LabelPosition->text().isEmpty());
    EXPECT_EQ(form->ScrollBarTrackPos->value(), 0);
    EXPECT_EQ(form->ScrollBarTrackPos->minimum(), 0);
    EXPECT_EQ(form->ScrollBarTrackPos->maximum(), 100);

    for (QWidget* panel : {form->PanelClient, form->PanelTop}) {
        for (QObject* child : panel->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w) {
                EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
            }
        }
    }
    EXPECT_TRUE(form->LabelInfo->isEnabled());
    EXPECT_TRUE(form->FileLoadPlaylist->isEnabled());

    EXPECT_TRUE(form->TimerFade->isActive());
    EXPECT_EQ(form->TimerFade->interval(), 10);
    EXPECT_EQ(form->TimerFade->timerType(), Qt::PreciseTimer);
    EXPECT_TRUE(form->TimerPos->isActive());
    EXPECT_EQ(form->TimerPos->interval(), 250);

    EXPECT_EQ(FormMain, form.get());
    ASSERT_NE(FormSplashScreen, nullptr);
    ASSERT_NE(FormDebug, nullptr);
    ASSERT_NE(FormAmbisonicSetup, nullptr);
    ASSERT_NE(FormSessionSettings, nullptr);
    for (QWidget* w : std::initializer_list<QWidget*>{FormSplashScreen, FormDebug, FormAmbisonicSetup,
                                                      FormSessionSettings}) {
        EXPECT_EQ(w->parentWidget(), form.get());
    }
    EXPECT_TRUE(FormSplashScreen->isVisible());  // before the main window is shown
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(FormDebug->isVisible());
    EXPECT_FALSE(FormAmbisonicSetup->isVisible());
    EXPECT_FALSE(FormSessionSettings->isVisible());
    EXPECT_TRUE(FormDebug->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(FormDebug->frameGeometry(), QRect(128, 128, 300, 480));
    // Its outer size stays 300 x 480 once it is shown in a frame.
    FormDebug->show();
    QApplication::processEvents();
    EXPECT_EQ(FormDebug->frameGeometry().size(), QSize(300, 480));
    EXPECT_LE(FormDebug->width(), 300);
}

TEST_F(ShellTest, MenuHasItsCommandsAndTheDebugEntryStaysHidden) {
    std::vector<std::string> shown;
    for (QAction* a : form->MainMenu1->actions()) {
        if (a->isVisible()) shown.push_back(a->text().toStdString());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"&File", "&Imposta", "&Aiuto"}));
    auto texts = [](QMenu* menu) {
        std::vector<std::string> t;
        for (QAction* a : menu->actions()) {
            t.push_back(a->text().toStdString());
            EXPECT_TRUE(a->shortcut().isEmpty()) << t.back();
        }
        return t;
    };
    EXPECT_EQ(texts(form->File1), (std::vector<std::string>{"&Nuova Sessione ...", "&Esci"}));
    EXPECT_EQ(texts(form->Setup1), (std::vector<std::string>{"&Canali ..."}));
    EXPECT_EQ(texts(form->Help1), (std::vector<std::string>{"&Sondarium ..."}));
    EXPECT_EQ(texts(form->Debug1), (std::vector<std::string>{"&Debug Form ...", "&Get SoundBuffer Caps ..."}));

    // Showing, restoring and the debug command itself never bring the entry back.
    form->show();
    form->showNormal();
    form->DebugDebugForm->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(FormDebug->isVisible());
    EXPECT_FALSE(form->Debug1->menuAction()->isVisible());
}

// EnableTestControls switches the children of PanelClient and PanelTop and
// nothing else: LabelInfo, the panels and the menu keep whatever state they had.
class EnableTestControlsCase : public ShellTest, public ::testing::WithParamInterface<bool> {};

TEST_P(EnableTestControlsCase, SwitchesExactlyThePanelsChildren) {
    const bool bEnable = GetParam();
    EXPECT_EQ(ChildNames(form->PanelClient),
              (std::vector<std::string>{"SpeedButtonA", "SpeedButtonB", "RadioButtonA", "RadioButtonB",
                                        "RadioButtonNS", "Label1", "EditNotes", "BitBtnNextTest"}));
    EXPECT_EQ(ChildNames(form->PanelTop),
              (std::vector<std::string>{"Bevel1", "LabelPosition", "ButtonRewind", "ScrollBarTrackPos"}));

    form->EnableTestControls(!bEnable);
    const std::vector<QWidget*> untouched = {form->LabelInfo,    form->Panel3,    form->PanelClient,
                                             form->PanelTopBack, form->PanelTop,  form->MainMenu1};
    for (QWidget* w : untouched) w->setEnabled(!bEnable);
    form->FileExit->setEnabled(!bEnable);

    form->EnableTestControls(bEnable);
    for (QWidget* panel : {form->PanelClient, form->PanelTop}) {
        for (QObject* child : panel->children()) {
            auto* w = qobject_cast<QWidget*>(child);
            if (w) {
                EXPECT_EQ(w->isEnabledTo(panel), bEnable) << w->objectName().toStdString();
            }
        }
    }
    for (QWidget* w : untouched) {
        EXPECT_EQ(w->isEnabledTo(w->parentWidget()), !bEnable) << w->objectName().toStdString();
    }
    EXPECT_EQ(form->FileExit->isEnabled(), !bEnable);
}

INSTANTIATE_TEST_SUITE_P(Flag, EnableTestControlsCase, ::testing::Bool());

TEST_F(ShellTest, EveryChangeOfAnswerRunsTheChoicesHandler) {
    form->EnableTestControls(true);
    form->RadioButtonA->click();  // as the mouse does
    EXPECT_TRUE(form->RadioButtonA->isChecked());
    EXPECT_FALSE(form->RadioButtonNS->isChecked());
    EXPECT_EQ(form->m_PlayState, psFadeOut);

    form->m_PlayState = psIdle;
    form->RadioButtonNS->setChecked(true);  // by program, while it was not checked
    EXPECT_EQ(form->m_PlayState, psFadeOut);

    form->m_PlayState = psIdle;
    form->RadioButtonNS->setChecked(true);  // no change of answer
    EXPECT_EQ(form->m_PlayState, psIdle);
}

// Runs the message loop until the window ends it; false if it had to be stopped.
bool RunLoopUntilEnded(std::function<void()> action) {
    bool bStopped = false;
    QTimer::singleShot(0, action);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        bStopped = true;
        QApplication::quit();
    });
    guard.start(10000);
    QApplication::exec();
    return !bStopped;
}

TEST_F(ShellTest, ClosingReleasesEveryManagerOnceAndEndsTheLoop) {
    auto pShared = std::make_shared<CSoundManager>();
    auto pOwn = std::make_shared<CSoundManager>();
    const std::weak_ptr<CSoundManager> wShared = pShared, wOwn = pOwn;
    form->m_Tracks = {TSndTrack{pShared, "OUT 1-2", {}}, TSndTrack{pOwn, "OUT 3-4", {}},
                      TSndTrack{pShared, "OUT 1-2", {}}};
    pShared.reset();
    pOwn.reset();
    form->show();
    ASSERT_TRUE(RunLoopUntilEnded([this] { form->close(); }));
    for (const TSndTrack& t : form->m_Tracks) EXPECT_EQ(t.pSM, nullptr);
    EXPECT_TRUE(wShared.expired());
    EXPECT_TRUE(wOwn.expired());
    EXPECT_FALSE(form->TimerFade->isActive());
    EXPECT_FALSE(form->TimerPos->isActive());

    // A later close request does not run the close path again.
    auto pLater = std::make_shared<CSoundManager>();
    form->m_Tracks[0].pSM = pLater;
    form->show();
    form->close();
    EXPECT_EQ(form->m_Tracks[0].pSM, pLater);
    form.reset();
    EXPECT_EQ(pLater.use_count(), 1);
}

TEST_F(ShellTest, ExitEndsTheLoopWithoutTheClosePath) {
    auto pSM = std::make_shared<CSoundManager>();
    const std::weak_ptr<CSoundManager> wSM = pSM;
    form->m_Tracks = {TSndTrack{pSM, "OUT 1-2", {}}};
    pSM.reset();
    form->show();
    ASSERT_TRUE(RunLoopUntilEnded([this] { form->FileExit->trigger(); }));
    EXPECT_FALSE(wSM.expired());
    EXPECT_TRUE(form->TimerFade->isActive());
    // Windows closing while the program winds down do not run it either.
    form->close();
    EXPECT_FALSE(wSM.expired());
    // The destruction releases what "&Esci" left.
    form.reset();
    EXPECT_TRUE(wSM.expired());
    EXPECT_EQ(FormMain, nullptr);
    EXPECT_EQ(FormDebug, nullptr);
}

}  // namespace
