// The response tables dialog (see response_tables_dialog.h).
#include "editor/response_tables_dialog.h"

#include "editor/factor_calculator.h"
#include "editor/response_curve_chart.h"
#include "editor/response_edits.h"
#include "editor/response_shares_model.h"
#include "editor/vekview_doc.h"
#include "grid/spreadsheet_view.h"
#include "model/response_table_import.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace vek {

namespace {

QPushButton *button(const char *text, const char *name) {
    auto *b = new QPushButton(QString::fromLatin1(text));
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

// The names of some locations, for a question or a note.
QString locationNames(const ModelInput &m, const std::vector<int> &which) {
    QStringList names;
    for (int i : which)
        names << QStringLiteral("%1 (%2)")
                     .arg(QString::fromStdString(m.locations[static_cast<std::size_t>(i)].name))
                     .arg(i + 1);
    return names.join(QStringLiteral(", "));
}

} // namespace

ResponseTablesDialog::ResponseTablesDialog(CVEKViewDoc *doc, QWidget *parent)
    : ChoiceDialog(QStringLiteral("Response Tables"), QStringLiteral("response_methods"), parent), doc_(doc) {
    setSizeGripEnabled(true);
    list_ = new QListWidget;
    list_->setObjectName(QStringLiteral("tables"));
    list_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    list_->setAccessibleName(QStringLiteral("Response tables"));
    list_->setAccessibleDescription(QStringLiteral("The model's unit response tables; F2 renames the current one."));
    add_ = button("&Add", "add");
    rename_ = button("&Rename", "rename");
    delete_ = button("&Delete", "delete");
    import_ = button("&Import...", "import");
    makeSharesTable();
    months_ = new QSpinBox;
    months_->setObjectName(QStringLiteral("months"));
    months_->setRange(1, kMostMonths);
    months_->setKeyboardTracking(false); // a typed 48 is not first a 4
    after_ = new QComboBox;
    after_->setObjectName(QStringLiteral("after"));
    after_->addItems({QStringLiteral("the last cumulative share is held"),
                      QStringLiteral("the stream takes the rest of the step (cumulative 1)")});
    users_ = new QLabel;
    users_->setObjectName(QStringLiteral("users"));
    users_->setWordWrap(true);
    problem_ = new QLabel;
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->setWordWrap(true);
    problem_->setStyleSheet(QStringLiteral("color: #c00000;"));
    chart_ = new ResponseCurveChart;

    layoutControls();
    connectControls();
    fillList({});
}

void ResponseTablesDialog::makeSharesTable() {
    shares_ = new ResponseSharesModel(doc_, this);
    table_ = new SpreadsheetView;
    table_->setObjectName(QStringLiteral("shares"));
    table_->setModel(shares_);
    table_->setCornerText(QStringLiteral("Month"));
    table_->setMinimumWidth(table_->fontMetrics().horizontalAdvance(QStringLiteral("Month  0.000000  Cumulative")) +
                            40);
    table_->setAccessibleName(QStringLiteral("Monthly shares"));
    table_->setAccessibleDescription(QStringLiteral(
        "A row per month: the share of a step change that reaches the stream in that month, and the cumulative "
        "share up to it. Typing replaces a share; a block pasted past the last month adds the months it needs."));
    // A paste or a cut is one step.
    table_->setBatch([this](const QString &what, const std::function<void()> &apply) {
        if (!doc_) return;
        auto step = doc_->step(QStringLiteral("%1 Response Table").arg(what));
        apply();
    });
    table_->installEventFilter(this);
}

void ResponseTablesDialog::layoutControls() {
    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {add_, rename_, delete_, import_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(list_, 1);
    listRow->addLayout(buttons);
    auto *left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Tables of the model:")));
    left->addLayout(listRow, 1);
    left->addWidget(users_);
    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("Months:"), months_);
    form->addRow(QStringLiteral("After the last month:"), after_);
    left->addLayout(form);
    left->addWidget(table_, 2);
    left->addWidget(problem_);
    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(chart_, 1);
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(close, &QDialogButtonBox::rejected, this, &ResponseTablesDialog::accept);
    describeControls(close->button(QDialogButtonBox::Close));
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(columns, 1);
    lay->addWidget(close);
}

void ResponseTablesDialog::connectControls() {
    connect(add_, &QPushButton::clicked, this, &ResponseTablesDialog::OnAdd);
    connect(rename_, &QPushButton::clicked, this, &ResponseTablesDialog::OnRename);
    connect(delete_, &QPushButton::clicked, this, &ResponseTablesDialog::OnDelete);
    connect(import_, &QPushButton::clicked, this, &ResponseTablesDialog::OnImport);
    connect(list_, &QListWidget::currentRowChanged, this, [this] {
        if (!filling_) showTable();
    });
    connect(list_, &QListWidget::itemChanged, this, &ResponseTablesDialog::onItemChanged);
    connect(shares_, &ResponseSharesModel::edited, this, &ResponseTablesDialog::onShareEdited);
    connect(months_, &QSpinBox::valueChanged, this, &ResponseTablesDialog::onMonthsChanged);
    connect(after_, &QComboBox::currentIndexChanged, this, &ResponseTablesDialog::onAfterChanged);
}

void ResponseTablesDialog::describeControls(QPushButton *close) {
    // Names and descriptions for assistive technology.
    const struct {
        QWidget *w;
        const char *name, *description;
    } all[] = {
        {add_, "Add", "Adds a table of 12 months of share 0."},
        {rename_, "Rename", "Renames the current table in the list."},
        {delete_, "Delete", "Deletes the current table; locations using it go back to the infinite aquifer."},
        {import_, "Import", "Imports tables from a tab-delimited or comma-separated file."},
        {months_, "Months", "How many months the current table has."},
        {after_, "After the last month", "What the stream receives after the table's last month."},
        {chart_, "Response of the table", "The share of a step change that has reached the stream, day by day."},
        {close, "Close", "Closes the dialog; every change is already in the model."},
    };
    for (const auto &d : all) {
        d.w->setAccessibleName(QString::fromLatin1(d.name));
        d.w->setAccessibleDescription(QString::fromLatin1(d.description));
    }
}

const UnitResponseTable *ResponseTablesDialog::table() const {
    return doc_ && !shown_.empty() ? findResponseTable(doc_->model(), shown_) : nullptr;
}

std::string ResponseTablesDialog::currentTable() const { return table() ? shown_ : std::string(); }

void ResponseTablesDialog::selectTable(const std::string &name) { fillList(name); }

void ResponseTablesDialog::fillList(const std::string &select) {
    if (!doc_) return;
    filling_ = true;
    list_->clear();
    int current = 0;
    for (const auto &t : doc_->model().responseTables) {
        auto *item = new QListWidgetItem(QString::fromStdString(t.name), list_);
        item->setData(Qt::UserRole, QString::fromStdString(t.name));
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        if (t.name == select) current = list_->count() - 1;
    }
    if (list_->count() > 0) list_->setCurrentRow(current);
    filling_ = false;
    showTable();
}

void ResponseTablesDialog::showTable() {
    QListWidgetItem *item = list_->currentItem();
    shown_ = item ? item->data(Qt::UserRole).toString().toStdString() : std::string();
    const UnitResponseTable *t = table();
    filling_ = true;
    for (QWidget *w : std::initializer_list<QWidget *>{rename_, delete_, months_, after_, table_})
        w->setEnabled(t != nullptr);
    shares_->showTable(t ? shown_ : std::string());
    if (t) {
        const int n = static_cast<int>(t->shares.size());
        months_->setValue(std::max(n, 1));
        after_->setCurrentIndex(t->afterTableOne ? 1 : 0);
        const std::vector<int> users = locationsUsingTable(doc_->model(), t->name);
        users_->setText(users.empty()
                            ? QStringLiteral("No location uses this table.")
                            : QStringLiteral("Used by ") + locationNames(doc_->model(), users) + QLatin1Char('.'));
    } else {
        users_->setText(list_->count() == 0 ? QStringLiteral("The model has no response table: add or import one.")
                                            : QString());
    }
    filling_ = false;
    fillCumulative();
    fitColumns();
}

void ResponseTablesDialog::fitColumns() {
    // Shares and cumulative shares share the width, at least what they need.
    int w = table_->maximumViewportSize().width();
    const int need = table_->horizontalHeader()->sizeHint().height() + shares_->rowCount() * table_->defaultRowHeight();
    if (need > table_->maximumViewportSize().height())
        w -= table_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table_);
    for (int c = 0; c < 2; ++c)
        table_->setColumnWidth(c, std::max(table_->contentWidth(c), w / 2));
}

