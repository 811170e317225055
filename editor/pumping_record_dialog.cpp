// The well pumping record dialog (see pumping_record_dialog.h).
#include "editor/pumping_record_dialog.h"

#include "editor/choice_dialogs.h"
#include "editor/help_window.h"
#include "editor/pumping_record_model.h"
#include "editor/vekview_doc.h"
#include "grid/spreadsheet_view.h"
#include "model/pumping_record.h"

#include <QButtonGroup>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

#include <algorithm>

namespace vek {

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

    model_ = new PumpingRecordModel(doc_, index_, this);
    table_ = new SpreadsheetView(this);
    table_->setModel(model_);
    table_->setCornerText(QStringLiteral("Month"));
    table_->setGeometry(du.rect(7, 22, 292, 118));
    table_->setObjectName(QStringLiteral("ctl1043"));
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    table_->setAccessibleName(QStringLiteral("Pumping record"));
    table_->setAccessibleDescription(
        QStringLiteral("A row per month: the application efficiency, then for each historical year the discharge "
                       "(rate and days on, or volume). Typing replaces a value; Enter, Tab and the arrow keys move "
                       "between cells."));
    label->setBuddy(cfs_);
    cfs_->setAccessibleDescription(QStringLiteral("The discharges are rates in cubic feet per second, with days on."));
    acFt_->setAccessibleDescription(QStringLiteral("The discharges are monthly volumes in acre-feet."));
    ok_ = new QPushButton(QStringLiteral("OK"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    help_ = new QPushButton(QStringLiteral("Help"), this);
    help_->setObjectName(QStringLiteral("ctl1092"));
    ok_->setGeometry(du.rect(139, 148, 50, 14));
    cancel_->setGeometry(du.rect(194, 148, 50, 14));
    help_->setGeometry(du.rect(249, 148, 50, 14));
    ok_->setAccessibleDescription(
        QStringLiteral("Replaces the well's historical values by the consumptive use its pumping record gives."));
    cancel_->setAccessibleDescription(QStringLiteral("Puts the pumping record back as it was when the dialog opened."));
    help_->setAccessibleDescription(QStringLiteral("Opens the help on the pumping record."));
    ok_->setDefault(true);
    ok_->setAutoDefault(false);
    cancel_->setAutoDefault(false);
    help_->setAutoDefault(false);

    initialSize_ = du.size(306, 170);
    gridRect_ = table_->geometry();
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
    connect(table_, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        const QPoint global = table_->viewport()->mapToGlobal(pos);
        QContextMenuEvent e(QContextMenuEvent::Mouse, mapFromGlobal(global), global);
        contextMenuEvent(&e);
    });

    fillTable();
    // Open tall enough to show the twelve months without scrolling.
    const int need = table_->horizontalHeader()->sizeHint().height() + 12 * table_->defaultRowHeight() +
                     2 * table_->frameWidth() + table_->horizontalScrollBar()->sizeHint().height();
    if (need > gridRect_.height()) resize(width(), height() + std::min(need - gridRect_.height(), du.y(120)));
}

bool PumpingRecordDialog::location_ok() const {
    return doc_ && index_ >= 0 && index_ < static_cast<int>(doc_->model().locations.size());
}

Location &PumpingRecordDialog::location() { return doc_->model().locations[static_cast<size_t>(index_)]; }

void PumpingRecordDialog::fillTable() {
    if (!location_ok()) return;
    const Location &loc = location();
    cfs_->setChecked(loc.Units == PumpingRecord::Cfs);
    acFt_->setChecked(loc.Units != PumpingRecord::Cfs);
    model_->reload();
    table_->resizeColumnsToContents();
}

void PumpingRecordDialog::OnCfs() {
    if (!location_ok()) return;
    table_->endEdit(true);
    if (PumpingRecord::volumesToRates(location())) doc_->setModified(true);
    fillTable();
}

void PumpingRecordDialog::OnAcFt() {
    if (!location_ok()) return;
    table_->endEdit(true);
    if (PumpingRecord::ratesToVolumes(location())) doc_->setModified(true);
    fillTable();
}

void PumpingRecordDialog::OnHelp() { HelpWindow::showTopic(HelpWindow::topicForContext(123)); }

void PumpingRecordDialog::accept() {
    table_->endEdit(true);
    if (location_ok() && doc_->prompter() &&
        doc_->prompter()->askOkCancel("This will update the consumptive use of groundwater for the well.  Continue?")) {
        PumpingRecord::computeConsumptiveUse(doc_->model(), location());
        doc_->setModified(true);
    }
    QDialog::accept();
}

void PumpingRecordDialog::reject() {
    table_->endEdit(false);
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
    table_->setGeometry(gridRect_.adjusted(0, 0, dx, dy));
    ok_->setGeometry(okRect_.translated(0, dy));
    cancel_->setGeometry(cancelRect_.translated(0, dy));
    help_->setGeometry(helpRect_.translated(0, dy));
}

void PumpingRecordDialog::contextMenuEvent(QContextMenuEvent *event) {
    if (!table_->geometry().contains(event->pos())) return;
    QMenu menu(this);
    menu.setTitle(QStringLiteral("Hist Table Context"));
    menu.addAction(QStringLiteral("&Copy"), table_, &SpreadsheetView::copy);
    menu.addAction(QStringLiteral("&Paste"), table_, &SpreadsheetView::paste);
    menu.exec(event->globalPos());
}

} // namespace vek
