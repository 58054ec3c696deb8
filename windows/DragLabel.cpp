#include "windows/DragLabel.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>

const char* const TDragLabel::MIME_TYPE = "application/x-sondarium-label";

TDragLabel::TDragLabel(QWidget* parent) : QLabel(parent) { setAcceptDrops(true); }

void TDragLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_bPressed = true;
        m_PressPos = event->position().toPoint();
    }
    QLabel::mousePressEvent(event);
}

void TDragLabel::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bPressed || !(event->buttons() & Qt::LeftButton)) return QLabel::mouseMoveEvent(event);
    if ((event->position().toPoint() - m_PressPos).manhattanLength() < QApplication::startDragDistance()) return;
    m_bPressed = false;
    auto* drag = new QDrag(this);
    auto* data = new QMimeData;
    data->setData(MIME_TYPE, QByteArray());
    drag->setMimeData(data);
    drag->setPixmap(grab());
    drag->setHotSpot(m_PressPos);
    drag->exec(Qt::MoveAction);
}

bool TDragLabel::Accepts(QObject* Source) {
    bool bAccept = false;
    if (OnDragOver) OnDragOver(Source, bAccept);
    return bAccept;
}

void TDragLabel::dragEnterEvent(QDragEnterEvent* event) {
    if (Accepts(event->source())) event->acceptProposedAction();
    else event->ignore();
}

void TDragLabel::dragMoveEvent(QDragMoveEvent* event) {
    if (Accepts(event->source())) event->acceptProposedAction();
    else event->ignore();
}

void TDragLabel::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    if (OnDragDrop) OnDragDrop(event->source());
}
