// The main window's layout: the two bars, the centring rule at every size, the
// form data of every control, the tab order and the font substitutes.
#include <QAbstractButton>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QScreen>

#include <ostream>
#include <string>
#include <vector>

#include "platform/ui/Fonts.h"
#include "shell/ShellFixture.h"

namespace {

struct CentringCase {
    int W, H;              // client area
    int nClientLeft, nClientTop, nTopLeft;
};

// PanelClient is 720 x 480, PanelTop 734 wide; every halving truncates toward zero.
const CentringCase kCentring[] = {
    {733, 777, 6, 148, 0},      // design size: 13/2 = 6, -1/2 = 0
    {720, 480, 0, 0, -7},       // PanelTop wider than the client: negative offset
    {721, 481, 0, 0, -6},       // odd differences: -13/2 = -6, not -7
    {700, 400, -10, -40, -17},  // smaller than PanelClient: it sticks out on both sides
    {1024, 739, 152, 129, 145},
    {1023, 600, 151, 60, 144},
};

void PrintTo(const CentringCase& c, std::ostream* os) { *os << c.W << "x" << c.H; }

class CentringRule : public ShellTest, public ::testing::WithParamInterface<CentringCase> {};

TEST_P(CentringRule, PanelsFollowTheClientArea) {
    const CentringCase& c = GetParam();
    ResizeClient(c.W, c.H);
    ASSERT_EQ(Client()->size(), QSize(c.W, c.H));
    EXPECT_EQ(form->PanelClient->geometry(), QRect(c.nClientLeft, c.nClientTop, 720, 480));
    EXPECT_EQ(form->PanelTop->geometry(), QRect(c.nTopLeft, 2, 734, 60));
    EXPECT_EQ(form->PanelTopBack->geometry(), QRect(0, 0, c.W, 64));
    EXPECT_EQ(form->Panel3->geometry(), QRect(0, c.H - 64, c.W, 64));
}

INSTANTIATE_TEST_SUITE_P(Sizes, CentringRule, ::testing::ValuesIn(kCentring));

void ExpectCentred(TFormMain& form) {
    const int W = form.centralWidget()->width();
    const int H = form.centralWidget()->height();
    EXPECT_EQ(form.PanelClient->pos(), QPoint((W - 720) / 2, (H - 480) / 2)) << W << "x" << H;
    EXPECT_EQ(form.PanelTop->x(), (W - 734) / 2) << W;
    EXPECT_EQ(form.Panel3->geometry(), QRect(0, H - 64, W, 64));
}

TEST_F(ShellTest, StartsMaximisedAndRestoresToTheCentredBounds) {
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    EXPECT_TRUE(form->windowState() & Qt::WindowMaximized);
    form->show();
    QApplication::processEvents();
    EXPECT_TRUE(form->isMaximized());
    EXPECT_EQ(form->frameGeometry(), QGuiApplication::primaryScreen()->availableGeometry());
    ExpectCentred(*form);

    form->showNormal();
    QApplication::processEvents();
    // Left and top place the frame; on a screen lower than 680 px the top is negative.
    EXPECT_EQ(form->frameGeometry().topLeft(),
              QPoint((screen.width() - 730) / 2, (screen.height() - 640) / 2 - 28));
    EXPECT_EQ(form->frameGeometry().size(), QSize(730, 640));  // the outer size, frame included
    ExpectCentred(*form);

    form->showMaximized();
    QApplication::processEvents();
    ExpectCentred(*form);
}

struct ControlCase {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* caption;
    const char* family;
    int nPixels;
    bool bBold;
};

const ControlCase kControls[] = {
    {"LabelInfo", "Panel3", {7, 16, 700, 36}, "", "Arial", 19, false},
    {"SpeedButtonA", "PanelClient", {83, 36, 256, 128}, "A", "Arial", 64, false},
    {"SpeedButtonB", "PanelClient", {379, 36, 256, 128}, "B", "Arial", 64, false},
    {"RadioButtonA", "PanelClient", {88, 215, 162, 24}, "Preferisco A", "Arial", 24, false},
    {"RadioButtonB", "PanelClient", {283, 215, 162, 24}, "Preferisco B", "Arial", 24, false},
    {"RadioButtonNS", "PanelClient", {482, 214, 162, 24}, "Non saprei", "Arial", 24, false},
    {"Label1", "PanelClient", {78, 289, 185, 19}, "Commenti  (opzionale)  :", "Arial", 16, true},
    {"EditNotes", "PanelClient", {78, 313, 570, 27}, "", "Arial", 16, true},
    {"BitBtnNextTest", "PanelClient", {75, 404, 570, 64}, "Test successivo ...", "Arial", 24, false},
    {"Bevel1", "PanelTop", {574, 10, 154, 40}, nullptr, "MS Sans Serif", 11, false},
    {"LabelPosition", "PanelTop", {586, 18, 138, 24}, "", "Arial", 24, false},
    {"ButtonRewind", "PanelTop", {10, 15, 146, 32}, "< <", "MS Sans Serif", 13, true},
    {"ScrollBarTrackPos", "PanelTop", {166, 15, 400, 32}, nullptr, "MS Sans Serif", 11, false},
};

std::string TextOf(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text().toStdString();
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text().toStdString();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().toStdString();
    return "?";
}

TEST_F(ShellTest, EveryControlHasItsFormData) {
    for (const ControlCase& c : kControls) {
        SCOPED_TRACE(c.name);
        auto* w = form->findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->parentWidget()->objectName().toStdString(), c.parent);
        EXPECT_EQ(w->geometry(), c.geometry);
        if (c.caption) {
            EXPECT_EQ(TextOf(w), c.caption);
        }
        EXPECT_EQ(w->font().family().toStdString(), c.family);
        EXPECT_EQ(w->font().pixelSize(), c.nPixels);
        EXPECT_EQ(w->font().bold(), c.bBold);
    }
    EXPECT_EQ(form->windowTitle().toStdString(), "  Sondarium  :   Test di ascolto");
    EXPECT_EQ(form->font().family().toStdString(), "MS Sans Serif");
    EXPECT_EQ(form->font().pixelSize(), 11);
    EXPECT_EQ(form->Panel3->parentWidget(), Client());
    EXPECT_EQ(form->PanelClient->size(), QSize(720, 480));
    EXPECT_EQ(form->PanelTopBack->parentWidget(), Client());
    EXPECT_EQ(form->Bevel1->frameShadow(), QFrame::Raised);
    EXPECT_EQ(form->BitBtnNextTest->palette().color(QPalette::Active, QPalette::ButtonText), QColor(Qt::blue));
    EXPECT_TRUE(form->LabelPosition->autoFillBackground());
    EXPECT_EQ(form->LabelPosition->backgroundRole(), QPalette::Button);
}

