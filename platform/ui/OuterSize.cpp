#include "platform/ui/OuterSize.h"

#include <QEvent>
#include <QWidget>

namespace {

QSize FrameOf(const QWidget* pWindow) { return pWindow->frameGeometry().size() - pWindow->size(); }

class TOuterSize final : public QObject {
public:
    TOuterSize(QWidget* pWindow, QSize Outer) : QObject(pWindow), m_pWindow(pWindow), m_Outer(Outer) {
        setObjectName(NAME);
        Apply();
    }
    static constexpr const char* NAME = "SondariumOuterSize";

    void SetOuter(QSize Outer) {
        m_Outer = Outer;
        Apply();
    }

    bool eventFilter(QObject* pWatched, QEvent* pEvent) override {
        switch (pEvent->type()) {
            case QEvent::Show:
            case QEvent::Move:
            case QEvent::Resize:
            case QEvent::WindowStateChange:
                if (pWatched == m_pWindow && FrameOf(m_pWindow) != m_Frame) Apply();
                break;
            default:
                break;
        }
        return false;
    }

private:
    // Resizing a maximised window would restore it on some platforms: the
    // size waits until the window is shown normal.
    void Apply() {
        if (m_pWindow->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) return;
        m_Frame = FrameOf(m_pWindow);
        m_pWindow->resize(m_Outer - m_Frame);
    }

    QWidget* m_pWindow;
    QSize m_Outer;
    QSize m_Frame{0, 0};
};

}  // namespace

void SetOuterSize(QWidget* pWindow, int nWidth, int nHeight) {
    if (!pWindow) return;
    // The class has no meta-object of its own, so it is found by its name.
    if (auto* pKeeper = pWindow->findChild<QObject*>(TOuterSize::NAME, Qt::FindDirectChildrenOnly)) {
        static_cast<TOuterSize*>(pKeeper)->SetOuter(QSize(nWidth, nHeight));
        return;
    }
    pWindow->installEventFilter(new TOuterSize(pWindow, QSize(nWidth, nHeight)));
}
