// The Stream Reaches dialog (see reaches_dialog.h).
#include "editor/reaches_dialog.h"

#include "editor/factor_calculator.h"
#include "editor/reach_edits.h"
#include "editor/vekview_doc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace vek {

namespace {

QLineEdit *numberField(QWidget *parent, const QString &name) {
    auto *e = new QLineEdit(parent);
    e->setAccessibleName(name);
    e->setPlaceholderText(QStringLiteral("none"));
    return e;
}

QString shown(double v) { return v > 0.0 ? shownNumber(v) : QString(); }

// A typed option: empty is 0 (none); otherwise a number within [lo, hi).
bool option(const QLineEdit *e, double lo, double hi, double &out) {
    if (e->text().trimmed().isEmpty()) {
        out = 0.0;
        return true;
    }
    const auto v = typedNumber(e->text());
    if (!v || *v < lo || *v >= hi) return false;
    out = *v;
    return true;
}

double reachLength(const StreamReach &r) {
    double len = 0.0;
    for (const MapLine &l : r.lines)
        for (std::size_t i = 1; i < l.size(); ++i)
            len += std::hypot(l[i].x - l[i - 1].x, l[i].y - l[i - 1].y);
    return len;
}

} // namespace

RuleEditor::RuleEditor(bool withModel, QWidget *parent) : QWidget(parent), withModel_(withModel) {
    method_ = new QComboBox(this);
    if (withModel_) method_->addItem(QStringLiteral("The model's rule"));
    method_->addItems({QStringLiteral("Nearest reach"), QStringLiteral("Inverse distance"), QStringLiteral("Web"),
                       QStringLiteral("Thiessen polygons"), QStringLiteral("Typed shares")});
    power_ = new QComboBox(this);
    power_->addItems({QStringLiteral("1 (distance)"), QStringLiteral("2 (distance squared)")});
    maxDistance_ = numberField(this, QStringLiteral("Maximum distance"));
    minFraction_ = numberField(this, QStringLiteral("Minimum fraction"));
    spacing_ = numberField(this, QStringLiteral("Point spacing"));
    spacing_->setPlaceholderText(QStringLiteral("from the reaches"));
    auto *form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(QStringLiteral("&Method:"), method_);
    form->addRow(QStringLiteral("&Power:"), power_);
    form->addRow(QStringLiteral("Ma&ximum distance:"), maxDistance_);
    form->addRow(QStringLiteral("Mi&nimum fraction:"), minFraction_);
    form->addRow(QStringLiteral("Point &spacing (polygons):"), spacing_);
    for (QLineEdit *e : {maxDistance_, minFraction_, spacing_})
        connect(e, &QLineEdit::textEdited, this, &RuleEditor::edited);
    connect(method_, &QComboBox::currentIndexChanged, this, [this] {
        enableFields();
        emit edited();
    });
    connect(power_, &QComboBox::currentIndexChanged, this, &RuleEditor::edited);
    setRule(ApportionRule{});
}

void RuleEditor::setRule(const std::optional<ApportionRule> &rule) {
    const ApportionRule r = rule.value_or(ApportionRule{});
    method_->setCurrentIndex(rule || !withModel_ ? static_cast<int>(r.method) + (withModel_ ? 1 : 0) : 0);
    power_->setCurrentIndex(r.power == 1 ? 0 : 1);
    maxDistance_->setText(shown(r.maxDistance));
    minFraction_->setText(shown(r.minFraction));
    spacing_->setText(shown(r.spacing));
    enableFields();
}

void RuleEditor::enableFields() {
    const int m = method_->currentIndex() - (withModel_ ? 1 : 0);
    const bool own = m >= 0;
    const auto method = static_cast<Apportionment>(std::max(m, 0));
    power_->setEnabled(own && (method == Apportionment::Inverse || method == Apportionment::Web));
    maxDistance_->setEnabled(own && method != Apportionment::Shares);
    minFraction_->setEnabled(own && method != Apportionment::Shares);
    spacing_->setEnabled(own && method == Apportionment::Polygon);
}

std::optional<ApportionRule> RuleEditor::rule(QString *problem) const {
    const int m = method_->currentIndex() - (withModel_ ? 1 : 0);
    if (m < 0) return std::nullopt;
    ApportionRule r;
    r.method = static_cast<Apportionment>(m);
    r.power = power_->currentIndex() == 0 ? 1 : 2;
    QString p;
    if (!option(maxDistance_, 0.0, 1e300, r.maxDistance))
        p = QStringLiteral("The maximum distance must be a number, 0 or more.");
    else if (!option(minFraction_, 0.0, 1.0, r.minFraction))
        p = QStringLiteral("The minimum fraction must be a number from 0 to below 1.");
    else if (!option(spacing_, 0.0, 1e300, r.spacing))
        p = QStringLiteral("The point spacing must be a number, 0 or more.");
    if (problem) *problem = p;
    return r;
}

