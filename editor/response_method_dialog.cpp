// The response method dialog (see response_method_dialog.h).
#include "editor/response_method_dialog.h"

#include "editor/factor_calculator.h"
#include "editor/reach_edits.h"
#include "editor/response_curve_chart.h"
#include "editor/response_edits.h"
#include "editor/response_tables_dialog.h"
#include "editor/vekview_doc.h"
#include "geo/apportioner.h"
#include "geo/reach_resolution.h"
#include "model/response_checks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace vek {

namespace {

// The longest run the engine makes: 400 years.
constexpr double kLongestDays = 400 * 365.25;

// The smallest of 1, 2, 2.5 and 5 times a power of ten that is at least x.
double roundUp(double x) {
    const double p = std::pow(10.0, std::floor(std::log10(x)));
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (m * p >= x) return m * p;
    return 10.0 * p;
}

QLineEdit *numberEdit(const char *name) {
    auto *e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000000000")));
    e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00000000000000")));
    return e;
}

// An edit or list with a note after it, as one row of the form.
QWidget *withNote(QWidget *field, const QString &note, QWidget *more = nullptr, QLabel **noteLabel = nullptr) {
    auto *w = new QWidget;
    auto *h = new QHBoxLayout(w);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(field);
    if (more) h->addWidget(more);
    if (!note.isEmpty()) {
        auto *l = new QLabel(note);
        l->setEnabled(false); // a quieter colour than the fields
        h->addWidget(l);
        if (noteLabel) *noteLabel = l;
    }
    h->addStretch(1);
    return w;
}

} // namespace

// The factor from the map, for a location placed on it: a check box and
// where the numbers come from.
void ResponseMethodDialog::addMapRow(QFormLayout *form, const Location &loc) {
    if (!loc.onMap.position && !loc.onMap.factorFromMap) return;
    fromMap_ = new QCheckBox(QStringLiteral("Factor from the map"));
    fromMap_->setObjectName(QStringLiteral("factorFromMap"));
    fromMap_->setChecked(loc.onMap.factorFromMap);
    mapNote_ = new QLabel;
    mapNote_->setObjectName(QStringLiteral("mapNote"));
    mapNote_->setWordWrap(true);
    form->addRow(fromMap_, mapNote_);
    QString how;
    const std::optional<double> f = mapFactor(doc_->model(), loc, &how);
    mapNote_->setText(f ? how + QStringLiteral(" gives %1 days.").arg(shownNumber(*f)) : how);
    fromMap_->setEnabled(f.has_value() || loc.onMap.factorFromMap);
    connect(fromMap_, &QCheckBox::toggled, this, [this, f](bool on) {
        sdf_->setReadOnly(on);
        if (on && f) sdf_->setText(shownNumber(static_cast<float>(*f)));
        update();
    });
    sdf_->setReadOnly(loc.onMap.factorFromMap);
}

// The location's title, the method's fields and the factor calculator on
// the left, the response curve on the right, OK and Cancel under them.
void ResponseMethodDialog::layOut(const Location &loc) {
    auto *title =
        new QLabel(QStringLiteral("Location %1: %2 (%3)")
                       .arg(location_ + 1)
                       .arg(QString::fromStdString(loc.name),
                            loc.isWell() ? QStringLiteral("irrigation well") : QStringLiteral("recharge site")));
    title->setObjectName(QStringLiteral("locationTitle"));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Method:"), method_);
    form->addRow(QStringLiteral("Stream depletion factor sdf:"),
                 withNote(sdf_, QStringLiteral("days"), nullptr, &sdfNote_));
    ratioRow_ = withNote(ratio_, QStringLiteral("distance to the stream over distance to the boundary (0 to below 1)"));
    form->addRow(QStringLiteral("a/W:"), ratioRow_);
    lambdaRow_ = withNote(lambda_, QStringLiteral("streambed conductance \u03bb times a over T (above 0)"));
    form->addRow(QStringLiteral("\u03bb\u2032 = \u03bba/T:"), lambdaRow_);
    tableRow_ = withNote(table_, QString(), tables_);
    form->addRow(QStringLiteral("Response table:"), tableRow_);
    addMapRow(form, loc);

    auto *left = new QVBoxLayout;
    left->addWidget(title);
    left->addLayout(form);
    left->addWidget(problem_);
    left->addWidget(calculator_);
    left->addStretch(1);

    auto *right = new QVBoxLayout;
    right->addWidget(chart_, 1);
    auto *daysRow = new QHBoxLayout;
    daysRow->addWidget(new QLabel(QStringLiteral("Days shown:")));
    daysRow->addWidget(days_);
    daysRow->addStretch(1);
    right->addLayout(daysRow);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addLayout(right, 1);

    auto *buttons = new QDialogButtonBox;
    ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    ok_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &ResponseMethodDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ResponseMethodDialog::reject);

    auto *lay = new QVBoxLayout(this);
    lay->addLayout(columns, 1);
    lay->addWidget(buttons);
}

