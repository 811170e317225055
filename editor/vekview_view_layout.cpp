// The main input form: its controls and their layout (see vekview_view.h).
// The controls keep the order and captions of the form as users know it; Qt
// layouts place them so that the location list and both tables take the
// room the window gives, and the form's classic size (465 by 322 dialog
// units) is the smallest it gets (smaller windows scroll).
#include "editor/vekview_view_p.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include <algorithm>

namespace vek {

namespace {

constexpr int kClassicWidth = 465;
constexpr int kClassicHeight = 322;

// Share of the spare height each growing part takes: the location list a
// little more than each table, so that a long list shows many rows.
constexpr int kListStretch = 4;
constexpr int kTableStretch = 3;

} // namespace

// ---- the controls ------------------------------------------------------------

QWidget *CVEKViewView::Impl::name(QWidget *w, int id) {
    w->setObjectName(QStringLiteral("ctl%1").arg(id));
    ctl[id] = w;
    return w;
}

QLabel *CVEKViewView::Impl::label(const char *text, int id) {
    auto *l = new QLabel(QString::fromLatin1(text));
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (id > 0) name(l, id);
    return l;
}

YearEdit *CVEKViewView::Impl::yearEdit(int id) {
    DialogUnits du(page);
    auto *e = new YearEdit;
    name(e, id);
    // Room for a five-digit year.
    e->setMinimumWidth(std::max(du.x(40), e->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12));
    e->setMaximumWidth(std::max(du.x(60), e->minimumWidth()));
    return e;
}

QPushButton *CVEKViewView::Impl::button(const char *text, int id) {
    DialogUnits du(page);
    auto *b = new QPushButton(QString::fromLatin1(text));
    b->setAutoDefault(false);
    b->setMinimumWidth(std::max(du.x(50), b->sizeHint().width()));
    name(b, id);
    return b;
}

SpreadsheetView *CVEKViewView::Impl::table(int id, QAbstractItemModel *model) {
    DialogUnits du(page);
    auto *t = new SpreadsheetView;
    t->setModel(model);
    t->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    t->setContextMenuPolicy(Qt::CustomContextMenu);
    t->setMinimumWidth(du.x(120));
    name(t, id);
    return t;
}

QGroupBox *CVEKViewView::Impl::group(const char *text, int id) {
    DialogUnits du(page);
    auto *b = new QGroupBox(QString::fromLatin1(text));
    // At least this wide; a caption longer than that widens it (setCaption).
    b->setMinimumWidth(du.x(100));
    name(b, id);
    return b;
}

// ---- the rows of the form ----------------------------------------------------

QLayout *CVEKViewView::Impl::buildYearRow() {
    DialogUnits du(page);
    auto *years = new QHBoxLayout;
    QLabel *start = label("Historical Start Year:");
    years->addWidget(start);
    years->addWidget(yearEdit(1000));
    start->setBuddy(ctl[1000]);
    years->addSpacing(du.x(12));
    QLabel *end = label("End Year:");
    years->addWidget(end);
    years->addWidget(yearEdit(1001));
    end->setBuddy(ctl[1001]);
    years->addStretch(1);
    return years;
}

QLayout *CVEKViewView::Impl::buildLocationRow() {
    DialogUnits du(page);
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(table(1008, wellsModel), 1);
    auto *listButtons = new QVBoxLayout;
    listButtons->addWidget(button("New", 1003));
    auto *toAddRow = new QHBoxLayout;
    QLabel *toAddLabel = label("# to add:");
    toAddRow->addWidget(toAddLabel);
    auto *toAddEdit = new QLineEdit(QStringLiteral("1"));
    toAddEdit->setMinimumWidth(std::max(du.x(22), toAddEdit->fontMetrics().horizontalAdvance("0000") + 12));
    toAddEdit->setMaximumWidth(std::max(du.x(30), toAddEdit->minimumWidth()));
    toAddRow->addWidget(name(toAddEdit, 1048));
    toAddLabel->setBuddy(toAddEdit);
    listButtons->addLayout(toAddRow);
    listButtons->addWidget(button("Delete", 1004));
    listButtons->addWidget(button("Pumping Record", 1039));
    listButtons->addStretch(1);
    listRow->addLayout(listButtons);
    return listRow;
}

QGroupBox *CVEKViewView::Impl::buildTableGroup(const char *caption, int groupId, int unitsId, int tableId) {
    QGroupBox *box = group(caption, groupId);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(label("--", unitsId));
    layout->addWidget(table(tableId, tableId == 1006 ? static_cast<QAbstractItemModel *>(histModel) : synthModel), 1);
    return box;
}

QLayout *CVEKViewView::Impl::buildSynthesizedRow() {
    DialogUnits du(page);
    auto *synthRow = new QHBoxLayout;
    synthRow->addWidget(label("Synthesized Start Year:", 1060));
    QLabel *startLabel = label("0", 1031);
    startLabel->setMinimumWidth(std::max(du.x(24), startLabel->fontMetrics().horizontalAdvance("000000")));
    synthRow->addWidget(startLabel);
    synthRow->addWidget(label("Years of Data:", 1061));
    synthRow->addWidget(yearEdit(1002));
    static_cast<QLabel *>(ctl[1061])->setBuddy(ctl[1002]);
    synthRow->addWidget(button("Recalculate", 1047));
    synthRow->addWidget(label("IF SITES ADDED OR HISTORICAL DATA CHANGED", 1062));
    synthRow->addStretch(1);
    return synthRow;
}

QLayout *CVEKViewView::Impl::buildRunRange() {
    // Run range and output type, in a frame without a caption.
    auto *runGroup = new QGroupBox;
    name(runGroup, 1063);
    auto *runLayout = new QGridLayout(runGroup);
    auto *runRow = new QHBoxLayout;
    runRow->addWidget(label("Run Start Year:", 1064));
    runRow->addWidget(name(new CloseUpComboBox, 1029));
    runRow->addWidget(label("To", 1065));
    runRow->addWidget(yearEdit(1046));
    runRow->addWidget(label("with Output Type", 1066));
    runRow->addWidget(name(new CloseUpComboBox, 1024));
    runRow->addStretch(1);
    static_cast<QLabel *>(ctl[1064])->setBuddy(ctl[1029]);
    static_cast<QLabel *>(ctl[1065])->setBuddy(ctl[1046]);
    static_cast<QLabel *>(ctl[1066])->setBuddy(ctl[1024]);
    runLayout->addLayout(runRow, 0, 0);
    runLayout->addWidget(label("RUN YEARS PAST SYNTHESIZED YEARS ASSUMED TO HAVE NO WELL CU/RECHARGE", 1067), 1, 0);
    auto *runLine = new QHBoxLayout;
    runLine->addWidget(runGroup);
    runLine->addStretch(1);
    return runLine;
}

// ---- the form ------------------------------------------------------------------

void CVEKViewView::Impl::build() {
    page = new QWidget;
    page->setObjectName(QStringLiteral("inputForm"));
    q->setWidget(page);
    q->setWidgetResizable(true);
    q->setFrameShape(QFrame::NoFrame);
    DialogUnits du(page);
    // Group boxes drawn classically: the caption sits on the frame's top
    // line, so the units lines below it fall inside the frame.
    page->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                                       " margin-top: 0.5em; padding-top: 0.3em; }"
                                       "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                                       " left: 6px; padding: 0 2px; }"));
    wellsModel = new LocationListModel(q->doc_, q);
    histModel = new MonthTableModel(q->doc_, MonthTableModel::Historical, q);
    synthModel = new MonthTableModel(q->doc_, MonthTableModel::Synthesized, q);

