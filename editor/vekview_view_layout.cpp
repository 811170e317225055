// The main input form: its controls and their layout (see vekview_view.h).
// The controls keep the order and captions of the form's template; Qt
// layouts place them so that the location list and both tables take the
// room the window gives, and the template's size is the smallest the form
// gets (smaller windows scroll).
#include "editor/vekview_view_p.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace vek {

using namespace form_detail;

namespace {

constexpr int kTemplateWidth = 465;
constexpr int kTemplateHeight = 322;

// Share of the spare height each growing part takes: the location list a
// little more than each table, so that a long list shows many rows.
constexpr int kListStretch = 4;
constexpr int kTableStretch = 3;

} // namespace

void CVEKViewView::Impl::build() {
    page = new QWidget;
    page->setObjectName(QStringLiteral("inputForm"));
    q->setWidget(page);
    q->setWidgetResizable(true);
    q->setFrameShape(QFrame::NoFrame);
    DialogUnits du(page);
    // Group boxes drawn as on the template: the caption sits on the frame's
    // top line, so the units lines below it fall inside the frame.
    page->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                                       " margin-top: 0.5em; padding-top: 0.3em; }"
                                       "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                                       " left: 6px; padding: 0 2px; }"));

    auto name = [this](QWidget *w, int id) {
        w->setObjectName(QStringLiteral("ctl%1").arg(id));
        ctl[id] = w;
        return w;
    };
    auto label = [&](const char *text, int id = -1) {
        auto *l = new QLabel(QString::fromLatin1(text));
        l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (id > 0) name(l, id);
        return l;
    };
    auto yearEdit = [&](int id) {
        auto *e = new YearEdit;
        name(e, id);
        // Room for a five-digit year, as the template's 40 units give.
        e->setMinimumWidth(du.x(40));
        e->setMaximumWidth(du.x(60));
        return e;
    };
    auto button = [&](const char *text, int id) {
        auto *b = new QPushButton(QString::fromLatin1(text));
        b->setAutoDefault(false);
        b->setMinimumWidth(std::max(du.x(50), b->sizeHint().width()));
        name(b, id);
        return b;
    };
    auto grid = [&](int id) {
        auto *g = new CGridCtrl;
        g->setControlId(id);
        g->setFocusPolicy(Qt::StrongFocus);
        g->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        name(g, id);
        return g;
    };
    auto group = [&](const char *text, int id) {
        auto *b = new QGroupBox(QString::fromLatin1(text));
        // The caption is cut to the frame's width (elideCaption), so it never
        // sets how wide the form must be.
        b->setMinimumWidth(du.x(100));
        name(b, id);
        return b;
    };

    auto *form = new QVBoxLayout(page);
    form->setContentsMargins(du.x(7), du.y(7) / 2, du.x(7), du.y(7) / 2);

    // Historical period.
    auto *years = new QHBoxLayout;
    years->addWidget(label("Historical Start Year:"));
    years->addWidget(yearEdit(1000));
    years->addSpacing(du.x(12));
    years->addWidget(label("End Year:"));
    years->addWidget(yearEdit(1001));
    years->addStretch(1);
    form->addLayout(years);

    // Location list with its buttons.
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(grid(1008), 1);
    auto *listButtons = new QVBoxLayout;
    listButtons->addWidget(button("New", 1003));
    auto *toAddRow = new QHBoxLayout;
    toAddRow->addWidget(label("# to add:"));
    auto *toAddEdit = new QLineEdit(QStringLiteral("1"));
    toAddEdit->setMinimumWidth(du.x(22));
    toAddEdit->setMaximumWidth(du.x(30));
    toAddRow->addWidget(name(toAddEdit, 1048));
    listButtons->addLayout(toAddRow);
    listButtons->addWidget(button("Delete", 1004));
    listButtons->addWidget(button("Pumping Record", 1039));
    listButtons->addStretch(1);
    listRow->addLayout(listButtons);
    form->addLayout(listRow, kListStretch);

    // Historical table.
    QGroupBox *histGroup = group("Historical CU of Ground Water for Well: <NONE>", 1009);
    auto *histLayout = new QVBoxLayout(histGroup);
    histLayout->addWidget(label("--", 1015));
    histLayout->addWidget(grid(1006), 1);
    form->addWidget(histGroup, kTableStretch);

    // Synthesized period.
    auto *synthRow = new QHBoxLayout;
    synthRow->addWidget(label("Synthesized Start Year:", 1060));
    QLabel *startLabel = label("0", 1031);
    startLabel->setMinimumWidth(du.x(24));
    synthRow->addWidget(startLabel);
    synthRow->addWidget(label("Years of Data:", 1061));
    synthRow->addWidget(yearEdit(1002));
    synthRow->addWidget(button("Recalculate", 1047));
    synthRow->addWidget(label("IF SITES ADDED OR HISTORICAL DATA CHANGED", 1062));
    synthRow->addStretch(1);
    form->addLayout(synthRow);

    // Synthesized table.
    QGroupBox *synthGroup = group("Synthesized CU of Ground Water for Well: <NONE>", 1011);
    auto *synthLayout = new QVBoxLayout(synthGroup);
    synthLayout->addWidget(label("--", 1013));
    synthLayout->addWidget(grid(1010), 1);
    form->addWidget(synthGroup, kTableStretch);

    // Run range and output type, in a frame without a caption.
    auto *runGroup = new QGroupBox;
    name(runGroup, 1063);
    auto *runLayout = new QGridLayout(runGroup);
    auto *runRow = new QHBoxLayout;
    runRow->addWidget(label("Run Start Year:", 1064));
    auto *runStartList = new CloseUpComboBox;
    runRow->addWidget(name(runStartList, 1029));
    runRow->addWidget(label("To", 1065));
    runRow->addWidget(yearEdit(1046));
    runRow->addWidget(label("with Output Type", 1066));
    runRow->addWidget(name(new CloseUpComboBox, 1024));
    runRow->addStretch(1);
    runLayout->addLayout(runRow, 0, 0);
    runLayout->addWidget(label("RUN YEARS PAST SYNTHESIZED YEARS ASSUMED TO HAVE NO WELL CU/RECHARGE", 1067), 1, 0);
    auto *runLine = new QHBoxLayout;
    runLine->addWidget(runGroup);
    runLine->addStretch(1);
    form->addLayout(runLine);

    startEdit = static_cast<YearEdit *>(ctl[1000]);
    endEdit = static_cast<YearEdit *>(ctl[1001]);
    synthEdit = static_cast<YearEdit *>(ctl[1002]);
    runEndEdit = static_cast<YearEdit *>(ctl[1046]);
    toAdd = static_cast<QLineEdit *>(ctl[1048]);
    wells = static_cast<CGridCtrl *>(ctl[1008]);
    hist = static_cast<CGridCtrl *>(ctl[1006]);
    synth = static_cast<CGridCtrl *>(ctl[1010]);
    histBox = static_cast<QGroupBox *>(ctl[1009]);
    synthBox = static_cast<QGroupBox *>(ctl[1011]);
    histUnits = static_cast<QLabel *>(ctl[1015]);
    synthUnits = static_cast<QLabel *>(ctl[1013]);
    synthStart = static_cast<QLabel *>(ctl[1031]);
    runStart = static_cast<CloseUpComboBox *>(ctl[1029]);
    outputType = static_cast<CloseUpComboBox *>(ctl[1024]);
    pumpButton = static_cast<QPushButton *>(ctl[1039]);

    outputType->addItems(
        {QStringLiteral("by well/recharge site"), QStringLiteral("only totals for all wells/recharge sites")});
    runStart->setMaxVisibleItems(12);

    // Tab order follows the template's reading order.
    QWidget *order[] = {startEdit, endEdit,   wells,     ctl[1003], toAdd,    ctl[1004],  ctl[1039],
                        hist,      synthEdit, ctl[1047], synth,     runStart, runEndEdit, outputType};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);

    // Tables: headers and fixed cells.
    wells->setColumnCount(kListColumns);
    wells->setFixedRowCount(1);
    wells->setFixedColumnCount(0);
    wells->setRowCount(1);
    for (int c = 0; c < kListColumns; ++c)
        wells->setItemText(0, c, QString::fromLatin1(kListHeaders[c]));
    for (CGridCtrl *g : {hist, synth}) {
        g->setColumnCount(13);
        g->setRowCount(1);
        g->setFixedRowCount(1);
        g->setFixedColumnCount(1);
        g->setItemText(0, 0, QStringLiteral("Year"));
    }
    for (CGridCtrl *g : {wells, hist, synth}) {
        connect(g, &CGridCtrl::beginLabelEdit, q,
                [this, g](int r, int c, const QString &old) { onBeginEdit(g, r, c, old); });
        connect(g, &CGridCtrl::endLabelEdit, q, [this, g](int r, int c) { onEndEdit(g, r, c); });
        connect(g, &CGridCtrl::rightClicked, q, [this, g](int, int) { showContextMenu(g, QCursor::pos()); });
        g->installEventFilter(q);
    }
    connect(wells, &CGridCtrl::clicked, q, [this](int r, int c) { OnClickWellListctrl(r, c); });

    // Values are checked as they are typed or pasted; the toggles look
    // clickable.
    wells->setColumnNumeric(1, true);
    for (int c = 2; c <= kMethodColumn; ++c)
        wells->setColumnClickable(c, true);
    for (CGridCtrl *g : {hist, synth})
        for (int c = 1; c <= 12; ++c)
            g->setColumnNumeric(c, true);
    for (CGridCtrl *g : {wells, hist, synth}) {
        connect(g, &CGridCtrl::numberRefused, q, [this] {
            q->showStatus(QStringLiteral("Only a number can go in this cell: digits with an optional sign, "
                                         "decimal point and exponent (for example -12.5 or 1e3), no larger than "
                                         "3.4e38."));
        });
        connect(g, &CGridCtrl::pasteClipped, q, [this](int n) {
            q->showStatus(n == 1
                              ? QStringLiteral("1 pasted value fell outside the table and was not pasted.")
                              : QStringLiteral("%1 pasted values fell outside the table and were not pasted.").arg(n));
        });
        connect(g, &CGridCtrl::pasteSkippedNonNumbers, q, [this](int n) {
            q->showStatus(n == 1 ? QStringLiteral("1 pasted cell was not a number and was left unchanged.")
                                 : QStringLiteral("%1 pasted cells were not numbers and were left unchanged.").arg(n));
        });
    }

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

    // Grids keep a few rows however small the window: the header and two
    // rows of each table, a few more of the location list.
    for (CGridCtrl *g : {wells, hist, synth}) {
        const int rows = g == wells ? 4 : 3;
        g->setMinimumHeight(rows * g->defaultRowHeight() + 2 * g->frameWidth() + 2);
        g->setMinimumWidth(du.x(120));
    }
    // Resizes re-fit the columns and re-cut the captions (see the form's
    // event filter; the grids have it already).
    for (QGroupBox *b : {histBox, synthBox})
        b->installEventFilter(q);

    // The template's size is the smallest the form gets; fonts wider than
    // the template's may need more.
    baseSize = du.size(kTemplateWidth, kTemplateHeight).expandedTo(form->minimumSize());
    page->setMinimumSize(baseSize);
}

} // namespace vek