ReachesDialog::ReachesDialog(CVEKViewDoc *doc, QWidget *parent) : QDialog(parent), doc_(doc) {
    setWindowTitle(QStringLiteral("Stream Reaches"));
    // Made in the order the keyboard's focus goes through them.
    QGroupBox *reachBox = makeReachBox();
    QGroupBox *ruleBox = makeRuleBox();
    QGroupBox *locBox = makeLocationBox();
    problem_ = new QLabel(this);
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #a00000"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto *top = new QHBoxLayout;
    top->addWidget(reachBox, 1);
    top->addWidget(ruleBox);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(locBox, 1);
    layout->addWidget(problem_);
    layout->addWidget(buttons);
    resize(980, 640);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(doc, &CVEKViewDoc::viewsUpdated, this, [this] { refill(); });
    if (doc_) doc_->refreshReachTroubles(); // a model just opened has not been resolved here yet
    refill();
}

// The reaches' table with Add, Delete and Import Map.
QGroupBox *ReachesDialog::makeReachBox() {
    reaches_ = new QTableWidget(0, 3, this);
    reaches_->setHorizontalHeaderLabels({QStringLiteral("Reach"), QStringLiteral("Lines"), QStringLiteral("Length")});
    reaches_->setAccessibleName(QStringLiteral("Reaches"));
    reaches_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    auto *add = new QPushButton(QStringLiteral("&Add..."), this);
    auto *remove = new QPushButton(QStringLiteral("&Delete"), this);
    auto *import = new QPushButton(QStringLiteral("&Import Map..."), this);
    auto *reachButtons = new QVBoxLayout;
    for (QPushButton *b : {add, remove, import})
        reachButtons->addWidget(b);
    reachButtons->addStretch();
    auto *reachBox = new QGroupBox(QStringLiteral("Reaches"), this);
    auto *reachLayout = new QHBoxLayout(reachBox);
    reachLayout->addWidget(reaches_, 1);
    reachLayout->addLayout(reachButtons);

    connect(add, &QPushButton::clicked, this, [this] {
        bool ok = false;
        const QString name = QInputDialog::getText(this, QStringLiteral("Add Reach"), QStringLiteral("Name:"),
                                                   QLineEdit::Normal, QString(), &ok);
        if (ok) addReach(name);
    });
    connect(remove, &QPushButton::clicked, this, &ReachesDialog::deleteSelectedReach);
    connect(import, &QPushButton::clicked, this, &ReachesDialog::importMap);
    connect(reaches_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (filling_ || !doc_ || item->column() != 0) return;
        problem_->setText(renameReachAt(*doc_, item->row(), item->text()));
        refill();
    });
    return reachBox;
}

// The model's apportionment rule and how a reach's depletion is found.
QGroupBox *ReachesDialog::makeRuleBox() {
    rule_ = new RuleEditor(false, this);
    applyRule_ = new QPushButton(QStringLiteral("A&pply"), this);
    apportioned_ = new QRadioButton(
        QStringLiteral("Each location's own depletion, apportioned (the reaches add up to the net impact)"), this);
    byDistance_ = new QRadioButton(
        QStringLiteral("Computed with each reach's own distance, factor d\u00b2S/T (needs S and T)"), this);
    auto *ruleBox = new QGroupBox(QStringLiteral("Apportionment of the model"), this);
    auto *ruleLayout = new QVBoxLayout(ruleBox);
    ruleLayout->addWidget(rule_);
    ruleLayout->addWidget(applyRule_, 0, Qt::AlignRight);
    ruleLayout->addWidget(new QLabel(QStringLiteral("A reach's depletion:"), this));
    ruleLayout->addWidget(apportioned_);
    ruleLayout->addWidget(byDistance_);

    connect(applyRule_, &QPushButton::clicked, this, &ReachesDialog::applyModelRule);
    connect(apportioned_, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !filling_ && doc_) setReachDepletion(*doc_, ReachDepletion::Apportioned);
    });
    connect(byDistance_, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !filling_ && doc_) setReachDepletion(*doc_, ReachDepletion::ByDistance);
    });
    return ruleBox;
}