    auto *form = new QVBoxLayout(page);
    form->setContentsMargins(du.x(7), du.y(7) / 2, du.x(7), du.y(7) / 2);
    form->addLayout(buildYearRow());
    form->addLayout(buildLocationRow(), kListStretch);
    form->addWidget(buildTableGroup("Historical CU of Ground Water for Well: <NONE>", 1009, 1015, 1006), kTableStretch);
    form->addLayout(buildSynthesizedRow());
    form->addWidget(buildTableGroup("Synthesized CU of Ground Water for Well: <NONE>", 1011, 1013, 1010),
                    kTableStretch);
    form->addLayout(buildRunRange());

    takeControls();
    outputType->addItems(
        {QStringLiteral("by well/recharge site"), QStringLiteral("only totals for all wells/recharge sites")});
    runStart->setMaxVisibleItems(12);
    setTabOrder();
    describeControls();
    connectTables();
    connectControls();

    // Tables keep a few rows however small the window: the header and two
    // rows of each table, a few more of the location list.
    for (SpreadsheetView *t : {wells, hist, synth}) {
        const int rows = t == wells ? 3 : 2;
        t->setMinimumHeight(t->horizontalHeader()->sizeHint().height() + rows * t->defaultRowHeight() +
                            2 * t->frameWidth() + 2);
    }
    // Resizes re-fit the columns and re-cut the captions (see the form's
    // event filter).
    for (QWidget *w : std::initializer_list<QWidget *>{wells, hist, synth, histBox, synthBox})
        w->installEventFilter(q);