void ResponseMethodDialog::connectControls() {
    calculator_->currentFactor = [this] { return factor(); };
    connect(calculator_, &FactorCalculator::factorComputed, this,
            [this](double sdf) { sdf_->setText(shownNumber(sdf)); });
    connect(calculator_, &FactorCalculator::ratioComputed, this, [this](double v) { ratio_->setText(shownNumber(v)); });
    connect(calculator_, &FactorCalculator::lambdaComputed, this,
            [this](double v) { lambda_->setText(shownNumber(v)); });
    connect(method_, &QComboBox::currentIndexChanged, this, [this] { update(); });
    connect(table_, &QComboBox::currentIndexChanged, this, [this] { update(); });
    for (QLineEdit *e : {sdf_, ratio_, lambda_, days_})
        connect(e, &QLineEdit::textChanged, this, [this] { update(); });
    connect(tables_, &QPushButton::clicked, this, &ResponseMethodDialog::showTables);
}

ResponseMethodDialog::ResponseMethodDialog(CVEKViewDoc *doc, int location, QWidget *parent)
    : ChoiceDialog(QStringLiteral("Response Method"), QStringLiteral("response_methods"), parent), doc_(doc),
      location_(location) {
    setSizeGripEnabled(true);
    const ModelInput &m = doc_->model();
    const Location &loc = m.locations.at(static_cast<std::size_t>(location));

    method_ = new QComboBox;
    method_->setObjectName(QStringLiteral("method"));
    for (ResponseMethod r : {ResponseMethod::InfiniteAquifer, ResponseMethod::AlluvialAquifer,
                             ResponseMethod::StreambedResistance, ResponseMethod::ResponseTable})
        method_->addItem(responseMethodName(r));
    sdf_ = numberEdit("factor");
    ratio_ = numberEdit("aOverW");
    lambda_ = numberEdit("lambdaPrime");
    table_ = new QComboBox;
    table_->setObjectName(QStringLiteral("table"));
    table_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    tables_ = new QPushButton(QStringLiteral("Tables..."));
    tables_->setObjectName(QStringLiteral("tables"));
    tables_->setAutoDefault(false);
    days_ = numberEdit("daysShown");
    days_->setPlaceholderText(QStringLiteral("automatic"));
    problem_ = new QLabel;
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #c00000;"));
    calculator_ = new FactorCalculator;
    chart_ = new ResponseCurveChart;

    layOut(loc);

    // The location's method as it is.
    const ResponseSettings &r = loc.response;
    method_->setCurrentIndex(static_cast<int>(r.method));
    sdf_->setText(shownNumber(static_cast<double>(loc.VEK)));
    if (r.method == ResponseMethod::AlluvialAquifer) ratio_->setText(shownNumber(static_cast<double>(r.aOverW)));
    if (r.method == ResponseMethod::StreambedResistance) lambda_->setText(shownNumber(static_cast<double>(r.lambda)));
    fillTables(r.table);

    connectControls();
    update();
}

