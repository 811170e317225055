// The Properties window (see properties_dialog.h).
#include "editor/properties_dialog.h"

#include "editor/vekview_doc.h"
#include "model/document_operations.h"
#include "model/year_types.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vek {

namespace {
constexpr int kFirstId = 1054;
}

PropertiesDialog::PropertiesDialog(CVEKViewDoc *doc, QWidget *parent) : QDialog(parent), doc_(doc) {
    setWindowTitle(QStringLiteral("Properties"));
    setModal(false);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    const char *texts[7] = {"Calendar",
                            "Irrigation Year (Nov-Oct)",
                            "USGS Year (Oct-Sep)",
                            "Average Daily Ac-Ft",
                            "Monthly Ac-Ft",
                            "Will use Average Days in Month (30.417)",
                            "Will use Actual Days in Month"};
    for (int i = 0; i < 7; ++i) {
        radios_[i] = new QRadioButton(QString::fromLatin1(texts[i]), this);
        radios_[i]->setObjectName(QStringLiteral("ctl%1").arg(kFirstId + i));
    }
    auto group = [this](const QString &title, int first, int count) {
        auto *box = new QGroupBox(title, this);
        auto *lay = new QVBoxLayout(box);
        auto *buttons = new QButtonGroup(box);
        for (int i = first; i < first + count; ++i) {
            lay->addWidget(radios_[i]);
            buttons->addButton(radios_[i]);
        }
        return box;
    };
    auto *lay = new QVBoxLayout(this);
    lay->addWidget(group(QStringLiteral("Year Type"), 0, 3));
    lay->addWidget(group(QStringLiteral("Units Conversion"), 3, 2));
    lay->addWidget(group(QStringLiteral("Monthly to Daily Conversion"), 5, 2));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setDefault(true);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(close);
    lay->addLayout(row);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);

    for (int m = 0; m < 3; ++m)
        connect(radios_[m], &QRadioButton::clicked, this, [this, m] { OnYearType(m); });
    for (int u = 0; u < 2; ++u)
        connect(radios_[3 + u], &QRadioButton::clicked, this, [this, u] { OnUnits(u); });
    connect(radios_[5], &QRadioButton::clicked, this, [this] { OnAvgDays(true); });
    connect(radios_[6], &QRadioButton::clicked, this, [this] { OnAvgDays(false); });
    // Undo and redo change the document under an open dialog.
    if (doc_) connect(doc_, &CVEKViewDoc::viewsUpdated, this, [this] { syncFromDocument(); });
    syncFromDocument();
}

QRadioButton *PropertiesDialog::radio(int id) const {
    int i = id - kFirstId;
    return i >= 0 && i < 7 ? radios_[i] : nullptr;
}

void PropertiesDialog::syncFromDocument() {
    if (!doc_) return;
    const ModelInput &m = doc_->model();
    if (m.yearMode >= 0 && m.yearMode <= 2) radios_[m.yearMode]->setChecked(true);
    if (m.unitMode >= 0 && m.unitMode <= 1) radios_[3 + m.unitMode]->setChecked(true);
    radios_[m.useAvgDaysPerMonth ? 5 : 6]->setChecked(true);
}

void PropertiesDialog::showEvent(QShowEvent *event) {
    syncFromDocument();
    if (placed_) move(lastPos_);
    QDialog::showEvent(event);
}

void PropertiesDialog::hideEvent(QHideEvent *event) {
    lastPos_ = pos();
    placed_ = true;
    QDialog::hideEvent(event);
}

void PropertiesDialog::OnYearType(int mode) {
    if (!doc_) return;
    emit doc_->endEditRequested();
    auto step = doc_->step(QStringLiteral("Change Year Type"));
    changeYearType(doc_->document(), doc_->ui(), mode);
    doc_->setModified(doc_->isModified());
    syncFromDocument();
}

void PropertiesDialog::OnUnits(int unit) {
    if (!doc_) return;
    emit doc_->endEditRequested();
    auto step = doc_->step(QStringLiteral("Change Units"));
    changeUnits(doc_->document(), doc_->ui(), unit);
    doc_->setModified(doc_->isModified());
    syncFromDocument();
}

void PropertiesDialog::OnAvgDays(bool avg) {
    if (!doc_) return;
    emit doc_->endEditRequested();
    auto step = doc_->step(QStringLiteral("Change Days in Month"));
    setUseAvgDaysPerMonth(doc_->document(), avg);
    doc_->setModified(true);
    syncFromDocument();
}

} // namespace vek
