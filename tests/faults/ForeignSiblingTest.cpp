// A speed button that goes down raises the other speed buttons of its group
// among its siblings, and must touch nothing else there: the main window's A and
// B sit beside radio buttons and labels. The look-alike below is a button of
// another kind whose fields lie where a speed button keeps its group and its
// down state, so a press that took it for a speed button would show.
#include <QAbstractButton>
#include <QPaintEvent>
#include <QPixmap>

#include <functional>

#include <gtest/gtest.h>

#include "platform/ui/SpeedButton.h"

namespace {

class LookAlike : public QAbstractButton {
public:
    explicit LookAlike(QWidget* parent) : QAbstractButton(parent) {}
    int nGroup = 1;
    bool bAllowAllUp = true;
    std::function<void()> onClick;
    bool bDown = true;
    QPixmap glyph;

protected:
    void paintEvent(QPaintEvent*) override {}
};

TEST(SpeedButtonSiblings, APressLeavesButtonsOfOtherKindsAlone) {
    QWidget parent;
    TSpeedButton button(&parent);
    button.GroupIndex = 1;
    button.AllowAllUp = true;
    LookAlike other(&parent);

    button.Press();
    EXPECT_TRUE(button.Down());
    EXPECT_TRUE(other.bDown) << "the press wrote into a sibling that is no speed button";
}

}  // namespace
