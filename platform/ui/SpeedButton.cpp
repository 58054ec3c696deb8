#include "platform/ui/SpeedButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

TSpeedButton::TSpeedButton(QWidget* parent) : QAbstractButton(parent) {
    // A speed button takes no keyboard focus, as the toolkit's speed buttons do.
    setFocusPolicy(Qt::NoFocus);
}

void TSpeedButton::SetDown(bool bDown) {
    if (m_bDown == bDown) return;
    m_bDown = bDown;
    if (bDown && GroupIndex != 0 && parentWidget()) {
        for (TSpeedButton* other : parentWidget()->findChildren<TSpeedButton*>(QString(), Qt::FindDirectChildrenOnly)) {
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
    if (GroupIndex == 0) {
        // A plain speed button does not latch.
    } else if (m_bDown) {
        if (AllowAllUp) SetDown(false);
    } else {
        SetDown(true);
    }
    if (OnClick) OnClick();
}

void TSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    QAbstractButton::setDown(false);  // the toolkit's transient press state, not ours
    if (event->button() == Qt::LeftButton && inside && isEnabled()) {
        Press();
    }
    event->accept();
}

void TSpeedButton::keyPressEvent(QKeyEvent* event) { QWidget::keyPressEvent(event); }

QSize TSpeedButton::sizeHint() const { return QSize(64, 64); }

void TSpeedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.state |= (m_bDown || isDown()) ? QStyle::State_Sunken : QStyle::State_Raised;
    if (m_bDown) opt.state |= QStyle::State_On;
    if (!isEnabled()) opt.state &= ~QStyle::State_Enabled;
    style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);
    QRect r = rect();
    if (m_bDown) r.translate(1, 1);
    if (!m_Glyph.isNull()) {
        QPixmap glyph = m_Glyph;
        const QPoint at = r.center() - QPoint(glyph.width() / 2, glyph.height() / 2);
        if (!isEnabled()) p.setOpacity(0.4);
        p.drawPixmap(at, glyph);
        p.setOpacity(1.0);
    }
    if (!text().isEmpty()) {
        p.setFont(font());
        p.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : palette().color(QPalette::Disabled, QPalette::ButtonText));
        p.drawText(r, Qt::AlignCenter, text());
    }
}