    // The classic size is the smallest the form gets; larger fonts (or a
    // larger scale) may need more.
    baseSize = du.size(kClassicWidth, kClassicHeight).expandedTo(form->minimumSize());
    page->setMinimumSize(baseSize);
}

void CVEKViewView::Impl::takeControls() {
    startEdit = static_cast<YearEdit *>(ctl[1000]);
    endEdit = static_cast<YearEdit *>(ctl[1001]);
    synthEdit = static_cast<YearEdit *>(ctl[1002]);
    runEndEdit = static_cast<YearEdit *>(ctl[1046]);
    toAdd = static_cast<QLineEdit *>(ctl[1048]);
    wells = static_cast<SpreadsheetView *>(ctl[1008]);
    hist = static_cast<SpreadsheetView *>(ctl[1006]);
    synth = static_cast<SpreadsheetView *>(ctl[1010]);
    histBox = static_cast<QGroupBox *>(ctl[1009]);
    synthBox = static_cast<QGroupBox *>(ctl[1011]);
    histUnits = static_cast<QLabel *>(ctl[1015]);
    synthUnits = static_cast<QLabel *>(ctl[1013]);
    synthStart = static_cast<QLabel *>(ctl[1031]);
    runStart = static_cast<CloseUpComboBox *>(ctl[1029]);
    outputType = static_cast<CloseUpComboBox *>(ctl[1024]);
    pumpButton = static_cast<QPushButton *>(ctl[1039]);
    hist->setCornerText(QStringLiteral("Year"));
    synth->setCornerText(QStringLiteral("Year"));
    wells->verticalHeader()->hide();
}

