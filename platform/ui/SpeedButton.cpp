#include "platform/ui/SpeedButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

TSpeedButton::TSpeedButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void TSpeedButton::SetDown(bool bDown) {
    if (GroupIndex == 0) bDown = false;
    if (m_bDown == bDown) return;
    // The last lowered button of a group that does not allow all up stays down.
    if (!bDown && !AllowAllUp) return;
    m_bDown = bDown;
    if (bDown && parentWidget()) {
        const auto siblings = parentWidget()->findChildren<TSpeedButton*>(QString(), Qt::FindDirectChildrenOnly);
        for (TSpeedButton* other : siblings) {
            if (other != this && other->GroupIndex == GroupIndex && other->m_bDown) {
                other->m_bDown = false;
                other->update();
            }
        }
    }
    update();
}

void TSpeedButton::Press() {
    if (!isEnabled()) return;
    if (GroupIndex != 0) SetDown(!m_bDown);
    if (OnClick) OnClick();
}

void TSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // The toolkit's transient pressed look ends here; the latched state is ours.
    const bool bWasPressed = isDown();
    QAbstractButton::setDown(false);
    if (bWasPressed && hitButton(event->position().toPoint())) Press();
    event->accept();
}

void TSpeedButton::keyPressEvent(QKeyEvent* event) { QWidget::keyPressEvent(event); }

QSize TSpeedButton::sizeHint() const { return QSize(64, 64); }

void TSpeedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    const bool bSunken = m_bDown || isDown();
    opt.state |= bSunken ? QStyle::State_Sunken : QStyle::State_Raised;
    if (m_bDown) opt.state |= QStyle::State_On;
    style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);
    QRect r = rect();
    if (bSunken) r.translate(1, 1);
    if (!m_Glyph.isNull()) {
        const QPoint at = r.center() - QPoint(m_Glyph.width() / 2, m_Glyph.height() / 2);
        if (!isEnabled()) p.setOpacity(0.4);
        p.drawPixmap(at, m_Glyph);
        p.setOpacity(1.0);
    }
    if (!text().isEmpty()) {
        p.setFont(font());
        style()->drawItemText(&p, r, Qt::AlignCenter, palette(), isEnabled(), text(), QPalette::ButtonText);
    }
}