ResponseSettings ResponseMethodDialog::settings() const {
    ResponseSettings r;
    r.method = static_cast<ResponseMethod>(std::clamp(method_->currentIndex(), 0, 3));
    if (r.method == ResponseMethod::AlluvialAquifer)
        r.aOverW = static_cast<float>(typedNumber(ratio_->text()).value_or(std::nan("")));
    if (r.method == ResponseMethod::StreambedResistance)
        r.lambda = static_cast<float>(typedNumber(lambda_->text()).value_or(std::nan("")));
    if (r.method == ResponseMethod::ResponseTable) r.table = table_->currentText().toStdString();
    return r;
}

std::optional<double> ResponseMethodDialog::factor() const { return typedNumber(sdf_->text()); }

QString ResponseMethodDialog::problem() const {
    const std::optional<double> sdf = factor();
    if (!sdf) return QStringLiteral("Type the stream depletion factor sdf as a number of days.");
    if (*sdf < 0.0) return QStringLiteral("The factor sdf is %1; it must be 0 or more days.").arg(shownNumber(*sdf));
    if (!std::isfinite(static_cast<float>(*sdf)))
        return QStringLiteral("The factor sdf is %1 days; the model file cannot hold so large a number.")
            .arg(shownNumber(*sdf));
    const ResponseSettings r = settings();
    if (r.method == ResponseMethod::AlluvialAquifer && !typedNumber(ratio_->text()))
        return QStringLiteral("Type a/W as a number from 0 to below 1.");
    if (r.method == ResponseMethod::StreambedResistance && !typedNumber(lambda_->text()))
        return QStringLiteral("Type \u03bb\u2032 as a number above 0.");
    if (r.method == ResponseMethod::ResponseTable && r.table.empty())
        return QStringLiteral("The model has no response table yet: add or import one with Tables...");
    // What the model's checks say of these settings; of a table, also what
    // they say of its shares.
    std::string p = responseSettingsProblem(doc_->model(), r);
    if (p.empty() && r.method == ResponseMethod::ResponseTable)
        if (const UnitResponseTable *t = findResponseTable(doc_->model(), r.table))
            if (const std::string shares = engine::tableProblem(t->shares); !shares.empty())
                p = "Response table \"" + r.table + "\": " + shares;
    // The engine's words, which start with the parameter's own symbol.
    return p.empty() ? QString() : QString::fromStdString(p) + QLatin1Char('.');
}

double ResponseMethodDialog::automaticDays() const {
    double days = 10.0 * std::max(factor().value_or(0.0), 0.0);
    if (method_->currentIndex() == static_cast<int>(ResponseMethod::ResponseTable)) {
        const UnitResponseTable *t = findResponseTable(doc_->model(), table_->currentText().toStdString());
        days = (static_cast<double>(t ? t->shares.size() : 0) + 12.0) * engine::kCycleMeanMonthDays;
    }
    return std::min(roundUp(std::max(days, 365.0)), kLongestDays);
}

void ResponseMethodDialog::fillTables(const std::string &select) {
    const QSignalBlocker block(table_);
    const QString was = table_->currentText();
    table_->clear();
    for (const auto &t : doc_->model().responseTables)
        table_->addItem(QString::fromStdString(t.name));
    int i = table_->findText(QString::fromStdString(select));
    if (i < 0) i = table_->findText(was);
    table_->setCurrentIndex(i >= 0 ? i : 0);
}

