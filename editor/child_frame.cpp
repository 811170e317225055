// CChildFrame: MDI child window of one document.
#include "editor/child_frame.h"

#include <QCloseEvent>

namespace vek {

CChildFrame::CChildFrame(QObject *document, QWidget *view, QWidget *parent)
    : QMdiSubWindow(parent), document_(document), view_(view) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWidget(view);
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
