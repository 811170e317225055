// CChildFrame: MDI child window of one document.
#include "editor/child_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>

namespace vek {

CChildFrame::CChildFrame(QObject *document, QWidget *view, QWidget *parent)
    : QMdiSubWindow(parent), document_(document), view_(view) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
    // The window's own menu would take the platform's close keys (Ctrl+W,
    // Ctrl+F4) too; two actions on one key trigger neither. File > Close,
    // with its save prompt, is the one that closes a document.
    if (QMenu *menu = systemMenu())
        for (QAction *a : menu->actions())
            for (const QKeySequence &k : a->shortcuts())
                if (QKeySequence::keyBindings(QKeySequence::Close).contains(k) ||
                    k == QKeySequence(Qt::CTRL | Qt::Key_W)) {
                    a->setShortcuts({});
                    break;
                }
}

void CChildFrame::forceClose() {
    forced_ = true;
    close();
}

void CChildFrame::closeEvent(QCloseEvent *e) {
    if (!forced_ && canClose && !canClose()) {
        e->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(e);
}

} // namespace vek
