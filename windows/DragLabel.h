// A label that drags itself: pressing the mouse on it and moving starts a drag
// of that label. Other objects may be dropped on it; its owner decides through
// OnDragOver whether to accept and gets OnDragDrop with the dragged object (the
// source label, or null for something from outside the program). GUI thread only.
#pragma once

#include <QLabel>
#include <QPoint>

#include <functional>

class TDragLabel : public QLabel {
public:
    explicit TDragLabel(QWidget* parent);

    int Tag = 0;  // the integer every control carries
    std::function<void(QObject* Source, bool& Accept)> OnDragOver;
    std::function<void(QObject* Source)> OnDragDrop;

    // Mime type of the drag data; it carries nothing, the source is the label.
    static const char* const MIME_TYPE;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool Accepts(QObject* Source);
    QPoint m_PressPos;
    bool m_bPressed = false;
};