TEST_F(ShellTest, TabOrderRunsThroughTheTestControls) {
    const std::vector<QWidget*> expected = {form->RadioButtonA,   form->RadioButtonB, form->RadioButtonNS,
                                            form->BitBtnNextTest, form->EditNotes,    form->ButtonRewind,
                                            form->ScrollBarTrackPos};
    std::vector<QWidget*> chain;
    QWidget* w = form->RadioButtonA;
    do {
        if (w->focusPolicy() & Qt::TabFocus) chain.push_back(w);
        w = w->nextInFocusChain();
    } while (w != form->RadioButtonA && chain.size() < 20);
    EXPECT_EQ(chain, expected);
}

TEST(Fonts, FormFamiliesResolveToInstalledMetricTwins) {
    const bool bLiberation = QFontDatabase::families().contains(QStringLiteral("Liberation Sans"));
    if (!bLiberation) GTEST_SKIP() << "Liberation Sans is not installed";
    for (const char* family : {"Arial", "MS Sans Serif", "Tahoma", "Raavi"}) {
        SCOPED_TRACE(family);
        const QFont font = PixelFont(QString::fromLatin1(family), 24, true);
        EXPECT_EQ(QFontInfo(font).family().toStdString(), "Liberation Sans");
        EXPECT_EQ(QFontInfo(font).pixelSize(), 24);
        EXPECT_TRUE(QFontInfo(font).bold());
    }
}

}  // namespace
