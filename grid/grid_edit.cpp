// CGridCtrl: in-place editing and the clipboard (copy, paste, cut, delete).
#include "grid/grid_ctrl.h"
#include "grid/grid_ctrl_p.h"

#include "grid/in_place_edit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include <cmath>
#include <limits>

namespace vek {

using namespace grid_detail;

namespace {
// Numbers as the model files write them, in every locale; a decimal comma
// is taken as the decimal point it stands for.
const QRegularExpression &numberPattern() {
    static const QRegularExpression re(QStringLiteral("\\s*[+-]?(\\d+[.,]?\\d*|[.,]\\d+)([eE][+-]?\\d+)?\\s*"));
    return re;
}
} // namespace

QString CGridCtrl::numberWithPoint(const QString &text) {
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    return t;
}

bool CGridCtrl::isNumberText(const QString &text) {
    static const QRegularExpression whole(QRegularExpression::anchoredPattern(numberPattern().pattern()));
    if (!whole.match(text).hasMatch()) return false;
    // A number the program keeps in single precision: 1e39 is none.
    bool ok = false;
    const double v = numberWithPoint(text).toDouble(&ok);
    return ok && std::isfinite(v) && std::fabs(v) <= static_cast<double>(std::numeric_limits<float>::max());
}

bool grid_detail::mayBecomeNumber(const QString &text) {
    QString copy = text;
    int pos = 0;
    QRegularExpressionValidator v(numberPattern());
    return v.validate(copy, pos) != QValidator::Invalid;
}

// ---- Editing ----------------------------------------------------------------

bool CGridCtrl::isEditing() const { return !m_edit.isNull(); }

CInPlaceEdit *CGridCtrl::inPlaceEdit() const { return m_edit.data(); }

bool CGridCtrl::editCell(int row, int col, const QString &initialChar) {
    return startEdit(row, col, initialChar, !initialChar.isEmpty());
}

bool CGridCtrl::startEdit(int row, int col, const QString &initialChar, bool exitOnArrows) {
    if (m_ending) return false;
    if (m_edit) {
        if (m_editCell == CCellID(row, col)) return true;
        endEditing(EditEnd::Commit);
    }
    if (!isCellEditable(row, col) || m_rowHeights[row] == 0 || m_colWidths[col] == 0) return false;
    QPointer<CGridCtrl> self(this);
    if (!(m_focus == CCellID(row, col))) {
        setFocusCell(row, col);
        if (!self) return false;
        selectOnly(m_focus);
        if (!self) return false;
    }
    ensureVisible(row, col);
    const QString old = itemText(row, col);
    sendNotify(GVN_BEGINLABELEDIT, row, col);
    emit beginLabelEdit(row, col, old);
    // The owner may have reshaped the table or started something else.
    if (!self || m_edit || !isCellEditable(row, col)) return false;
    m_editCell = CCellID(row, col);
    m_editOldText = itemText(row, col);
    m_editByChar = exitOnArrows;
    const QString start = initialChar.isEmpty() ? m_editOldText : initialChar;
    m_edit = new CInPlaceEdit(this, cellRect(row, col), start, exitOnArrows);
    if (isColumnNumeric(col)) {
        // Keys that cannot make a number are refused as they are typed.
        m_edit->setValidator(new QRegularExpressionValidator(numberPattern(), m_edit));
        connect(m_edit, &QLineEdit::inputRejected, this, [this, row, col] { emit numberRefused(row, col); });
    }
    if (initialChar.isEmpty())
        m_edit->selectAll();
    else
        m_edit->deselect();
    m_edit->show();
    m_edit->setFocus(Qt::OtherFocusReason);
    return true;
}

void CGridCtrl::endEditing(EditEnd how) {
    if (!m_edit || m_ending) return;
    m_ending = true;
    const CCellID c = m_editCell;
    QString text = how == EditEnd::Cancel ? m_editOldText : m_edit->text();
    // A number left half typed ("-", "1e") is no number: the cell keeps its
    // old text.
    const bool refused =
        isColumnNumeric(c.col) && text != m_editOldText && !text.trimmed().isEmpty() && !isNumberText(text);
    if (refused)
        text = m_editOldText;
    else if (isColumnNumeric(c.col) && text != m_editOldText)
        text = numberWithPoint(text); // "3,5" is stored as the 3.5 it means
    const bool hadFocus = m_edit->hasFocus();
    CInPlaceEdit *edit = m_edit;
    m_edit = nullptr;
    m_editCell = CCellID();
    // Take the focus back before the box goes: hiding a focused box would
    // hand the focus to the next control, whose focus-loss handlers (the
    // form's year fields) would then run for nothing.
    if (hadFocus) setFocus(Qt::OtherFocusReason);
    edit->hide();
    edit->deleteLater();
    QPointer<CGridCtrl> self(this);
    if (isValid(c)) {
        CGridCell &cl = m_cells[c.row][c.col];
        if (cl.text != text) {
            cl.text = text;
            cl.state |= GVIS_MODIFIED;
        }
        viewport()->update();
        sendNotify(GVN_ENDLABELEDIT, c.row, c.col);
    }
    if (!self) return;
    m_ending = false;
    if (refused) {
        emit numberRefused(c.row, c.col);
        if (!self) return;
    }
    if (!isValid(c) || m_edit) return;

    int key = 0;
    switch (how) {
    case EditEnd::Enter:
        key = Qt::Key_Down;
        break;
    case EditEnd::Tab:
        key = Qt::Key_Tab;
        break;
    case EditEnd::BackTab:
        key = Qt::Key_Backtab;
        break;
    case EditEnd::Up:
        key = Qt::Key_Up;
        break;
    case EditEnd::Down:
        key = Qt::Key_Down;
        break;
    case EditEnd::Left:
        key = Qt::Key_Left;
        break;
    case EditEnd::Right:
        key = Qt::Key_Right;
        break;
    case EditEnd::PageUp:
        key = Qt::Key_PageUp;
        break;
    case EditEnd::PageDown:
        key = Qt::Key_PageDown;
        break;
    default:
        return;
    }
    // Move from the edited cell even if the owner moved the focus meanwhile.
    if (!(m_focus == c) && !isCellFixed(c.row, c.col)) m_focus = c;
    const CCellID target = moveTarget(key, Qt::NoModifier);
    if (!target.isValid() || target == c) return; // nowhere to go: the edit simply ends
    moveFocusTo(target, false);
    if (!self || !(m_focus == target)) return;
    // The next edit also ends on the arrow keys, so typing down a column
    // keeps going.
    startEdit(target.row, target.col, QString(), true);
}

// ---- Clipboard --------------------------------------------------------------

QString CGridCtrl::copyText() const {
    CCellRange r = m_selection;
    if (!r.isValid() || r.maxRow >= rowCount() || r.maxCol >= columnCount())
        r = CCellRange(0, 0, rowCount() - 1, columnCount() - 1);
    QString out;
    if (!r.isValid()) return out;
    bool firstRow = true;
    for (int row = r.minRow; row <= r.maxRow; ++row) {
        if (m_rowHeights[row] == 0) continue;
        if (!firstRow) out += QLatin1Char('\n');
        firstRow = false;
        bool firstCol = true;
        for (int col = r.minCol; col <= r.maxCol; ++col) {
            if (m_colWidths[col] == 0) continue;
            if (!firstCol) out += QLatin1Char('\t');
            firstCol = false;
            out += m_cells[row][col].text;
        }
    }
    return out;
}

void CGridCtrl::copy() {
    if (QClipboard *cb = QGuiApplication::clipboard()) cb->setText(copyText());
}

bool CGridCtrl::storeCellText(int row, int col, const QString &text) {
    if (!isCellEditable(row, col)) return false;
    QPointer<CGridCtrl> self(this);
    const QString old = itemText(row, col);
    sendNotify(GVN_BEGINLABELEDIT, row, col);
    emit beginLabelEdit(row, col, old);
    if (!self || !isCellEditable(row, col)) return false;
    CGridCell &c = m_cells[row][col];
    c.text = text;
    c.state |= GVIS_MODIFIED;
    viewport()->update(cellRect(row, col));
    sendNotify(GVN_ENDLABELEDIT, row, col);
    return self;
}

int CGridCtrl::pasteText(const QString &text) {
    if (!m_editable) return 0;
    endEditing(EditEnd::Commit);
    CCellID target = m_focus;
    if (!isValid(target)) target = m_selection.isValid() ? CCellID(m_selection.minRow, m_selection.minCol) : CCellID();
    if (!isValid(target) || text.isEmpty()) return 0; // an empty clipboard must not blank the focus cell
    // Hidden rows and columns take no fields, the first one included.
    while (target.row < rowCount() && m_rowHeights[target.row] == 0)
        ++target.row;
    while (target.col < columnCount() && m_colWidths[target.col] == 0)
        ++target.col;
    if (!isValid(target)) return 0;

    QStringList lines = text.split(QLatin1Char('\n'));
    // Text copied from a spreadsheet ends with a line feed; the empty line
    // after it is no row of data and must not blank the row below.
    if (lines.size() > 1 && lines.last().trimmed().isEmpty()) lines.removeLast();

    QPointer<CGridCtrl> self(this);
    int changed = 0;
    int notNumbers = 0;
    int outside = 0; // fields that fall outside the grid
    bool touchedSelection = false;
    int row = target.row;
    const QRegularExpression separators(QStringLiteral("[\t,]"));
    // Fields with text in them, from `from` on (an empty one loses nothing).
    const auto filled = [](const QStringList &fields, qsizetype from) {
        int n = 0;
        for (qsizetype k = from; k < fields.size(); ++k)
            n += fields[k].trimmed().isEmpty() ? 0 : 1;
        return n;
    };
    for (int i = 0; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(separators);
        if (i > 0) {
            // Next shown row, or stop: the rest falls outside the grid.
            int n = row + 1;
            while (n < rowCount() && m_rowHeights[n] == 0)
                ++n;
            if (n >= rowCount()) {
                for (qsizetype k = i; k < lines.size(); ++k)
                    outside += filled(lines[k].split(separators), 0);
                break;
            }
            row = n;
        }
        int col = target.col;
        for (int j = 0; j < fields.size(); ++j) {
            if (j > 0) {
                int n = col + 1;
                while (n < columnCount() && m_colWidths[n] == 0)
                    ++n;
                if (n >= columnCount()) {
                    outside += filled(fields, j);
                    break;
                }
                col = n;
            }
            if (!isCellEditable(row, col)) continue;
            const QString field = fields[j].trimmed();
            if (isColumnNumeric(col) && !field.isEmpty() && !isNumberText(field)) {
                ++notNumbers; // left as it is, and reported below
                continue;
            }
            touchedSelection = touchedSelection || m_selection.contains(row, col);
            if (storeCellText(row, col, field)) ++changed;
            if (!self) return changed;
            if (row >= rowCount() || col >= columnCount()) return changed; // the owner shrank the table meanwhile
        }
    }
    // Pasted cells lose their selected mark.
    if (touchedSelection) setSelectionInternal(CCellRange(), true);
    viewport()->update();
    if (notNumbers > 0) emit pasteSkippedNonNumbers(notNumbers);
    if (outside > 0 && self) emit pasteClipped(outside);
    return changed;
}

void CGridCtrl::paste() {
    QClipboard *cb = QGuiApplication::clipboard();
    if (!cb) return;
    pasteText(cb->text());
}

void CGridCtrl::cut() {
    if (!m_editable) return;
    endEditing(EditEnd::Commit);
    copy();
    const CCellRange r = m_selection;
    if (!r.isValid()) return;
    QPointer<CGridCtrl> self(this);
    for (int row = r.minRow; row <= r.maxRow && row < rowCount(); ++row)
        for (int col = r.minCol; col <= r.maxCol && col < columnCount(); ++col) {
            storeCellText(row, col, QString());
            if (!self) return;
        }
    viewport()->update();
}

void CGridCtrl::deleteFocusCell() {
    if (m_edit) return;
    if (isValid(m_focus)) storeCellText(m_focus.row, m_focus.col, QString());
}

} // namespace vek
