// CGridCtrl: the spreadsheet-like table used by the input form and the
// pumping record dialog. Text cells with fixed header rows and columns,
// rectangular selection, in-place editing, clipboard copy / paste / cut, and
// notifications to the owner through signals carrying row and column.
#pragma once

#include "grid/grid_cell.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPointer>
#include <QString>
#include <set>
#include <vector>

namespace vek {

class CInPlaceEdit;
class CTitleTip;

class CGridCtrl : public QAbstractScrollArea {
    Q_OBJECT

  public:
    // How an in-place edit ended; decides where the focus goes next.
    enum class EditEnd { Commit, Cancel, Enter, Tab, BackTab, Up, Down, Left, Right, PageUp, PageDown };

    explicit CGridCtrl(QWidget *parent = nullptr);
    // Mirrors the owner's "create over a placeholder": parent, geometry and
    // control id in one call.
    CGridCtrl(const QRect &rect, QWidget *parent, int id);
    ~CGridCtrl() override;

    // Control id given by the owner (0 when none), so an owner routing
    // several grids through one handler can tell them apart via sender().
    int controlId() const { return m_id; }
    void setControlId(int id) { m_id = id; }

    // ---- Size of the table ------------------------------------------------
    // Resize the table; new cells are empty and take the defaults. Returns
    // false for a negative count. Shrinking below the fixed count shrinks
    // the fixed count too.
    bool setRowCount(int rows);
    bool setColumnCount(int cols);
    int rowCount() const { return static_cast<int>(m_rowHeights.size()); }
    int columnCount() const { return static_cast<int>(m_colWidths.size()); }
    // Number of header rows at the top / header columns at the left. Grows
    // the table when it has fewer rows or columns than that.
    bool setFixedRowCount(int rows);
    bool setFixedColumnCount(int cols);
    int fixedRowCount() const { return m_fixedRows; }
    int fixedColumnCount() const { return m_fixedCols; }

    // Insert a row whose first cell holds text; position -1 (or past the end)
    // appends. Returns the new row's index, or -1 when there are no columns.
    int insertRow(const QString &text, int position = -1);
    // Remove one row (fixed rows included); false for an invalid index.
    bool deleteRow(int row);
    // Remove every row below the fixed rows.
    void deleteNonFixedRows();
    // Remove every row and column.
    void deleteAllItems();

    // ---- Cells ------------------------------------------------------------
    bool isValid(int row, int col) const;
    bool isValid(const CCellID &cell) const { return isValid(cell.row, cell.col); }
    // Set the text of a cell (no notifications); false for an invalid cell.
    bool setItemText(int row, int col, const QString &text);
    // Text of a cell; empty for an invalid cell.
    QString itemText(int row, int col) const;
    // State flags (GridCellState bits). The fixed bits of header cells are
    // kept by the grid whatever the owner passes.
    bool setItemState(int row, int col, unsigned state);
    unsigned itemState(int row, int col) const;
    // A cell's mark and the note that says why (see CellMark); CellMark::None
    // clears it. Marks go with their cells when rows are removed.
    bool setItemMark(int row, int col, CellMark mark, const QString &note = {});
    CellMark itemMark(int row, int col) const;
    QString itemNote(int row, int col) const;
    // Clears every mark.
    void clearMarks();
    // Text alignment of a cell.
    bool setItemFormat(int row, int col, Qt::Alignment format);
    Qt::Alignment itemFormat(int row, int col) const;
    // A cell in the fixed rows or columns.
    bool isCellFixed(int row, int col) const;
    // A valid cell the user may change: editing on, not fixed, not read-only.
    bool isCellEditable(int row, int col) const;

    // ---- Sizes ------------------------------------------------------------
    // A zero size hides a row or column; the movement keys skip it.
    bool setRowHeight(int row, int height);
    bool setColumnWidth(int col, int width);
    int rowHeight(int row) const;
    int columnWidth(int col) const;
    // Sizes given to rows and columns created from now on.
    void setDefaultRowHeight(int height);
    void setDefaultColumnWidth(int width);
    int defaultRowHeight() const { return m_defaultRowHeight; }
    int defaultColumnWidth() const { return m_defaultColWidth; }
    // Make every column (or one column) as wide as its widest cell, then
    // reset the scroll bars. Hidden (zero-width) columns are left hidden.
    void autoSizeColumns();
    bool autoSizeColumn(int col);
    // Make every row as tall as its tallest cell.
    void autoSizeRows();
    // Total width / height of all columns / rows.
    int virtualWidth() const;
    int virtualHeight() const;