// The locations with their rules, shares and map factors.
QGroupBox *ReachesDialog::makeLocationBox() {
    locations_ = new QTableWidget(0, 4, this);
    locations_->setHorizontalHeaderLabels({QStringLiteral("Location"), QStringLiteral("Rule"), QStringLiteral("Shares"),
                                           QStringLiteral("Factor from map")});
    locations_->setAccessibleName(QStringLiteral("Locations"));
    locations_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    locations_->setSelectionBehavior(QAbstractItemView::SelectRows);
    locations_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    auto *ruleButton = new QPushButton(QStringLiteral("Location &Rule..."), this);
    auto *locBox = new QGroupBox(QStringLiteral("Locations"), this);
    auto *locLayout = new QVBoxLayout(locBox);
    locLayout->addWidget(locations_, 1);
    locLayout->addWidget(ruleButton, 0, Qt::AlignRight);

    connect(ruleButton, &QPushButton::clicked, this, [this] { editLocationRule(locations_->currentRow()); });
    connect(locations_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { editLocationRule(row); });
    connect(locations_, &QTableWidget::cellClicked, this, [this](int row, int column) {
        if (column == 3 && doc_ && row >= 0 && row < static_cast<int>(doc_->model().locations.size()))
            setFactorFromMap(*doc_, row, !doc_->model().locations[static_cast<std::size_t>(row)].onMap.factorFromMap);
    });
    return locBox;
}

void ReachesDialog::refill() {
    if (!doc_) return;
    filling_ = true;
    const ModelInput &m = doc_->model();
    const QString unit = m.network.unit == LengthUnit::Metres ? QStringLiteral(" m") : QStringLiteral(" ft");
    reaches_->setRowCount(static_cast<int>(m.network.reaches.size()));
    for (int r = 0; r < reaches_->rowCount(); ++r) {
        const StreamReach &reach = m.network.reaches[static_cast<std::size_t>(r)];
        reaches_->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(reach.name)));
        for (int c : {1, 2}) {
            auto *item = new QTableWidgetItem(c == 1 ? QString::number(reach.lines.size())
                                                     : shownNumber(reachLength(reach)) + unit);
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
            reaches_->setItem(r, c, item);
        }
    }
    rule_->setRule(m.network.rule);
    apportioned_->setChecked(m.network.depletion == ReachDepletion::Apportioned);
    byDistance_->setChecked(m.network.depletion == ReachDepletion::ByDistance);
    locations_->setRowCount(static_cast<int>(m.locations.size()));
    std::vector<QString> trouble(m.locations.size());
    QString general;
    for (const auto &[location, text] : doc_->reachTroubles()) {
        if (location >= 0 && location < static_cast<int>(trouble.size()))
            trouble[static_cast<std::size_t>(location)] = QString::fromStdString(text);
        else
            general = QString::fromStdString(text);
    }
    for (int i = 0; i < locations_->rowCount(); ++i) {
        const Location &loc = m.locations[static_cast<std::size_t>(i)];
        const QString rule = loc.onMap.rule ? ruleText(*loc.onMap.rule, m.network.unit) : QStringLiteral("The model's");
        const QString shares = trouble[static_cast<std::size_t>(i)].isEmpty()
                                   ? sharesText(m, loc)
                                   : QStringLiteral("none: ") + trouble[static_cast<std::size_t>(i)];
        const QString cells[] = {QString::fromStdString(loc.name), rule, shares,
                                 loc.onMap.factorFromMap ? QStringLiteral("yes") : QStringLiteral("no")};
        for (int c = 0; c < 4; ++c)
            locations_->setItem(i, c, new QTableWidgetItem(cells[c]));
    }
    problem_->setText(general);
    filling_ = false;
}

void ReachesDialog::addReach(const QString &name) {
    if (!doc_) return;
    problem_->setText(addNamedReach(*doc_, name));
}

void ReachesDialog::deleteSelectedReach() {
    if (doc_) deleteReachAt(*doc_, reaches_->currentRow());
}

void ReachesDialog::applyModelRule() {
    if (!doc_) return;
    QString problem;
    const std::optional<ApportionRule> r = rule_->rule(&problem);
    problem_->setText(problem);
    if (problem.isEmpty() && r) setModelApportionment(*doc_, *r);
}

void ReachesDialog::setLocationRule(int location, const std::optional<ApportionRule> &rule,
                                    const std::vector<ReachShare> &typed) {
    if (doc_) setLocationApportionment(*doc_, location, rule, typed);
}

