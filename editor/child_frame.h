// CChildFrame: the MDI child window of one document. It holds the document's
// view (the input form or the output view), shows the document title in its
// caption and lets the application decide whether it may close (save
// prompts).
#pragma once

#include <QMdiSubWindow>
#include <QPointer>

#include <functional>

namespace vek {

class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
  public:
    CChildFrame(QObject *document, QWidget *view, QWidget *parent = nullptr);

    QObject *document() const { return document_; }
    QWidget *view() const { return view_; }

    // Asked before the window closes by the user; false keeps it open.
    std::function<bool()> canClose;
    // Closes without asking (the document has been dealt with).
    void forceClose();

  protected:
    void closeEvent(QCloseEvent *e) override;

  private:
    QPointer<QObject> document_;
    QPointer<QWidget> view_;
    bool forced_ = false;
};

} // namespace vek
