// Print preview placement (see print_preview.h).
#include "viewer/print_preview.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QScreen>
#include <QWidget>

namespace vek {

void fitPreviewToScreen(QPrintPreviewDialog &dialog, const QWidget *over) {
    QScreen *screen = over ? over->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        // Four fifths of the screen: big enough to read a page, with room
        // left for the window's frame.
        QRect r(0, 0, area.width() * 4 / 5, area.height() * 4 / 5);
        r.moveCenter(area.center());
        dialog.resize(r.size());
        dialog.move(r.topLeft());
    }
    if (auto *preview = dialog.findChild<QPrintPreviewWidget *>()) preview->fitInView();
}

void proposePdfBeside(QPrintDialog &dialog, const QString &documentPath) {
    const QFileInfo doc(documentPath);
    if (documentPath.isEmpty() || doc.isRelative()) return;
    // The file name field of the dialog's own printer page; where the
    // platform's dialog has none, its own proposal stays.
    auto *field = dialog.findChild<QLineEdit *>(QStringLiteral("filename"));
    if (field) field->setText(QDir(doc.absolutePath()).filePath(doc.completeBaseName() + QStringLiteral(".pdf")));
}

} // namespace vek
