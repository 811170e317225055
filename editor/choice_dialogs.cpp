// Choice dialogs (see choice_dialogs.h).
#include "editor/choice_dialogs.h"

#include "editor/help_window.h"

#include "common/numbers.h"

#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace vek {

// ---- DialogUnits ----------------------------------------------------------

DialogUnits::DialogUnits(const QWidget *widget) {
    QFontMetrics fm(widget ? widget->font() : QFont());
    // The average width of the alphabet, rounded as the dialog manager does.
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = std::max(1, (fm.horizontalAdvance(alphabet) / 26 + 1) / 2);
    baseY_ = std::max(1, fm.height());
}

int DialogUnits::x(int dlu) const { return (dlu * baseX_ + 2) / 4; }
int DialogUnits::y(int dlu) const { return (dlu * baseY_ + 4) / 8; }
QRect DialogUnits::rect(int x0, int y0, int w, int h) const {
    int left = x(x0), top = y(y0);
    return QRect(left, top, x(x0 + w) - left, y(y0 + h) - top);
}
QSize DialogUnits::size(int w, int h) const { return QSize(x(w), y(h)); }

// ---- helpers --------------------------------------------------------------

void CloseUpComboBox::hidePopup() {
    QComboBox::hidePopup();
    if (!hiding_) emit closedUp();
}

void CloseUpComboBox::hideEvent(QHideEvent *e) {
    hiding_ = true;
    QComboBox::hideEvent(e);
    hiding_ = false;
}

// Typed text is Latin-1 at most; the conversions ignore the locale, so a
// desktop with a decimal comma still reads "2.5" as 2.5.
float leadingNumber(const QString &text) { return vek::leadingNumber(text.toLatin1().toStdString()); }

int leadingInteger(const QString &text) { return vek::leadingInteger(text.toLatin1().toStdString()); }

QStringList yearItems(int firstYear, int lastYear) {
    QStringList items;
    for (int y = firstYear; y <= lastYear; ++y)
        items << QString::number(y);
    return items;
}

namespace {

QDialogButtonBox *okCancel(QDialog *dlg, const QString &okText) {
    auto *box = new QDialogButtonBox(dlg);
    QPushButton *ok = box->addButton(okText, QDialogButtonBox::AcceptRole);
    box->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    QObject::connect(box, &QDialogButtonBox::accepted, dlg, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dlg, &QDialog::reject);
    return box;
}

std::vector<int> selectedRows(const QListWidget *list) {
    std::vector<int> rows;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) rows.push_back(i);
    return rows;
}

} // namespace

ChoiceDialog::ChoiceDialog(const QString &caption, const QString &helpTopic, QWidget *parent)
    : QDialog(parent), helpTopic_(helpTopic) {
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
}

void ChoiceDialog::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_F1) {
        HelpWindow::showTopic(helpTopic_);
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---- SynthesisMethodDialog --------------------------------------------------

SynthesisMethodDialog::SynthesisMethodDialog(QWidget *parent)
    : ChoiceDialog(QStringLiteral("Choose a method for synthesizing the data:"), QStringLiteral("synthesis"), parent) {
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("ctl1042"));
    list_->addItems(
        {QStringLiteral("Average Years"), QStringLiteral("Use Given Year"), QStringLiteral("Use Historical Cycle")});
    list_->setCurrentIndex(0);
    auto *lay = new QVBoxLayout(this);
    lay->addWidget(list_);
    lay->addStretch();
    lay->addWidget(okCancel(this, QStringLiteral("OK")));
    // The caption is the question: keep it readable in full. The window
    // manager draws it, often in a bold and larger font than the dialog's,
    // beside its icon and buttons.
    QFont title = font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.15);
    setMinimumWidth(QFontMetrics(title).horizontalAdvance(windowTitle()) + 180);
}

void SynthesisMethodDialog::accept() {
    method_ = std::max(0, list_->currentIndex());
    QDialog::accept();
}

// ---- AverageYearsDialog -----------------------------------------------------

AverageYearsDialog::AverageYearsDialog(int firstYear, int lastYear, QWidget *parent)
    : ChoiceDialog(QStringLiteral("Select Years to Average"), QStringLiteral("synthesis"), parent) {
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ctl1030"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->addItems(yearItems(firstYear, lastYear));
    list_->clearSelection();
    auto *lay = new QVBoxLayout(this);
    lay->addWidget(list_);
    lay->addWidget(okCancel(this, QStringLiteral("Apply")));
    DialogUnits du(this);
    resize(du.size(150, 160));
}

void AverageYearsDialog::accept() {
    positions_ = selectedRows(list_);
    QDialog::accept();
}

// ---- GivenYearDialog --------------------------------------------------------

GivenYearDialog::GivenYearDialog(int firstYear, int lastYear, QWidget *parent)
    : ChoiceDialog(QStringLiteral("Synthesize Using Given Year"), QStringLiteral("synthesis"), parent) {
    list_ = new QComboBox(this);
    list_->setObjectName(QStringLiteral("ctl1013"));
    list_->addItems(yearItems(firstYear, lastYear));
    list_->setCurrentIndex(list_->count() > 0 ? 0 : -1);
    auto *lay = new QVBoxLayout(this);
    lay->addWidget(list_);
    lay->addStretch();
    lay->addWidget(okCancel(this, QStringLiteral("Apply")));
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 120);
}

