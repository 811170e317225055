// The response tables dialog (see response_tables_dialog.h).
#include "editor/response_tables_dialog.h"

#include "editor/factor_calculator.h"
#include "editor/response_curve_chart.h"
#include "editor/response_edits.h"
#include "editor/vekview_doc.h"
#include "grid/grid_ctrl.h"
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
    add_ = button("&Add", "add");
    rename_ = button("&Rename", "rename");
    delete_ = button("&Delete", "delete");
    import_ = button("&Import...", "import");
    grid_ = new CGridCtrl;
    grid_->setObjectName(QStringLiteral("shares"));
    grid_->setColumnCount(3);
    grid_->setRowCount(1);
    grid_->setFixedRowCount(1);
    grid_->setFixedColumnCount(1);
    grid_->setItemText(0, 0, QStringLiteral("Month"));
    grid_->setItemText(0, 1, QStringLiteral("Share"));
    grid_->setItemText(0, 2, QStringLiteral("Cumulative"));
    grid_->setColumnNumeric(1, true);
    grid_->setMinimumWidth(grid_->fontMetrics().horizontalAdvance(QStringLiteral("Month  0.000000  Cumulative")) + 40);
    grid_->installEventFilter(this);
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
    left->addWidget(grid_, 2);
    left->addWidget(problem_);

    auto *columns = new QHBoxLayout;
    columns->addLayout(left);
    columns->addWidget(chart_, 1);
    auto *close = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(close, &QDialogButtonBox::rejected, this, &ResponseTablesDialog::accept);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(columns, 1);
    lay->addWidget(close);

    connect(add_, &QPushButton::clicked, this, &ResponseTablesDialog::OnAdd);
    connect(rename_, &QPushButton::clicked, this, &ResponseTablesDialog::OnRename);
    connect(delete_, &QPushButton::clicked, this, &ResponseTablesDialog::OnDelete);
    connect(import_, &QPushButton::clicked, this, &ResponseTablesDialog::OnImport);
    connect(list_, &QListWidget::currentRowChanged, this, [this] {
        if (!filling_) showTable();
    });
    connect(list_, &QListWidget::itemChanged, this, &ResponseTablesDialog::onItemChanged);
    connect(grid_, &CGridCtrl::endLabelEdit, this, &ResponseTablesDialog::onShareEdited);
    connect(months_, &QSpinBox::valueChanged, this, &ResponseTablesDialog::onMonthsChanged);
    connect(after_, &QComboBox::currentIndexChanged, this, &ResponseTablesDialog::onAfterChanged);
    fillList({});
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
    for (QWidget *w : std::initializer_list<QWidget *>{rename_, delete_, months_, after_, grid_})
        w->setEnabled(t != nullptr);
    grid_->deleteNonFixedRows();
    if (t) {
        const int n = static_cast<int>(t->shares.size());
        grid_->setRowCount(1 + n);
        for (int r = 1; r <= n; ++r) {
            grid_->setItemText(r, 0, QString::number(r));
            grid_->setItemText(r, 1, shownNumber(static_cast<double>(t->shares[static_cast<std::size_t>(r - 1)])));
            grid_->setItemState(r, 2, grid_->itemState(r, 2) | GVIS_READONLY);
        }
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
    grid_->autoSizeColumns();
    // Shares and cumulative shares take the spare width.
    int w = grid_->maximumViewportSize().width();
    if (grid_->virtualHeight() > grid_->maximumViewportSize().height())
        w -= grid_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid_);
    const int spare = w - grid_->virtualWidth();
    if (spare > 1)
        for (int c = 1; c <= 2; ++c)
            grid_->setColumnWidth(c, grid_->columnWidth(c) + spare / 2);
    grid_->refresh();
}

void ResponseTablesDialog::fillCumulative() {
    const UnitResponseTable *t = table();
    if (!t) {
        problem_->clear();
        chart_->clearCurves(QStringLiteral("No table"));
        return;
    }
    double sum = 0.0;
    for (std::size_t i = 0; i < t->shares.size(); ++i) {
        sum += static_cast<double>(t->shares[i]);
        grid_->setItemText(static_cast<int>(i) + 1, 2, shownNumber(sum));
    }
    grid_->refresh();
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

void ResponseTablesDialog::onShareEdited(int row, int col) {
    const UnitResponseTable *t = table();
    if (filling_ || !t || col != 1) return;
    std::vector<float> shares = t->shares;
    if (row < 1 || row > static_cast<int>(shares.size())) return;
    const float v = static_cast<float>(typedNumber(grid_->itemText(row, col)).value_or(0.0));
    shares[static_cast<std::size_t>(row - 1)] = v;
    setResponseTableShares(*doc_, shown_, shares);
    grid_->setItemText(row, col, shownNumber(static_cast<double>(v)));
    fillCumulative();
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
    const CCellID focus = grid_->focusCell();
    const int first = focus.row >= 1 ? focus.row : 1;
    const int needed = std::min(first - 1 + static_cast<int>(lines.size()), kMostMonths);
    auto step = doc_->step(QStringLiteral("Paste into Response Table"));
    if (needed > static_cast<int>(t->shares.size())) {
        std::vector<float> shares = t->shares;
        shares.resize(static_cast<std::size_t>(needed), 0.0f);
        setResponseTableShares(*doc_, shown_, shares);
        showTable();
    }
    grid_->setFocusCell(first, 1);
    grid_->pasteText(text);
    fillCumulative();
}

bool ResponseTablesDialog::eventFilter(QObject *watched, QEvent *event) {
    if (watched == grid_ && event->type() == QEvent::Resize) fitColumns();
    // The grid's paste keys: one step, and room for every pasted line.
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
        if ((mods == Qt::ControlModifier && ke->key() == Qt::Key_V) ||
            (mods == Qt::ShiftModifier && ke->key() == Qt::Key_Insert)) {
            if (grid_->isEditing()) grid_->endEditing(CGridCtrl::EditEnd::Commit);
            pasteShares(QApplication::clipboard()->text());
            return true;
        }
    }
    return ChoiceDialog::eventFilter(watched, event);
}

} // namespace vek
