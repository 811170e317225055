// A print preview that opens as a preview should: a large window on the
// screen of the window it belongs to, the whole page in view. Left to
// itself under a window manager, QPrintPreviewDialog opens at its small
// size hint and scales the page to fit that.
#pragma once

class QPrintDialog;
class QPrintPreviewDialog;
class QString;
class QWidget;

namespace vek {

// Sizes `dialog` to most of the available screen of `over` (or the primary
// screen), centred there, with the whole page in view. Call before exec().
void fitPreviewToScreen(QPrintPreviewDialog &dialog, const QWidget *over);

// Proposes a PDF named after `documentPath` in its folder (model.vek:
// model.pdf beside it) as the print dialog's file for "Print to File",
// where the dialog would propose the home folder. The printer the dialog
// starts with stays the default one. A document without a file (empty or
// relative path) leaves the dialog's own proposal. Call before exec().
void proposePdfBeside(QPrintDialog &dialog, const QString &documentPath);

} // namespace vek
