// The splash window: the introduction sound on every showing, the click that
// stops it and hides the window, and "&Sondarium ..." as the About command.
// The sound is heard on the virtual back end's default output.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>

#include <vector>

#include "WindowsRig.h"
#include "windows/TFormSplashScreen.h"

using wintest::WindowsRig;

namespace {

constexpr int DEFAULT_OUTPUT = 0;
constexpr std::uint32_t CHUNK = 2205;  // 50 ms

std::vector<float> Hear(WindowsRig& rig, std::uint32_t nFrames) { return rig.vb->Render(DEFAULT_OUTPUT, nFrames); }

bool Silent(const std::vector<float>& v) {
    if (v.empty()) return true;  // nothing open on the output
    for (float f : v)
        if (f != 0.0f) return false;
    return true;
}

void ClickPicture(TFormSplashScreen& w) {
    const QPointF at(200, 150);
    QMouseEvent press(QEvent::MouseButtonPress, at, w.Image1->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w.Image1->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(w.Image1, &press);
    QCoreApplication::sendEvent(w.Image1, &release);
}

// What the first showing plays, before anybody touches the window.
std::vector<float> Reference() {
    WindowsRig rig;
    std::vector<float> ref = Hear(rig, 2 * CHUNK);
    EXPECT_FALSE(Silent(ref));
    return ref;
}

TEST(Splash, IsUpAtStartUpPlayingTheIntroductionAndAClickStopsItAndHidesIt) {
    WindowsRig rig;
    TFormSplashScreen& w = *FormSplashScreen;
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(w.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(w.size(), QSize(400, 300));
    EXPECT_FALSE(Silent(Hear(rig, CHUNK)));
    ClickPicture(w);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(Silent(Hear(rig, CHUNK)));
}

TEST(Splash, ClosedByOtherMeansItHidesAndTheSoundPlaysOn) {
    const std::vector<float> ref = Reference();
    WindowsRig rig;
    std::vector<float> heard = Hear(rig, CHUNK);
    FormSplashScreen->close();
    EXPECT_FALSE(FormSplashScreen->isVisible());
    const std::vector<float> more = Hear(rig, CHUNK);
    heard.insert(heard.end(), more.begin(), more.end());
    EXPECT_EQ(heard, ref);
}

TEST(Splash, AboutWhileVisibleChangesNothingAfterItWasHiddenRestartsTheSound) {
    const std::vector<float> ref = Reference();
    const std::vector<float> refStart(ref.begin(), ref.begin() + static_cast<std::ptrdiff_t>(ref.size() / 2));
    {
        WindowsRig rig;
        std::vector<float> heard = Hear(rig, CHUNK);
        rig.form->HelpAboutClick();
        EXPECT_TRUE(FormSplashScreen->isVisible());
        const std::vector<float> more = Hear(rig, CHUNK);
        heard.insert(heard.end(), more.begin(), more.end());
        EXPECT_EQ(heard, ref) << "the sound went on, not restarted";
    }
    {
        WindowsRig rig;
        Hear(rig, CHUNK);
        ClickPicture(*FormSplashScreen);
        rig.form->HelpAboutClick();
        EXPECT_TRUE(FormSplashScreen->isVisible());
        EXPECT_EQ(Hear(rig, CHUNK), refStart) << "from its start again";
        // Closed without a click, the sound carries on into the next showing's cut.
        FormSplashScreen->close();
        rig.form->HelpAboutClick();
        EXPECT_EQ(Hear(rig, CHUNK), refStart);
    }
}

}  // namespace