void ResponseTablesDialog::fillCumulative() {
    const UnitResponseTable *t = table();
    if (!t) {
        problem_->clear();
        chart_->clearCurves(QStringLiteral("No table"));
        return;
    }
    const std::string p = engine::tableProblem(t->shares);
    problem_->setText(p.empty() ? QString() : problemSentence(p));
    problem_->setVisible(!p.empty());
    const double days = (static_cast<double>(t->shares.size()) + 12.0) * engine::kCycleMeanMonthDays;
    chart_->plot(engine::StepResponse::responseTable(t->shares, t->afterTableOne),
                 QStringLiteral("Unit response table \"%1\"").arg(QString::fromStdString(t->name)), nullptr, {}, days);
}

bool ResponseTablesDialog::ask(const QString &question) {
    if (askYesNo) return askYesNo(question);
    QMessageBox box(QMessageBox::Question, QStringLiteral("VEKView"), question, QMessageBox::Yes | QMessageBox::No,
                    this);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void ResponseTablesDialog::tell(const QString &text) {
    if (showMessage) {
        showMessage(text);
        return;
    }
    QMessageBox box(QMessageBox::Warning, QStringLiteral("VEKView"), text, QMessageBox::Ok, this);
    box.exec();
}

void ResponseTablesDialog::OnAdd() {
    if (!doc_) return;
    const std::string name = addResponseTable(*doc_);
    fillList(name);
    // The new table's name is the first thing to type.
    if (isVisible() && list_->currentItem()) list_->editItem(list_->currentItem());
}

void ResponseTablesDialog::OnRename() {
    if (QListWidgetItem *item = list_->currentItem()) list_->editItem(item);
}

void ResponseTablesDialog::onItemChanged(QListWidgetItem *item) {
    if (filling_ || !doc_) return;
    const std::string from = item->data(Qt::UserRole).toString().toStdString();
    const QString error = renameResponseTable(*doc_, from, item->text());
    const std::string now = error.isEmpty() ? cleanTableName(item->text()) : from;
    filling_ = true;
    item->setText(QString::fromStdString(now));
    item->setData(Qt::UserRole, QString::fromStdString(now));
    filling_ = false;
    if (!error.isEmpty()) tell(error);
    showTable();
}

void ResponseTablesDialog::OnDelete() {
    const UnitResponseTable *t = table();
    if (!t) return;
    const std::string name = t->name;
    const std::vector<int> users = locationsUsingTable(doc_->model(), name);
    QString question = QStringLiteral("Delete the response table \"%1\"?").arg(QString::fromStdString(name));
    if (!users.empty())
        question = QStringLiteral("The response table \"%1\" is used by %2. Delete it? %3 then respond by the "
                                  "infinite aquifer.")
                       .arg(QString::fromStdString(name),
                            users.size() == 1 ? QStringLiteral("1 location: ") + locationNames(doc_->model(), users)
                                              : QStringLiteral("%1 locations: ").arg(users.size()) +
                                                    locationNames(doc_->model(), users),
                            users.size() == 1 ? QStringLiteral("That location would") : QStringLiteral("They would"));
    if (!ask(question) || !doc_) return;
    deleteResponseTable(*doc_, name);
    fillList({});
}

void ResponseTablesDialog::OnImport() {
    QString path;
    if (chooseFile) {
        path = chooseFile();
    } else {
        const QString folder = doc_ && !doc_->path().isEmpty() ? QFileInfo(doc_->path()).absolutePath() : QString();
        path = QFileDialog::getOpenFileName(this, QStringLiteral("Import Response Tables"), folder,
                                            QStringLiteral("Response tables (*.csv *.txt *.tsv *.tab);;All Files (*)"));
    }
    if (!path.isEmpty()) importFile(path);
}

void ResponseTablesDialog::importFile(const QString &path) {
    if (!doc_) return;
    ResponseTableImport read = importResponseTables(path.toStdString());
    if (!read.error.empty()) {
        tell(QStringLiteral("Cannot import response tables from %1: %2.")
                 .arg(QDir::toNativeSeparators(path), QString::fromStdString(read.error)));
        return;
    }
    // Names as the file can hold them; a name the model has already is
    // replaced only when the user says so.
    std::set<std::string> taken;
    for (const auto &t : doc_->model().responseTables)
        taken.insert(t.name);
    std::set<std::string> planned;
    for (UnitResponseTable &t : read.tables) {
        std::string name = cleanTableName(QString::fromStdString(t.name));
        if (name.empty()) name = QFileInfo(path).completeBaseName().toStdString();
        const bool inFile = planned.count(name) > 0;
        bool replace = false;
        if (!inFile && taken.count(name) > 0)
            replace = ask(QStringLiteral("The model has a response table \"%1\" already. Replace it with the one "
                                         "from %2?")
                              .arg(QString::fromStdString(name), QFileInfo(path).fileName()));
        if (!replace && (inFile || taken.count(name) > 0)) {
            const std::string base = name;
            for (int n = 2; taken.count(name) > 0 || planned.count(name) > 0; ++n)
                name = base + " (" + std::to_string(n) + ")";
        }
        planned.insert(name);
        t.name = name;
    }
    if (!doc_) return;
    importResponseTables(*doc_, read.tables);
    fillList(read.tables.empty() ? std::string() : read.tables.front().name);
}

void ResponseTablesDialog::onShareEdited() {
    if (filling_ || !table()) return;
    fillCumulative();
    fitColumns();
}

void ResponseTablesDialog::onMonthsChanged(int months) {
    const UnitResponseTable *t = table();
    if (filling_ || !t) return;
    std::vector<float> shares = t->shares;
    shares.resize(static_cast<std::size_t>(std::clamp(months, 1, kMostMonths)), 0.0f);
    setResponseTableShares(*doc_, shown_, shares);
    showTable();
}

void ResponseTablesDialog::onAfterChanged(int index) {
    if (filling_ || !table()) return;
    setResponseTableAfterOne(*doc_, shown_, index == 1);
    fillCumulative();
}

void ResponseTablesDialog::pasteShares(const QString &text) {
    const UnitResponseTable *t = table();
    if (!t || text.isEmpty()) return;
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > 1 && lines.back().trimmed().isEmpty()) lines.removeLast();
    const QModelIndex focus = table_->currentIndex();
    const int first = focus.isValid() ? focus.row() : 0;
    const int needed = std::min(first + static_cast<int>(lines.size()), kMostMonths);
    auto step = doc_->step(QStringLiteral("Paste into Response Table"));
    if (needed > static_cast<int>(t->shares.size())) {
        std::vector<float> shares = t->shares;
        shares.resize(static_cast<std::size_t>(needed), 0.0f);
        setResponseTableShares(*doc_, shown_, shares);
        showTable();
    }
    table_->setCurrentIndex(shares_->index(first, ResponseSharesModel::Share));
    table_->pasteText(text);
    fillCumulative();
    fitColumns();
}

bool ResponseTablesDialog::eventFilter(QObject *watched, QEvent *event) {
    if (watched == table_ && event->type() == QEvent::Resize) fitColumns();
    // The table's paste keys: one step, and room for every pasted line.
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
        if (ke->matches(QKeySequence::Paste) || (mods == Qt::ShiftModifier && ke->key() == Qt::Key_Insert)) {
            table_->endEdit(true);
            pasteShares(QApplication::clipboard()->text());
            return true;
        }
    }
    return ChoiceDialog::eventFilter(watched, event);
}

} // namespace vek
