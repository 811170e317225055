// A print preview that opens as a preview should: a large window on the
// screen of the window it belongs to, the whole page in view. Left to
// itself under a window manager, QPrintPreviewDialog opens at its small
// size hint and scales the page to fit that.
#pragma once

class QPrintPreviewDialog;
class QWidget;

namespace vek {

// Sizes `dialog` to most of the available screen of `over` (or the primary
// screen), centred there, with the whole page in view. Call before exec().
void fitPreviewToScreen(QPrintPreviewDialog &dialog, const QWidget *over);

} // namespace vek