    // ---- Focus and selection ----------------------------------------------
    // Move the focus cell (an invalid cell clears it); makes it visible.
    // Sends focus changing first when the focus really moves.
    void setFocusCell(int row, int col);
    void setFocusCell(const CCellID &cell) { setFocusCell(cell.row, cell.col); }
    CCellID focusCell() const { return m_focus; }
    // Select a rectangle (clipped to the table); an invalid range clears it.
    // Sends selection changed.
    void setSelectedRange(int minRow, int minCol, int maxRow, int maxCol);
    void setSelectedRange(const CCellRange &range);
    CCellRange selectedRange() const { return m_selection; }
    void clearSelection();
    bool isCellSelected(int row, int col) const;
    int selectedCount() const;

    // ---- Editing ----------------------------------------------------------
    // Editing on (the default) lets users edit, paste, cut and delete.
    void setEditable(bool on) { m_editable = on; }
    bool isEditable() const { return m_editable; }
    // Start an in-place edit of a cell (focus moves there); initialChar, when
    // not empty, replaces the text as the first typed character. False when
    // the cell is not editable.
    bool editCell(int row, int col, const QString &initialChar = QString());
    bool isEditing() const;
    CCellID editingCell() const { return m_editCell; }
    // The in-place editor under way, or null (for owners and tests).
    CInPlaceEdit *inPlaceEdit() const;
    // End the edit under way: Commit stores the text, Cancel puts the old
    // text back. Navigation ends move the focus and start the next edit.
    void endEditing(EditEnd how = EditEnd::Commit);

    // ---- Clipboard text ---------------------------------------------------
    // Text copy() puts on the clipboard: the selection, or the whole grid
    // with its headers when there is no valid selection. Tab between cells,
    // line feed between rows, none after the last.
    QString copyText() const;
    // Paste text at the focus cell (or the top-left selected cell); what
    // paste() does with the clipboard's text. Returns the number of cells
    // changed.
    int pasteText(const QString &text);

    // ---- Rows and columns with a role --------------------------------------
    // A row drawn highlighted across its width (the owner's current record,
    // such as the selected location); -1 for none. Selection and focus are
    // not affected.
    void setHighlightedRow(int row);
    int highlightedRow() const { return m_highlightRow; }
    // Cells of a clickable column do something when clicked (the owner's
    // toggles): they show in the palette's link colour with a pointing hand,
    // read-only or not, and Space on the focus cell clicks it.
    void setColumnClickable(int col, bool on);
    bool isColumnClickable(int col) const { return m_clickableCols.count(col) > 0; }
    // Cells of a numeric column take numbers only: a typed character that
    // cannot be part of a number is refused, an edit that does not end as a
    // number keeps the old text, and a paste leaves such fields out. Each
    // refusal is reported (numberRefused, pasteSkippedNonNumbers). Empty
    // text is allowed: it clears the cell.
    void setColumnNumeric(int col, bool on);
    bool isColumnNumeric(int col) const { return m_numericCols.count(col) > 0; }
    // A whole decimal number in the locale-free form: optional sign, digits
    // with an optional point, optional exponent ("12", "-0.5", ".5",
    // "1e-3"); blanks around it are allowed, and a decimal comma stands for
    // the point ("3,5" is 3.5 in every locale). A number beyond single
    // precision ("1e39") is none: it could not be stored.
    static bool isNumberText(const QString &text);
    // A numeric cell's text as stored: trimmed, a decimal comma made a point.
    static QString numberWithPoint(const QString &text);

    // ---- Display ----------------------------------------------------------
    void setTitleTipsEnabled(bool on) { m_titleTips = on; }
    bool titleTipsEnabled() const { return m_titleTips; }
    // Redraw the whole window.
    void refresh();
    // Scroll so that the cell shows (fixed rows/columns always show).
    void ensureVisible(int row, int col);
    // Rectangle of a cell in viewport coordinates (empty for an invalid or
    // hidden cell), and the cell under a viewport point (invalid if none).
    QRect cellRect(int row, int col) const;
    CCellID cellAt(const QPoint &viewportPos) const;
    // Cell at the top-left of the scrolled (non-fixed) area.
    CCellID topLeftNonFixedCell() const;

  public slots:
    // Copy the selection (or the whole grid) to the clipboard.
    void copy();
    // Paste the clipboard's plain text at the focus cell.
    void paste();
    // Copy, then empty every selected editable cell.
    void cut();
    // Empty the focus cell when it is editable (the Delete key).
    void deleteFocusCell();
    // Select every non-fixed cell.
    void selectAll();