void CVEKViewView::Impl::setTabOrder() {
    // The reading order of the form, top to bottom and left to right.
    QWidget *order[] = {startEdit, endEdit,   wells,     ctl[1003], toAdd,    ctl[1004],  ctl[1039],
                        hist,      synthEdit, ctl[1047], synth,     runStart, runEndEdit, outputType};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void CVEKViewView::Impl::describeControls() {
    // Names and descriptions for assistive technology: what each control
    // holds, and for the tables how they are worked with the keyboard.
    const QString keys = QStringLiteral(
        " Arrow keys, Tab and Enter move between cells; typing replaces a value, F2 edits it; Ctrl+C and Ctrl+V copy "
        "and paste blocks of cells.");
    struct Described {
        QWidget *w;
        const char *name;
        QString description;
    };
    const Described all[] = {
        {startEdit, "Historical start year", "The first year of the historical period; Enter applies it."},
        {endEdit, "Historical end year", "The last year of the historical period; Enter applies it."},
        {wells, "Locations",
         "The wells and recharge sites. Names and depletion factors are typed in place; Space or a click on a "
         "location's type, output, pumping record or response method changes it." +
             keys},
        {ctl[1003], "New locations", "Adds the number of locations given in \"# to add\"."},
        {toAdd, "Number of locations to add", "How many locations New adds, 1 to 1000."},
        {ctl[1004], "Delete locations", "Chooses locations to delete."},
        {pumpButton, "Pumping record", "Opens the selected well's pumping record."},
        {histBox, "Historical values", "The selected location's monthly values of the historical years."},
        {hist, "Historical table", "A row per historical year, a column per month." + keys},
        {histUnits, "Units of the historical table", "The units and year type of the values."},
        {synthStart, "Synthesized start year", "The first synthesized year, the year after the historical ones."},
        {synthEdit, "Years of synthesized data", "How many synthesized years follow the historical ones."},
        {ctl[1047], "Recalculate", "Chooses a method and fills the synthesized years again."},
        {synthBox, "Synthesized values", "The selected location's monthly values of the synthesized years."},
        {synth, "Synthesized table", "A row per synthesized year, a column per month." + keys},
        {synthUnits, "Units of the synthesized table", "The units and year type of the values."},
        {runStart, "Run start year", "The first year the run reports."},
        {runEndEdit, "Run end year", "The last year the run reports; Enter applies it."},
        {outputType, "Output type", "Whether the report lists every location or only the totals."},
    };
    for (const Described &d : all) {
        d.w->setAccessibleName(QString::fromUtf8(d.name));
        d.w->setAccessibleDescription(d.description);
    }
}

void CVEKViewView::Impl::connectTables() {
    for (SpreadsheetView *t : {wells, hist, synth}) {
        connect(t, &QWidget::customContextMenuRequested, q,
                [this, t](const QPoint &pos) { showContextMenu(t, t->viewport()->mapToGlobal(pos)); });
        // A paste or a cut changes many cells: it is one undo step.
        t->setBatch([this, t](const QString &what, const std::function<void()> &apply) {
            if (!q->doc_) return;
            auto step = doc()->step(QStringLiteral("%1 %2").arg(what, tableName(t)));
            apply();
        });
        connect(t, &SpreadsheetView::numberRefused, q, [this] {
            q->showStatus(QStringLiteral("Only a number can go in this cell: digits with an optional sign, "
                                         "decimal point and exponent (for example -12.5 or 1e3), no larger than "
                                         "3.4e38."));
        });
        connect(t, &SpreadsheetView::pasteClipped, q, [this](int n) {
            q->showStatus(n == 1
                              ? QStringLiteral("1 pasted value fell outside the table and was not pasted.")
                              : QStringLiteral("%1 pasted values fell outside the table and were not pasted.").arg(n));
        });
        connect(t, &SpreadsheetView::pasteSkippedNonNumbers, q, [this](int n) {
            q->showStatus(n == 1 ? QStringLiteral("1 pasted cell was not a number and was left unchanged.")
                                 : QStringLiteral("%1 pasted cells were not numbers and were left unchanged.").arg(n));
        });
    }
    connect(wells, &QAbstractItemView::clicked, q,
            [this](const QModelIndex &i) { OnClickWellListctrl(i.row(), i.column()); });
    connect(wells->selectionModel(), &QItemSelectionModel::currentRowChanged, q, [this](const QModelIndex &i) {
        if (!followingSelection && i.isValid() && i.row() != q->selectedLocation_) selectLocation(i.row());
    });
    connect(wellsModel, &LocationListModel::edited, q, [this](int r, int c) { onTableEdited(wells, r, c); });
    connect(histModel, &MonthTableModel::edited, q, [this](int r, int c) { onTableEdited(hist, r, c); });
    connect(synthModel, &MonthTableModel::edited, q, [this](int r, int c) { onTableEdited(synth, r, c); });
}

void CVEKViewView::Impl::connectControls() {
    connect(static_cast<QPushButton *>(ctl[1003]), &QPushButton::clicked, q, &CVEKViewView::OnNew);
    connect(static_cast<QPushButton *>(ctl[1004]), &QPushButton::clicked, q, &CVEKViewView::OnDelete);
    connect(pumpButton, &QPushButton::clicked, q, &CVEKViewView::OnPumpingRecord);
    connect(static_cast<QPushButton *>(ctl[1047]), &QPushButton::clicked, q, &CVEKViewView::OnRecalculate);
    startEdit->onCommit = [this] { OnKillfocusInputStart(); };
    endEdit->onCommit = [this] { OnKillfocusInputEnd(); };
    synthEdit->onCommit = [this] { OnKillfocusSynthYears(); };
    runEndEdit->onCommit = [this] { OnKillfocusRunEnd(); };
    connect(runStart, &CloseUpComboBox::closedUp, q, [this] { OnCloseupRunStart(); });
    connect(runStart, &QComboBox::activated, q, [this](int) { OnCloseupRunStart(); });
    connect(outputType, &CloseUpComboBox::closedUp, q, [this] { OnCloseupOutputType(); });
    connect(outputType, &QComboBox::activated, q, [this](int) { OnCloseupOutputType(); });
}

} // namespace vek
