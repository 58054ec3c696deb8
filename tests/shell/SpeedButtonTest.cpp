// The toggle speed buttons: group rules under real mouse clicks, the handler
// after the state change, and state set from code running nothing.
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "platform/ui/SpeedButton.h"

namespace {

void Click(TSpeedButton* button, QPoint releaseAt = QPoint(5, 5)) {
    const QPointF global = button->mapToGlobal(QPointF(5, 5));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(button, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(releaseAt), button->mapToGlobal(QPointF(releaseAt)),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(button, &release);
}

class SpeedButtons : public ::testing::Test {
protected:
    void SetUp() override {
        parent = std::make_unique<QWidget>();
        a = Make(1, 0);
        b = Make(1, 50);
        other = Make(2, 100);  // another group on the same parent
        parent->resize(200, 50);
        parent->show();
    }
    TSpeedButton* Make(int nGroup, int x) {
        auto* button = new TSpeedButton(parent.get());
        button->setGeometry(x, 0, 40, 40);
        button->GroupIndex = nGroup;
        button->AllowAllUp = true;
        button->OnClick = [this, button] {
            // What the handler sees: the state after the change.
            log += (button == a ? "A" : button == b ? "B" : "O");
            log += std::string(":") + (a->Down() ? "d" : "u") + (b->Down() ? "d" : "u") + " ";
        };
        return button;
    }
    std::unique_ptr<QWidget> parent;
    TSpeedButton* a = nullptr;
    TSpeedButton* b = nullptr;
    TSpeedButton* other = nullptr;
    std::string log;
};

struct GroupCase {
    bool bStartA, bStartB;
    char pressed;  // 'A' or 'B'
    const char* log;
};

const GroupCase kGroup[] = {
    {false, false, 'A', "A:du "},  // an up button goes down
    {false, false, 'B', "B:ud "},
    {true, false, 'B', "B:ud "},   // and raises the other
    {false, true, 'A', "A:du "},
    {true, false, 'A', "A:uu "},   // the down button goes up: all up, handler still runs
    {false, true, 'B', "B:uu "},
};

void PrintTo(const GroupCase& c, std::ostream* os) {
    *os << (c.bStartA ? "Adown" : "Aup") << "_" << (c.bStartB ? "Bdown" : "Bup") << "_press" << c.pressed;
}

class GroupRule : public SpeedButtons, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(GroupRule, ClickFollowsTheGroupAndThenRunsTheHandler) {
    const GroupCase& c = GetParam();
    a->SetDown(c.bStartA);
    b->SetDown(c.bStartB);
    other->SetDown(true);
    EXPECT_EQ(log, "");  // setting the state from code runs nothing
    Click(c.pressed == 'A' ? a : b);
    EXPECT_EQ(log, c.log);
    EXPECT_TRUE(other->Down());  // another group is not affected
}

INSTANTIATE_TEST_SUITE_P(Presses, GroupRule, ::testing::ValuesIn(kGroup));

TEST_F(SpeedButtons, SetDownFromCodeRaisesTheOtherWithoutHandler) {
    a->SetDown(true);
    b->SetDown(true);
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(b->Down());
    b->SetDown(false);
    EXPECT_FALSE(b->Down());
    EXPECT_EQ(log, "");
}

TEST_F(SpeedButtons, NoClickWhenDisabledOrReleasedOutside) {
    a->setEnabled(false);
    Click(a);
    EXPECT_FALSE(a->Down());
    a->setEnabled(true);
    Click(a, QPoint(100, 100));  // dragged off before release
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(log, "");
    Click(b);
    EXPECT_EQ(log, "B:ud ");
}

TEST_F(SpeedButtons, WithoutAllowAllUpTheLoweredButtonStaysDown) {
    a->AllowAllUp = b->AllowAllUp = false;
    Click(a);
    Click(a);
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(log, "A:du A:du ");
    a->SetDown(false);
    EXPECT_TRUE(a->Down());
}

TEST_F(SpeedButtons, GroupZeroDoesNotLatch) {
    a->GroupIndex = 0;
    Click(a);
    a->SetDown(true);
    EXPECT_FALSE(a->Down());
    EXPECT_EQ(log, "A:uu ");
    EXPECT_EQ(a->focusPolicy(), Qt::NoFocus);
}

}  // namespace
