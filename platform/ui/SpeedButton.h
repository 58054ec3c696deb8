// A toggle speed button with a group number: within one parent, the buttons of
// one group are mutually exclusive; with AllowAllUp, pressing the lowered button
// raises it so that all are up. OnClick runs after the state has changed;
// SetDown from code changes the state and runs no handler. A speed button with
// group 0 does not latch. It never takes the keyboard focus. GUI thread only.
#pragma once

#include <QAbstractButton>

#include <functional>

class TSpeedButton : public QAbstractButton {
    // Its own meta-object lets findChildren tell a speed button from the other
    // buttons of the same parent.
    Q_OBJECT

public:
    explicit TSpeedButton(QWidget* parent);

    int GroupIndex = 0;
    bool AllowAllUp = false;
    std::function<void()> OnClick;

    bool Down() const { return m_bDown; }
    void SetDown(bool bDown);  // no handler runs
    // A press as the user makes it: new state by the group rules, then OnClick.
    void Press();

    void SetGlyph(const QPixmap& glyph) { m_Glyph = glyph; update(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QSize sizeHint() const override;

private:
    bool m_bDown = false;
    QPixmap m_Glyph;
};
