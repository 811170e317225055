// The response method dialog's factor calculator (see factor_calculator.h).
#include "editor/factor_calculator.h"

#include "common/numbers.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cctype>
#include <cmath>

namespace vek {

std::optional<double> typedNumber(const QString &text) {
    const std::string s = text.trimmed().toStdString();
    if (s.empty()) return std::nullopt;
    std::size_t pos = 0;
    double v = 0.0;
    if (!scanReal(s, pos, v) || pos != s.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

QString shownNumber(double value) { return QString::fromStdString(formatG(value)); }

QString problemSentence(std::string problem, const QString &end) {
    if (!problem.empty()) problem[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(problem[0])));
    return QString::fromStdString(problem) + end;
}

namespace {

QLineEdit *numberEdit(const char *name, QWidget *parent) {
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000000.000")));
    return e;
}

QPushButton *button(const QString &text, const char *name, QWidget *parent) {
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    b->setMinimumWidth(b->sizeHint().width() + 2 * b->fontMetrics().averageCharWidth());
    return b;
}

// An edit with its unit and, when given, a button after it.
QWidget *fieldRow(QLineEdit *edit, QLabel *unit, QPushButton *after = nullptr) {
    auto *w = new QWidget;
    auto *h = new QHBoxLayout(w);
    h->setContentsMargins(0, 0, 0, 0);
    h->addWidget(edit);
    h->addWidget(unit);
    if (after) h->addWidget(after);
    h->addStretch(1);
    return w;
}

} // namespace

FactorCalculator::FactorCalculator(QWidget *parent)
    : QGroupBox(QStringLiteral("Factor from aquifer properties"), parent) {
    setObjectName(QStringLiteral("factorCalculator"));
    feet_ = new QRadioButton(QStringLiteral("Feet (T in ft\u00b2/day)"), this);
    feet_->setObjectName(QStringLiteral("feet"));
    metres_ = new QRadioButton(QStringLiteral("Metres (T in m\u00b2/day)"), this);
    metres_->setObjectName(QStringLiteral("metres"));
    feet_->setChecked(true);
    auto *units = new QButtonGroup(this);
    units->addButton(feet_);
    units->addButton(metres_);

    a_ = numberEdit("distance", this);
    s_ = numberEdit("storativity", this);
    t_ = numberEdit("transmissivity", this);
    w_ = numberEdit("boundary", this);
    lambda_ = numberEdit("conductance", this);
    aUnit_ = new QLabel(this);
    tUnit_ = new QLabel(this);
    wUnit_ = new QLabel(this);
    lambdaUnit_ = new QLabel(this);

    toFactor_ = button(QStringLiteral("sdf from a, S, T"), "toFactor", this);
    solve_ = new QComboBox(this);
    solve_->setObjectName(QStringLiteral("solveFor"));
    solve_->addItems({QStringLiteral("a"), QStringLiteral("S"), QStringLiteral("T")});
    fromFactor_ = button(QStringLiteral("from sdf and the other two"), "fromFactor", this);
    ratio_ = button(QStringLiteral("a/W from a, W"), "toRatio", this);
    lambdaPrime_ = button(QStringLiteral("\u03bb\u2032 from \u03bb, a, T"), "toLambda", this);
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("calculatorResult"));
    result_->setWordWrap(true);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *form = new QFormLayout;
    auto *unitRow = new QHBoxLayout;
    unitRow->addWidget(feet_);
    unitRow->addWidget(metres_);
    unitRow->addStretch(1);
    form->addRow(QStringLiteral("Units:"), unitRow);
    form->addRow(QStringLiteral("Distance to the stream a:"), fieldRow(a_, aUnit_));
    form->addRow(QStringLiteral("Storage coefficient S:"), fieldRow(s_, new QLabel(this)));
    form->addRow(QStringLiteral("Transmissivity T:"), fieldRow(t_, tUnit_));
    auto *actions = new QHBoxLayout;
    actions->addWidget(toFactor_);
    actions->addSpacing(12);
    actions->addWidget(new QLabel(QStringLiteral("Solve for"), this));
    actions->addWidget(solve_);
    actions->addWidget(fromFactor_);
    actions->addStretch(1);
    form->addRow(actions);
    ratioRow_ = fieldRow(w_, wUnit_, ratio_);
    form->addRow(QStringLiteral("Distance to the boundary W:"), ratioRow_);
    lambdaRow_ = fieldRow(lambda_, lambdaUnit_, lambdaPrime_);
    form->addRow(QStringLiteral("Streambed conductance \u03bb:"), lambdaRow_);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(form);
    lay->addWidget(result_);
    labelUnits();

    connect(toFactor_, &QPushButton::clicked, this, &FactorCalculator::computeFactor);
    connect(fromFactor_, &QPushButton::clicked, this, &FactorCalculator::solveFromFactor);
    connect(ratio_, &QPushButton::clicked, this, &FactorCalculator::computeRatio);
    connect(lambdaPrime_, &QPushButton::clicked, this, &FactorCalculator::computeLambda);
    connect(feet_, &QRadioButton::toggled, this, [this] { changeUnit(); });
}

LengthUnit FactorCalculator::unit() const { return metres_->isChecked() ? LengthUnit::Metres : LengthUnit::Feet; }

void FactorCalculator::showRatio(bool on) {
    if (auto *form = findChild<QFormLayout *>()) form->setRowVisible(ratioRow_, on);
}

void FactorCalculator::showLambda(bool on) {
    if (auto *form = findChild<QFormLayout *>()) form->setRowVisible(lambdaRow_, on);
}

void FactorCalculator::labelUnits() {
    const bool m = unit() == LengthUnit::Metres;
    aUnit_->setText(m ? QStringLiteral("m") : QStringLiteral("ft"));
    wUnit_->setText(aUnit_->text());
    tUnit_->setText(m ? QStringLiteral("m\u00b2/day") : QStringLiteral("ft\u00b2/day"));
    lambdaUnit_->setText(m ? QStringLiteral("m/day") : QStringLiteral("ft/day"));
}

void FactorCalculator::changeUnit() {
    const LengthUnit to = unit();
    if (to == shownUnit_) return;
    // Lengths and conductances convert by the length, transmissivities by its
    // square; S has no unit. Fields without a number stay as they are.
    const double scale = to == LengthUnit::Metres ? kMetresPerFoot : 1.0 / kMetresPerFoot;
    auto convert = [](QLineEdit *e, double factor) {
        if (auto v = typedNumber(e->text())) e->setText(shownNumber(*v * factor));
    };
    convert(a_, scale);
    convert(w_, scale);
    convert(lambda_, scale);
    convert(t_, scale * scale);
    shownUnit_ = to;
    labelUnits();
}

void FactorCalculator::fail(const QString &why) {
    result_->setProperty("failed", true);
    result_->setStyleSheet(QStringLiteral("color: #c00000;"));
    result_->setText(why);
}

void FactorCalculator::done(const QString &what) {
    result_->setProperty("failed", false);
    result_->setStyleSheet(QString());
    result_->setText(what);
}

bool FactorCalculator::readProperties(AquiferProperties &p, bool needA, bool needS, bool needT) {
    p.unit = unit();
    struct Field {
        QLineEdit *edit;
        double *value;
        bool needed;
        const char *name;
    };
    const Field fields[] = {{a_, &p.distance, needA, "the distance to the stream a"},
                            {s_, &p.storativity, needS, "the storage coefficient S"},
                            {t_, &p.transmissivity, needT, "the transmissivity T"}};
    for (const Field &f : fields) {
        if (!f.needed) continue;
        auto v = typedNumber(f.edit->text());
        if (!v) {
            fail(QStringLiteral("Type %1 as a number.").arg(QString::fromLatin1(f.name)));
            return false;
        }
        *f.value = *v;
    }
    // The value solved for is not typed: a placeholder the checks accept.
    if (!needA) p.distance = 1.0;
    if (!needS) p.storativity = 1.0;
    if (!needT) p.transmissivity = 1.0;
    if (std::string problem = aquiferProblem(p); !problem.empty()) {
        fail(problemSentence(problem));
        return false;
    }
    return true;
}

void FactorCalculator::computeFactor() {
    AquiferProperties p;
    if (!readProperties(p, true, true, true)) return;
    const double sdf = depletionFactorDays(p);
    done(QStringLiteral("sdf = a\u00b2S/T = %1 days").arg(shownNumber(sdf)));
    emit factorComputed(sdf);
}

void FactorCalculator::solveFromFactor() {
    const int which = solve_->currentIndex();
    const std::optional<double> sdf = currentFactor ? currentFactor() : std::nullopt;
    if (!sdf || *sdf < 0.0) {
        fail(QStringLiteral("Type the factor sdf (0 or more days) first."));
        return;
    }
    AquiferProperties p;
    if (!readProperties(p, which != 0, which != 1, which != 2)) return;
    double v = 0.0;
    QLineEdit *target = nullptr;
    if (which == 0) {
        v = distanceForFactor(*sdf, p);
        target = a_;
        p.distance = v;
    } else if (which == 1) {
        if (p.distance == 0.0) {
            fail(QStringLiteral("S cannot be found with a = 0: every S gives sdf 0."));
            return;
        }
        v = storativityForFactor(*sdf, p);
        target = s_;
        p.storativity = v;
    } else {
        if (*sdf == 0.0) {
            fail(QStringLiteral("T cannot be found from sdf 0: it would be without end."));
            return;
        }
        v = transmissivityForFactor(*sdf, p);
        target = t_;
        p.transmissivity = v;
    }
    // The solved value must itself be a usable property (S at most 1).
    if (std::string problem = aquiferProblem(p); !problem.empty()) {
        fail(problemSentence(problem, QStringLiteral(" (solved from sdf %1 days).").arg(shownNumber(*sdf))));
        return;
    }
    target->setText(shownNumber(v));
    done(QStringLiteral("%1 = %2 for sdf %3 days").arg(solve_->currentText(), shownNumber(v), shownNumber(*sdf)));
}

void FactorCalculator::computeRatio() {
    const auto a = typedNumber(a_->text());
    const auto w = typedNumber(w_->text());
    if (!a || !w) {
        fail(QStringLiteral("Type a and W as numbers."));
        return;
    }
    if (std::string problem = boundaryProblem(*a, *w); !problem.empty()) {
        fail(problemSentence(problem));
        return;
    }
    const double r = boundaryRatio(*a, *w);
    done(QStringLiteral("a/W = %1").arg(shownNumber(r)));
    emit ratioComputed(r);
}

void FactorCalculator::computeLambda() {
    AquiferProperties p;
    if (!readProperties(p, true, false, true)) return;
    const auto lambda = typedNumber(lambda_->text());
    if (!lambda || *lambda <= 0.0) {
        fail(QStringLiteral("Type the streambed conductance \u03bb as a number above 0."));
        return;
    }
    if (p.distance <= 0.0) {
        fail(QStringLiteral("\u03bb\u2032 needs a distance to the stream a above 0."));
        return;
    }
    const double l = streambedLambdaPrime(*lambda, p);
    done(QStringLiteral("\u03bb\u2032 = \u03bba/T = %1").arg(shownNumber(l)));
    emit lambdaComputed(l);
}

} // namespace vek
