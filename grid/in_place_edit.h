// CInPlaceEdit: the edit box the grid shows over a cell while its text is
// being edited. It hands the keys that end an edit back to the grid.
#pragma once

#include <QLineEdit>

namespace vek {

class CGridCtrl;

class CInPlaceEdit : public QLineEdit {
    Q_OBJECT

  public:
    // byChar: the edit began with a typed character, so arrows and Page keys
    // end it instead of moving inside the text.
    CInPlaceEdit(CGridCtrl *grid, const QRect &cellRect, const QString &text, bool byChar);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;

  private:
    void growToText();

    CGridCtrl *m_grid;
    QRect m_cellRect;
    bool m_byChar;
};

} // namespace vek