void ReachesDialog::editLocationRule(int location) {
    if (!doc_ || location < 0 || location >= static_cast<int>(doc_->model().locations.size())) return;
    const ModelInput &m = doc_->model();
    const Location &loc = m.locations[static_cast<std::size_t>(location)];
    QDialog dlg(this);
    dlg.setWindowTitle(QStringLiteral("Location Rule - ") + QString::fromStdString(loc.name));
    auto *editor = new RuleEditor(true, &dlg);
    editor->setRule(loc.onMap.rule);
    auto *shares = new QTableWidget(static_cast<int>(m.network.reaches.size()), 2, &dlg);
    shares->setHorizontalHeaderLabels({QStringLiteral("Reach"), QStringLiteral("Typed share")});
    shares->setAccessibleName(QStringLiteral("Typed shares"));
    for (int r = 0; r < shares->rowCount(); ++r) {
        auto *name = new QTableWidgetItem(QString::fromStdString(m.network.reaches[static_cast<std::size_t>(r)].name));
        name->setFlags(name->flags() & ~Qt::ItemIsEditable);
        shares->setItem(r, 0, name);
        double f = 0.0;
        for (const ReachShare &s : loc.onMap.typed)
            if (s.reach == r) f = s.fraction;
        shares->setItem(r, 1, new QTableWidgetItem(f > 0.0 ? shownNumber(f) : QString()));
    }
    auto *problem = new QLabel(&dlg);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    auto *layout = new QVBoxLayout(&dlg);
    layout->addWidget(editor);
    layout->addWidget(shares);
    layout->addWidget(problem);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    connect(buttons, &QDialogButtonBox::accepted, &dlg, [&] {
        QString p;
        const std::optional<ApportionRule> rule = editor->rule(&p);
        std::vector<ReachShare> typed;
        for (int r = 0; r < shares->rowCount() && p.isEmpty(); ++r) {
            const QString text = shares->item(r, 1) ? shares->item(r, 1)->text().trimmed() : QString();
            if (text.isEmpty()) continue;
            const auto f = typedNumber(text);
            if (!f)
                p = QStringLiteral("A typed share must be a number from 0 to 1.");
            else if (*f > 0.0)
                typed.push_back({r, *f, -1.0, false, 0.0f});
        }
        if (p.isEmpty() && rule && rule->method == Apportionment::Shares) {
            Location probe = loc;
            probe.onMap.rule = rule;
            probe.onMap.typed = typed;
            p = QString::fromStdString(typedSharesProblem(m, probe));
            if (!p.isEmpty()) p = QStringLiteral("The typed shares: ") + p + QLatin1Char('.');
        }
        problem->setText(p);
        if (!p.isEmpty()) return;
        setLocationRule(location, rule, typed);
        dlg.accept();
    });
    dlg.exec();
}

void ReachesDialog::importMap() {
    if (!doc_) return;
    QDialog dlg(this);
    dlg.setWindowTitle(QStringLiteral("Import Map"));
    const QString filter = QStringLiteral("Maps (*.gpkg *.shp *.geojson *.json *.csv);;All files (*)");
    auto fileRow = [&](QLineEdit *edit) {
        auto *row = new QHBoxLayout;
        auto *browse = new QPushButton(QStringLiteral("Browse..."), &dlg);
        row->addWidget(edit, 1);
        row->addWidget(browse);
        connect(browse, &QPushButton::clicked, &dlg, [&dlg, edit, filter] {
            const QString f = QFileDialog::getOpenFileName(&dlg, QStringLiteral("Import Map"), QString(), filter);
            if (!f.isEmpty()) edit->setText(f);
        });
        return row;
    };
    auto *wells = new QLineEdit(&dlg), *streams = new QLineEdit(&dlg), *name = new QLineEdit(&dlg);
    auto *s = new QLineEdit(&dlg), *t = new QLineEdit(&dlg), *factor = new QLineEdit(&dlg), *crs = new QLineEdit(&dlg);
    name->setPlaceholderText(QStringLiteral("name"));
    crs->setPlaceholderText(doc_->model().network.crs.empty() ? QStringLiteral("the files' own, e.g. EPSG:32613")
                                                              : QString::fromStdString(doc_->model().network.crs));
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("&Wells:"), fileRow(wells));
    form->addRow(QStringLiteral("&Streams:"), fileRow(streams));
    form->addRow(QStringLiteral("&Name field:"), name);
    form->addRow(QStringLiteral("S field:"), s);
    form->addRow(QStringLiteral("T field:"), t);
    form->addRow(QStringLiteral("&Factor field:"), factor);
    form->addRow(QStringLiteral("&Coordinate system:"), crs);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    auto *layout = new QVBoxLayout(&dlg);
    layout->addLayout(form);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted) return;
    geo::MapImportOptions o{wells->text().toStdString(), streams->text().toStdString(), name->text().toStdString(),
                            s->text().toStdString(),     t->text().toStdString(),       factor->text().toStdString(),
                            crs->text().toStdString()};
    const OperationResult r = importMapInto(*doc_, o);
    for (const OperationError &w : r.warnings)
        doc_->prompter()->message(w.message);
    if (r.error) doc_->prompter()->message(r.error->message);
}

} // namespace vek