void ResponseMethodDialog::update() {
    if (!doc_) return;
    const auto method = static_cast<ResponseMethod>(std::clamp(method_->currentIndex(), 0, 3));
    if (auto *form = findChild<QFormLayout *>()) {
        form->setRowVisible(ratioRow_, method == ResponseMethod::AlluvialAquifer);
        form->setRowVisible(lambdaRow_, method == ResponseMethod::StreambedResistance);
        form->setRowVisible(tableRow_, method == ResponseMethod::ResponseTable);
    }
    // A table location keeps a factor too: the one programs that know only
    // the infinite aquifer run it on.
    sdfNote_->setText(method == ResponseMethod::ResponseTable
                          ? QStringLiteral("days (programs without response tables run the location on it)")
                          : QStringLiteral("days (a\u00b2S/T)"));
    calculator_->showRatio(method == ResponseMethod::AlluvialAquifer);
    calculator_->showLambda(method == ResponseMethod::StreambedResistance);

    const QString why = problem();
    problem_->setText(why);
    problem_->setVisible(!why.isEmpty());
    ok_->setEnabled(why.isEmpty());
    if (!why.isEmpty()) {
        chart_->clearCurves(QStringLiteral("No curve: see the message at the left"));
        return;
    }
    // The location as it would be: the core gives its response, the one
    // the engine tabulates.
    Location loc = doc_->model().locations.at(static_cast<std::size_t>(location_));
    loc.VEK = static_cast<float>(*factor());
    loc.response = settings();
    const engine::StepResponse curve = stepResponse(doc_->model(), loc);
    const engine::StepResponse infinite = engine::StepResponse::infiniteAquifer(static_cast<double>(loc.VEK));
    const auto typed = typedNumber(days_->text());
    const double days = typed && *typed >= 1.0 ? std::min(*typed, kLongestDays) : automaticDays();
    const QString sdfText = shownNumber(static_cast<double>(loc.VEK));
    if (method == ResponseMethod::InfiniteAquifer) {
        chart_->plot(curve, QStringLiteral("Infinite aquifer, sdf %1 days").arg(sdfText), nullptr, {}, days);
        return;
    }
    chart_->plot(curve, responseMethodCell(doc_->model(), loc), &infinite,
                 QStringLiteral("Infinite aquifer, the same sdf"), days);
}

void ResponseMethodDialog::showTables() {
    if (!doc_) return;
    ResponseTablesDialog dlg(doc_, this);
    dlg.selectTable(table_->currentText().toStdString());
    dlg.exec();
    if (!doc_) return;
    fillTables(dlg.currentTable());
    update();
}

void ResponseMethodDialog::accept() {
    if (!doc_) {
        reject();
        return;
    }
    update();
    if (!problem().isEmpty()) return;
    {
        // One step: the method, its factor and where the factor comes from.
        const auto step = doc_->step(QStringLiteral("Change Response Method"));
        if (fromMap_) setFactorFromMap(*doc_, location_, fromMap_->isChecked());
        setLocationResponse(*doc_, location_, settings(), static_cast<float>(*factor()));
    }
    ChoiceDialog::accept();
}

std::optional<double> ResponseMethodDialog::mapFactor(const ModelInput &model, const Location &location, QString *how) {
    const LocationMap &m = location.onMap;
    auto say = [&](const QString &text) {
        if (how) *how = text;
        return std::nullopt;
    };
    if (!m.position) return say(QStringLiteral("The location has no place on the map."));
    if (!m.storativity || !m.transmissivity)
        return say(QStringLiteral("The map needs the location's S and T for a factor."));
    if (!geo::mapSupport()) return say(QString::fromLatin1(geo::kNoMapSupport));
    const std::vector<double> d = geo::Apportioner(model.network).distances(*m.position);
    int nearest = -1;
    for (std::size_t r = 0; r < d.size(); ++r)
        if (d[r] >= 0.0 && (nearest < 0 || d[r] < d[static_cast<std::size_t>(nearest)])) nearest = static_cast<int>(r);
    if (nearest < 0) return say(QStringLiteral("No reach has a line on the map."));
    const bool metres = model.network.unit == LengthUnit::Metres;
    if (how)
        *how = QStringLiteral("%1 %2 to %3, S %4, T %5 %6²/day")
                   .arg(shownNumber(d[static_cast<std::size_t>(nearest)]), metres ? "m" : "ft",
                        QString::fromStdString(model.network.reaches[static_cast<std::size_t>(nearest)].name),
                        shownNumber(*m.storativity), shownNumber(*m.transmissivity), metres ? "m" : "ft");
    return geo::factorFromDistance(d[static_cast<std::size_t>(nearest)], *m.storativity, *m.transmissivity);
}

} // namespace vek
