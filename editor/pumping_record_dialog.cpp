// The well pumping record dialog (see pumping_record_dialog.h).
#include "editor/pumping_record_dialog.h"

#include "editor/choice_dialogs.h"
#include "editor/help_window.h"
#include "editor/vekview_doc.h"
#include "grid/grid_ctrl.h"
#include "model/pumping_record.h"
#include "model/year_types.h"

#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

namespace vek {

namespace {

QString gfmt(double v) { return QString::asprintf("%g", v); }

} // namespace

PumpingRecordDialog::PumpingRecordDialog(CVEKViewDoc *doc, int locationIndex, QWidget *parent)
    : QDialog(parent), doc_(doc), index_(locationIndex) {
    setWindowTitle(QStringLiteral("Well Pumping Record"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(true);
    backup_ = location_ok() ? location() : Location();
    backupModified_ = doc_->isModified();

    DialogUnits du(this);
    auto *label = new QLabel(QStringLiteral("MONTHLY Discharge Measurement:"), this);
    label->setGeometry(du.rect(7, 9, 120, 8));
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
    cfs_ = new QRadioButton(QStringLiteral("CFS"), this);
    cfs_->setObjectName(QStringLiteral("ctl1078"));
    acFt_ = new QRadioButton(QStringLiteral("Ac-Ft"), this);
    acFt_->setObjectName(QStringLiteral("ctl1079"));
    int radioX = label->geometry().right() + du.x(8);
    cfs_->setGeometry(QRect(QPoint(radioX, du.y(7)), cfs_->sizeHint()));
    acFt_->setGeometry(QRect(QPoint(cfs_->geometry().right() + du.x(8), du.y(7)), acFt_->sizeHint()));
    auto *group = new QButtonGroup(this);
    group->addButton(cfs_);
    group->addButton(acFt_);

    grid_ = new CGridCtrl(du.rect(7, 22, 292, 118), this, 1043);
    grid_->setObjectName(QStringLiteral("ctl1043"));
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    help_ = new QPushButton(QStringLiteral("Help"), this);
    help_->setObjectName(QStringLiteral("ctl1092"));
    ok_->setGeometry(du.rect(139, 148, 50, 14));
    cancel_->setGeometry(du.rect(194, 148, 50, 14));
    help_->setGeometry(du.rect(249, 148, 50, 14));
    ok_->setDefault(true);
    ok_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    help_->setAutoDefault(false);

    initialSize_ = du.size(306, 170);
    gridRect_ = grid_->geometry();
    okRect_ = ok_->geometry();
    cancelRect_ = cancel_->geometry();
    helpRect_ = help_->geometry();
    setMinimumSize(initialSize_);
    resize(initialSize_);

    connect(ok_, &QPushButton::clicked, this, &PumpingRecordDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &PumpingRecordDialog::reject);
    connect(help_, &QPushButton::clicked, this, &PumpingRecordDialog::OnHelp);
    connect(cfs_, &QRadioButton::clicked, this, &PumpingRecordDialog::OnCfs);
    connect(acFt_, &QRadioButton::clicked, this, &PumpingRecordDialog::OnAcFt);
    connect(grid_, &CGridCtrl::beginLabelEdit, this, &PumpingRecordDialog::onBeginEdit);
    connect(grid_, &CGridCtrl::endLabelEdit, this, &PumpingRecordDialog::onEndEdit);
    connect(grid_, &CGridCtrl::rightClicked, this, [this](int, int) {
        QContextMenuEvent e(QContextMenuEvent::Mouse, mapFromGlobal(QCursor::pos()), QCursor::pos());
        contextMenuEvent(&e);
    });

    fillTable();
    // Open tall enough to show the twelve months without scrolling.
    int need = grid_->virtualHeight() + 2 * grid_->frameWidth() + grid_->horizontalScrollBar()->sizeHint().height();
    if (need > gridRect_.height()) resize(width(), height() + std::min(need - gridRect_.height(), du.y(120)));
}

bool PumpingRecordDialog::location_ok() const {
    return doc_ && index_ >= 0 && index_ < static_cast<int>(doc_->model().locations.size());
}

Location &PumpingRecordDialog::location() { return doc_->model().locations[static_cast<size_t>(index_)]; }

void PumpingRecordDialog::fillTable() {
    if (!location_ok()) return;
    Location &loc = location();
    const ModelInput &m = doc_->model();
    cfs_->setChecked(loc.Units == PumpingRecord::Cfs);
    acFt_->setChecked(loc.Units != PumpingRecord::Cfs);
    int units = loc.Units == PumpingRecord::Cfs ? PumpingRecord::Cfs : PumpingRecord::AcreFeet;
    int years = PumpingRecord::recordYears(loc);
    int cols = PumpingRecord::columnCount(units, years);
    grid_->deleteAllItems();
    grid_->setColumnCount(cols);
    grid_->setRowCount(13);
    grid_->setFixedRowCount(1);
    grid_->setFixedColumnCount(1);
    for (int c = 0; c < cols; ++c) {
        grid_->setItemText(0, c, QString::fromStdString(PumpingRecord::columnHeader(units, m.inputStartYear, c)));
        grid_->setColumnNumeric(c, c > 0); // flows and days: numbers only, "3,5" read as 3.5
    }
    for (int r = 1; r <= 12; ++r) {
        grid_->setItemText(r, 0, QString::fromLatin1(monthAbbreviation(m.yearMode, r - 1)));
        for (int c = 1; c < cols; ++c)
            grid_->setItemText(r, c, gfmt(PumpingRecord::cellValue(loc, r, c)));
    }
    grid_->autoSizeColumns();
    grid_->refresh();
}

void PumpingRecordDialog::onBeginEdit(int, int, const QString &oldText) { editText_ = oldText; }

void PumpingRecordDialog::onEndEdit(int row, int col) {
    QString text = grid_->itemText(row, col);
    if (text == editText_ || !location_ok()) return;
    float stored = PumpingRecord::storeCell(location(), row, col, leadingNumber(text));
    grid_->setItemText(row, col, gfmt(stored));
    // A changed record is part of the document: it must not vanish unsaved.
    doc_->setModified(true);
}

void PumpingRecordDialog::OnCfs() {
    if (!location_ok()) return;
    grid_->endEditing();
    if (PumpingRecord::volumesToRates(location())) doc_->setModified(true);
    fillTable();
}

void PumpingRecordDialog::OnAcFt() {
    if (!location_ok()) return;
    grid_->endEditing();
    if (PumpingRecord::ratesToVolumes(location())) doc_->setModified(true);
    fillTable();
}

void PumpingRecordDialog::OnHelp() { HelpWindow::showTopic(HelpWindow::topicForContext(123)); }

void PumpingRecordDialog::accept() {
    grid_->endEditing();
    if (location_ok() && doc_->prompter() &&
        doc_->prompter()->askOkCancel("This will update the consumptive use of groundwater for the well.  Continue?")) {
        PumpingRecord::computeConsumptiveUse(doc_->model(), location());
        doc_->setModified(true);
    }
    QDialog::accept();
}

void PumpingRecordDialog::reject() {
    if (grid_->isEditing()) grid_->endEditing(CGridCtrl::EditEnd::Cancel);
    if (location_ok()) location() = backup_;
    doc_->setModified(backupModified_);
    QDialog::reject();
}

void PumpingRecordDialog::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    layoutControls();
}

void PumpingRecordDialog::layoutControls() {
    if (initialSize_.isEmpty()) return;
    int dx = width() - initialSize_.width();
    int dy = height() - initialSize_.height();
    grid_->setGeometry(gridRect_.adjusted(0, 0, dx, dy));
    ok_->setGeometry(okRect_.translated(0, dy));
    cancel_->setGeometry(cancelRect_.translated(0, dy));
    help_->setGeometry(helpRect_.translated(0, dy));
}

void PumpingRecordDialog::contextMenuEvent(QContextMenuEvent *event) {
    if (!grid_->geometry().contains(event->pos())) return;
    QMenu menu(this);
    menu.setTitle(QStringLiteral("Hist Table Context"));
    menu.addAction(QStringLiteral("&Copy"), grid_, &CGridCtrl::copy);
    menu.addAction(QStringLiteral("&Paste"), grid_, &CGridCtrl::paste);
    menu.exec(event->globalPos());
}

} // namespace vek