void GivenYearDialog::accept() {
    position_ = list_->currentIndex();
    QDialog::accept();
}

// ---- CycleDialog ------------------------------------------------------------

CycleDialog::CycleDialog(int firstYear, int lastYear, QWidget *parent)
    : ChoiceDialog(QStringLiteral("Synthesize Using Historical Cycle"), QStringLiteral("synthesis"), parent),
      firstYear_(firstYear), lastYear_(lastYear) {
    startList_ = new CloseUpComboBox(this);
    startList_->setObjectName(QStringLiteral("ctl1013"));
    startList_->addItems(yearItems(firstYear, lastYear));
    startList_->setCurrentIndex(startList_->count() > 0 ? 0 : -1);
    endList_ = new QComboBox(this);
    endList_->setObjectName(QStringLiteral("ctl1014"));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Starting at year"), startList_);
    form->addRow(QStringLiteral("until year"), endList_);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addStretch();
    lay->addWidget(okCancel(this, QStringLiteral("Apply")));
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 120);
    OnCloseupStartYear();
    connect(startList_, &CloseUpComboBox::closedUp, this, &CycleDialog::OnCloseupStartYear);
    // A choice made with the keyboard, without opening the list, counts too.
    connect(startList_, &QComboBox::activated, this, [this](int) { OnCloseupStartYear(); });
}

void CycleDialog::OnCloseupStartYear() {
    int pos = std::max(0, startList_->currentIndex());
    endList_->clear();
    endList_->addItems(yearItems(firstYear_ + pos, lastYear_));
    endList_->setCurrentIndex(endList_->count() > 0 ? 0 : -1);
}

void CycleDialog::accept() {
    start_ = startList_->currentIndex();
    end_ = endList_->currentIndex();
    QDialog::accept();
}

// ---- DeleteItemsDialog ------------------------------------------------------

DeleteItemsDialog::DeleteItemsDialog(const std::vector<std::string> &names, int selected, QWidget *parent)
    : ChoiceDialog(QStringLiteral("Choose Items to Delete"), QStringLiteral("input_form"), parent) {
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("ctl1051"));
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (const auto &n : names)
        list_->addItem(QString::fromStdString(n));
    if (selected >= 0 && selected < list_->count()) {
        list_->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
        list_->scrollToItem(list_->item(selected));
    }
    auto *lay = new QVBoxLayout(this);
    lay->addWidget(list_);
    lay->addWidget(okCancel(this, QStringLiteral("OK")));
    DialogUnits du(this);
    resize(du.size(170, 160));
}

void DeleteItemsDialog::accept() {
    positions_ = selectedRows(list_);
    std::reverse(positions_.begin(), positions_.end());
    QDialog::accept();
}

// ---- ImportOptionsDialog ----------------------------------------------------

ImportOptionsDialog::ImportOptionsDialog(QWidget *parent)
    : ChoiceDialog(QStringLiteral("Set Import Options"), QStringLiteral("imports"), parent) {
    yearTypeList_ = new QComboBox(this);
    yearTypeList_->setObjectName(QStringLiteral("ctl1013"));
    yearTypeList_->addItems({QStringLiteral("Calendar"), QStringLiteral("Irrigation"), QStringLiteral("USGS")});
    yearTypeList_->setCurrentIndex(0);
    unitsList_ = new QComboBox(this);
    unitsList_->setObjectName(QStringLiteral("ctl1053"));
    unitsList_->addItems({QStringLiteral("Average Daily Ac-Ft"), QStringLiteral("Monthly Ac-Ft")});
    unitsList_->setCurrentIndex(1);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Year Type:"), yearTypeList_);
    form->addRow(QStringLiteral("Units:"), unitsList_);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addStretch();
    lay->addWidget(okCancel(this, QStringLiteral("OK")));
}

void ImportOptionsDialog::accept() {
    yearType_ = std::max(0, yearTypeList_->currentIndex());
    units_ = std::max(0, unitsList_->currentIndex());
    QDialog::accept();
}

// ---- SoilMoistureDialog -----------------------------------------------------

SoilMoistureDialog::SoilMoistureDialog(QWidget *parent)
    : ChoiceDialog(QStringLiteral("Use Computed CU of GW Based on:"), QStringLiteral("imports"), parent) {
    auto *without = without_ = new QPushButton(QStringLiteral("No Soil Moisture"), this);
    without->setObjectName(QStringLiteral("ctl1040"));
    auto *with = with_ = new QPushButton(QStringLiteral("With Soil Moisture"), this);
    with->setObjectName(QStringLiteral("ctl1041"));
    without->setAutoDefault(false);
    with->setAutoDefault(false);
    connect(without, &QPushButton::clicked, this, [this] {
        choice_ = 1;
        QDialog::accept();
    });
    connect(with, &QPushButton::clicked, this, [this] {
        choice_ = 2;
        QDialog::accept();
    });
    auto *lay = new QHBoxLayout(this);
    lay->addWidget(without);
    lay->addWidget(with);
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 120);
}

void SoilMoistureDialog::reject() {
    choice_ = 0;
    QDialog::reject();
}

} // namespace vek