  signals:
    // Every notification, with its GridNotifyCode; sent alongside the
    // dedicated signal below.
    void notify(int code, int row, int col);
    // Left button released over a cell.
    void clicked(int row, int col);
    // Left double click on a cell.
    void doubleClicked(int row, int col);
    // Right button released over the grid (row/col -1 outside the cells),
    // or the keyboard's menu key (the focus cell). The grid takes the
    // platform's context-menu events itself, so an owner that shows its menu
    // from this signal never shows it twice.
    void rightClicked(int row, int col);
    // The focus cell is about to move to (row, col).
    void focusChanging(int row, int col);
    // The selection has changed; row, col is the focus cell.
    void selectionChanged(int row, int col);
    // A cell is about to change through in-place editing, paste, cut or
    // delete. oldText is its current text, which itemText also still
    // returns while the signal is handled.
    void beginLabelEdit(int row, int col, const QString &oldText);
    // The cell's new text has been stored; read it with itemText.
    void endLabelEdit(int row, int col);
    // A drag of the selection starts.
    void beginDrag(int row, int col);
    // Text refused in a numeric column, typed into (row, col) or left there
    // when an edit ended; the cell kept its text.
    void numberRefused(int row, int col);
    // A paste left out `count` fields that were not numbers.
    void pasteSkippedNonNumbers(int count);
    // A paste held more fields than fit right of or below its target; that
    // many were left out.
    void pasteClipped(int count);

  protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    friend class CInPlaceEdit;

    enum class MouseMode { None, Selecting, SizingColumn, SizingRow, PendingDrag };

    bool startEdit(int row, int col, const QString &initialChar, bool exitOnArrows);
    CGridCell *cell(int row, int col);
    const CGridCell *cell(int row, int col) const;
    CGridCell makeCell(int row, int col) const;
    void refreshFixedFlags();
    void updateScrollBars();
    int scrollX() const;
    int scrollY() const;
    int fixedWidth() const;
    int fixedHeight() const;
    int columnLeft(int col) const;
    int rowTop(int row) const;
    void drawCell(QPainter &p, int row, int col, const QRect &r) const;
    // Next visible (non-zero size) non-fixed row/column from `from` in steps
    // of `dir`; returns `from` when there is none.
    int nextVisibleRow(int from, int dir) const;
    int nextVisibleCol(int from, int dir) const;
    int firstVisibleRow() const;
    int lastVisibleRow() const;
    int firstVisibleCol() const;
    int lastVisibleCol() const;
    int pageRows(int from, int dir) const;
    CCellID moveTarget(int key, Qt::KeyboardModifiers mods) const;
    void moveFocusTo(const CCellID &cell, bool extendSelection);
    void selectOnly(const CCellID &cell);
    void setSelectionInternal(const CCellRange &range, bool notifyOwner);
    void applySelectionFlags();
    bool storeCellText(int row, int col, const QString &text);
    void sendNotify(int code, int row, int col);
    int hitColumnBorder(const QPoint &pos) const;
    int hitRowBorder(const QPoint &pos) const;
    void autoScrollStep();
    void updateTitleTip(const QPoint &pos);
    void hideTitleTip();
    int wheelScrollLines() const;
    void clampFocusAndSelection();

    std::vector<std::vector<CGridCell>> m_cells; // [row][col]
    std::vector<int> m_rowHeights;
    std::vector<int> m_colWidths;
    int m_fixedRows = 0;
    int m_fixedCols = 0;
    int m_defaultRowHeight = 0;
    int m_defaultColWidth = 64;
    int m_id = 0;
    bool m_editable = true;
    bool m_titleTips = true;
    int m_highlightRow = -1;
    std::set<int> m_clickableCols;
    std::set<int> m_numericCols;

    CCellID m_focus;
    CCellRange m_selection;
    CCellID m_selectAnchor;

    // In-place edit under way.
    QPointer<CInPlaceEdit> m_edit;
    CCellID m_editCell;
    QString m_editOldText;
    bool m_editByChar = false;
    bool m_ending = false;

    MouseMode m_mouseMode = MouseMode::None;
    int m_sizingIndex = -1;
    int m_sizingStart = 0;
    int m_sizingOrigSize = 0;
    QPoint m_lastMouse;
    CCellID m_pressCell;
    QBasicTimer m_autoScroll;

    QPointer<CTitleTip> m_tip;
};

} // namespace vek
