// The main input form (see vekview_view.h).
#include "editor/vekview_view.h"

#include "editor/choice_dialogs.h"
#include "editor/pumping_record_dialog.h"
#include "editor/vekview_doc.h"
#include "grid/grid_ctrl.h"
#include "model/synthesis.h"
#include "model/year_types.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>

#include <algorithm>
#include <cstdlib>
#include <functional>

namespace vek {

// A year edit: Enter commits the value as leaving the field does, instead of
// reaching a default button.
class YearEdit : public QLineEdit {
  public:
    using QLineEdit::QLineEdit;
    std::function<void()> onCommit;

  protected:
    void keyPressEvent(QKeyEvent *event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            if (onCommit) onCommit();
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void focusOutEvent(QFocusEvent *event) override {
        QLineEdit::focusOutEvent(event);
        if (onCommit) onCommit();
    }
};

namespace {

// The page the controls sit on; reports its size changes to the form.
class FormPage : public QWidget {
  public:
    using QWidget::QWidget;
    std::function<void(QSize)> onResize;

  protected:
    void resizeEvent(QResizeEvent *event) override {
        QWidget::resizeEvent(event);
        if (onResize) onResize(size());
    }
};

enum Kind { Label, Edit, Year, Button, Group, Grid, Combo };

struct Control {
    int id; // -1: a label nobody refers to
    Kind kind;
    const char *text;
    int x, y, w, h;
};

// The form's template, in dialog units. Group boxes come first so that the
// controls they frame lie above them.
const Control kTemplate[] = {
    {1009, Group, "Historical CU of Ground Water for Well: <NONE>", 7, 110, 451, 74},
    {1011, Group, "Synthesized CU of Ground Water for Well: <NONE>", 7, 205, 451, 74},
    {1063, Group, "", 7, 278, 376, 37},
    {-1, Label, "Historical Start Year:", 7, 10, 65, 8},
    {1000, Year, "", 79, 7, 40, 14},
    {-1, Label, "End Year:", 142, 10, 32, 8},
    {1001, Year, "", 182, 7, 40, 14},
    {1008, Grid, "", 7, 24, 353, 81},
    {1003, Button, "New", 364, 37, 58, 14},
    {-1, Label, "# to add:", 364, 55, 30, 8},
    {1048, Edit, "1", 400, 52, 22, 14},
    {1004, Button, "Delete", 364, 68, 58, 14},
    {1039, Button, "Pumping Record", 364, 87, 58, 14},
    {1015, Label, "--", 89, 118, 369, 8},
    {1006, Grid, "", 7, 128, 451, 55},
    {1060, Label, "Synthesized Start Year:", 7, 188, 74, 8},
    {1031, Label, "0", 86, 188, 34, 8},
    {1061, Label, "Years of Data:", 128, 188, 46, 8},
    {1002, Year, "", 182, 186, 40, 14},
    {1047, Button, "Recalculate", 229, 186, 50, 14},
    {1062, Label, "IF SITES ADDED OR HISTORICAL DATA CHANGED", 283, 189, 173, 8},
    {1013, Label, "--", 89, 213, 369, 8},
    {1010, Grid, "", 7, 224, 451, 55},
    {1064, Label, "Run Start Year:", 9, 288, 50, 8},
    {1029, Combo, "", 62, 286, 44, 141},
    {1065, Label, "To", 108, 288, 10, 8},
    {1046, Year, "", 124, 286, 40, 14},
    {1066, Label, "with Output Type", 169, 288, 55, 8},
    {1024, Combo, "", 228, 286, 145, 55},
    {1067, Label, "RUN YEARS PAST SYNTHESIZED YEARS ASSUMED TO HAVE NO WELL CU/RECHARGE", 17, 303, 352, 8},
};
constexpr int kTemplateWidth = 465;
constexpr int kTemplateHeight = 322;

const char *const kListHeaders[5] = {"Wells/Recharge Sites", "VEK", "Location Type", "Output?", "Has Pumping Record"};

QString gfmt(float v) { return QString::asprintf("%g", static_cast<double>(v)); }
QString dfmt(int v) { return QString::asprintf("%d", v); }

std::string yesNo(int flag) { return flag ? "yes" : "no"; }

// Synthesized years the locations hold (the period may say otherwise when
// there is no historical period yet).
size_t synthesizedColumns(const ModelInput &m) {
    if (m.locations.empty()) return static_cast<size_t>(m.synthesizedYears());
    return m.locations.front().synthesizedData[0].size();
}

} // namespace

struct CVEKViewView::Impl {
    CVEKViewView *q;
    FormPage *page = nullptr;
    std::map<int, QWidget *> ctl;
    YearEdit *startEdit = nullptr;
    YearEdit *endEdit = nullptr;
    YearEdit *synthEdit = nullptr;
    YearEdit *runEndEdit = nullptr;
    QLineEdit *toAdd = nullptr;
    CGridCtrl *wells = nullptr;
    CGridCtrl *hist = nullptr;
    CGridCtrl *synth = nullptr;
    QGroupBox *histBox = nullptr;
    QGroupBox *synthBox = nullptr;
    QLabel *histUnits = nullptr;
    QLabel *synthUnits = nullptr;
    QLabel *synthStart = nullptr;
    CloseUpComboBox *runStart = nullptr;
    CloseUpComboBox *outputType = nullptr;
    QPushButton *pumpButton = nullptr;

    // Layout: the page size and the moving controls' rectangles as first set
    // up; every resize is worked out from these, so steps never add up errors.
    QSize baseSize;
    std::map<int, QRect> baseRects;

    CGridCtrl *editingGrid = nullptr;
    QString editOriginalText;
    int locationsToAdd = 1;
    bool inYearEdit = false;
    QPointer<CGridCtrl> lastGrid;
    Prompter *prompter = nullptr;

    explicit Impl(CVEKViewView *view) : q(view) {}

    CVEKViewDoc *doc() const { return q->doc_; }
    ModelInput &model() const { return q->doc_->model(); }
    Prompter *ask() const { return q->prompter(); }
    void message(const std::string &text) const {
        if (Prompter *p = ask()) p->message(text);
    }
    void markModified() { doc()->setModified(true); }
    Location *selected() const {
        int i = q->selectedLocation_;
        auto &locs = model().locations;
        return i >= 0 && i < static_cast<int>(locs.size()) ? &locs[static_cast<size_t>(i)] : nullptr;
    }

    void build();
    void applyLayout(QSize size);

    void fillYearFields();
    void fillRunRange();
    void fillLocationList();
    void fillLocationRow(int r);
    void fillCaptions();
    void fillMonthHeaders();
    void setCaption(QGroupBox *box, const QString &caption);
    void elideCaption(QGroupBox *box);
    void fillHistorical();
    void fillSynthesized();
    void fullRefill();

    void onBeginEdit(CGridCtrl *grid, int row, int col, const QString &oldText);
    void onEndEdit(CGridCtrl *grid, int row, int col);
    void OnClickWellListctrl(int row, int col);
    void OnEndlabeleditWellListctrl(int row, int col);
    void OnEndlabeleditPumpingListctrl(int row, int col);
    void OnEndlabeleditSynthListctrl(int row, int col);

    int readYearEdit(QLineEdit *edit);
    void OnKillfocusInputStart();
    void OnKillfocusInputEnd();
    void OnKillfocusSynthYears();
    void OnKillfocusRunEnd();
    void OnCloseupRunStart();
    void OnCloseupOutputType();

    void showContextMenu(CGridCtrl *grid, const QPoint &globalPos);
    void pasteInto(CGridCtrl *grid);
    void cutFrom(CGridCtrl *grid);
    QString tableName(CGridCtrl *grid) const;
    CGridCtrl *activeGrid() const;
};

// ---- construction and layout -----------------------------------------------

CVEKViewView::CVEKViewView(CVEKViewDoc *doc, QWidget *parent, Prompter *prompter)
    : QScrollArea(parent), d_(new Impl(this)), doc_(doc) {
    if (prompter) doc_->setPrompter(prompter);
    doc_->setDialogParent(this);
    d_->build();
    connect(doc_, &CVEKViewDoc::viewsUpdated, this, &CVEKViewView::onUpdate);
    connect(doc_, &CVEKViewDoc::endEditRequested, this, &CVEKViewView::endCellEdit);
    onUpdate(0);
}

CVEKViewView::~CVEKViewView() {
    // Hiding the children on the way out must not reach the handlers.
    for (YearEdit *e : {d_->startEdit, d_->endEdit, d_->synthEdit, d_->runEndEdit})
        e->onCommit = nullptr;
    for (QObject *o : std::initializer_list<QObject *>{d_->runStart, d_->outputType, d_->wells, d_->hist, d_->synth})
        o->blockSignals(true);
    if (doc_) doc_->disconnect(this);
    QWidget *page = takeWidget();
    delete page;
    delete d_;
}

Prompter *CVEKViewView::prompter() const { return doc_ ? doc_->prompter() : nullptr; }

QWidget *CVEKViewView::control(int id) const {
    auto it = d_->ctl.find(id);
    return it == d_->ctl.end() ? nullptr : it->second;
}

void CVEKViewView::Impl::build() {
    page = new FormPage;
    page->setObjectName(QStringLiteral("inputForm"));
    q->setWidget(page);
    q->setWidgetResizable(true);
    q->setFrameShape(QFrame::NoFrame);
    DialogUnits du(page);
    // Group boxes drawn as on the template: the caption sits on the frame's
    // top line, so the units lines below it fall inside the frame.
    page->setStyleSheet(QStringLiteral("QGroupBox { border: 1px solid palette(mid); border-radius: 2px;"
                                       " margin-top: 0.5em; }"
                                       "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left;"
                                       " left: 6px; padding: 0 2px; }"));

    for (const Control &c : kTemplate) {
        QRect r = du.rect(c.x, c.y, c.w, c.h);
        QString text = QString::fromLatin1(c.text);
        QWidget *w = nullptr;
        switch (c.kind) {
        case Label: {
            auto *l = new QLabel(text, page);
            l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            // A label keeps its template origin; it may need a little more
            // room than the template gave it in a wider font.
            r.setHeight(std::max(r.height(), l->sizeHint().height()));
            w = l;
            break;
        }
        case Edit:
            w = new QLineEdit(text, page);
            break;
        case Year:
            w = new YearEdit(page);
            break;
        case Button:
            w = new QPushButton(text, page);
            static_cast<QPushButton *>(w)->setAutoDefault(false);
            break;
        case Group:
            w = new QGroupBox(text, page);
            break;
        case Grid: {
            auto *g = new CGridCtrl(r, page, c.id);
            g->setFocusPolicy(Qt::StrongFocus);
            w = g;
            break;
        }
        case Combo: {
            auto *cb = new CloseUpComboBox(page);
            // The template's height includes the dropped list.
            r.setHeight(du.y(14));
            r.setHeight(std::max(r.height(), cb->sizeHint().height()));
            w = cb;
            break;
        }
        }
        w->setGeometry(r);
        if (c.id > 0) {
            w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
            ctl[c.id] = w;
            baseRects[c.id] = r;
        }
    }
    // Labels whose text is wider than their template slot keep their start
    // and grow to the right (never over the next control on their line).
    const int pageWidth = du.x(kTemplateWidth);
    for (QLabel *l : page->findChildren<QLabel *>()) {
        int need = l->sizeHint().width();
        if (l->width() < need) {
            int limit = pageWidth - l->x();
            for (QWidget *other : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
                if (other == l || qobject_cast<QGroupBox *>(other)) continue;
                QRect o = other->geometry();
                if (o.left() > l->x() && o.top() < l->geometry().bottom() && o.bottom() > l->y())
                    limit = std::min(limit, o.left() - l->x() - 2);
            }
            l->resize(std::min(need, std::max(limit, l->width())), l->height());
            if (int id = l->objectName().mid(3).toInt(); id > 0) baseRects[id] = l->geometry();
        }
    }

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
    wells->setColumnCount(5);
    wells->setFixedRowCount(1);
    wells->setFixedColumnCount(0);
    wells->setRowCount(1);
    for (int c = 0; c < 5; ++c)
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

    baseSize = du.size(kTemplateWidth, kTemplateHeight);
    page->setMinimumSize(baseSize);
    page->onResize = [this](QSize s) { applyLayout(s); };
}

void CVEKViewView::Impl::applyLayout(QSize size) {
    if (baseRects.empty() || baseSize.isEmpty()) return;
    const int dx = size.width() - baseSize.width();
    const int dy = size.height() - baseSize.height();
    const int h = dy / 2;
    auto place = [this](int id, QRect r) {
        if (QWidget *w = ctl[id]) w->setGeometry(r);
    };
    for (int id : {1009, 1006})
        place(id, baseRects[id].adjusted(0, 0, dx, h));
    for (int id : {1060, 1031, 1061, 1062, 1002, 1047, 1013})
        place(id, baseRects[id].translated(0, h));
    for (int id : {1011, 1010})
        place(id, baseRects[id].translated(0, h).adjusted(0, 0, dx, h));
    for (int id : {1063, 1064, 1029, 1065, 1046, 1066, 1024, 1067})
        place(id, baseRects[id].translated(0, dy));
    elideCaption(histBox);
    elideCaption(synthBox);
}

// ---- refills ----------------------------------------------------------------

void CVEKViewView::onUpdate(int hint) {
    if (!doc_) return;
    switch (hint) {
    case 0:
        d_->fillMonthHeaders();
        d_->fullRefill();
        break;
    case 2:
        d_->fillHistorical();
        break;
    case 3:
        d_->fillSynthesized();
        d_->fillCaptions();
        break;
    case 4:
        d_->fillHistorical();
        d_->fillSynthesized();
        d_->fillMonthHeaders();
        d_->fillCaptions();
        break;
    case 5:
        d_->fillHistorical();
        d_->fillSynthesized();
        d_->fillCaptions();
        break;
    default:
        d_->fullRefill();
        break;
    }
}

void CVEKViewView::Impl::fillYearFields() {
    const ModelInput &m = model();
    startEdit->setText(dfmt(m.inputStartYear));
    endEdit->setText(dfmt(m.inputEndYear));
    synthEdit->setText(dfmt(m.synthesizedYears()));
    synthStart->setText(dfmt(m.synthStartYear));
}

void CVEKViewView::Impl::fillRunRange() {
    ModelInput &m = model();
    runStart->clear();
    QStringList years;
    for (int y = m.inputStartYear; y <= m.synthEndYear; ++y)
        years << dfmt(y);
    runStart->addItems(years);
    if (runStart->count() > 0) runStart->setCurrentIndex(0);
    m.outputStartYear = m.inputStartYear;
    m.outputEndYear = m.synthEndYear;
    runEndEdit->setText(dfmt(m.synthEndYear));
}

void CVEKViewView::Impl::fillLocationRow(int r) {
    const Location &loc = model().locations[static_cast<size_t>(r - 1)];
    wells->setItemText(r, 0, QString::fromStdString(loc.name));
    wells->setItemText(r, 1, gfmt(loc.VEK));
    wells->setItemText(r, 2, loc.isWell() ? QStringLiteral("Irrig. well") : QStringLiteral("Recharge site"));
    wells->setItemText(r, 3, QString::fromStdString(yesNo(loc.UseInOutput)));
    wells->setItemText(r, 4, loc.isWell() ? QString::fromStdString(yesNo(loc.UsePumpingRecord)) : QStringLiteral("NA"));
    for (int c = 2; c <= 4; ++c)
        wells->setItemState(r, c, wells->itemState(r, c) | GVIS_READONLY);
}

void CVEKViewView::Impl::fillLocationList() {
    const int n = static_cast<int>(model().locations.size());
    wells->deleteNonFixedRows();
    wells->setRowCount(1 + n);
    for (int c = 0; c < 5; ++c)
        wells->setItemText(0, c, QString::fromLatin1(kListHeaders[c]));
    for (int r = 1; r <= n; ++r)
        fillLocationRow(r);
    q->selectedLocation_ = n > 0 ? 0 : -1;
}

void CVEKViewView::Impl::fillCaptions() {
    const ModelInput &m = model();
    std::string kind = "<Error>", name = "<Error>";
    if (const Location *loc = selected()) {
        kind = loc->isWell() ? "CU of Ground Water for Well " : "Net Recharge for Site ";
        name = loc->name;
    }
    setCaption(histBox, QString::fromStdString("Historical " + kind + name));
    QString units = QString::fromStdString(unitsLabel(m.unitMode) + yearTypeLabel(m.yearMode));
    histUnits->setText(units);
    synthUnits->setText(units);
    setCaption(synthBox, QString::fromStdString("Synthesized " + kind + name + synthesisCaption(m)));
}

void CVEKViewView::Impl::setCaption(QGroupBox *box, const QString &caption) {
    box->setProperty("caption", caption);
    box->setToolTip(caption);
    elideCaption(box);
}

void CVEKViewView::Impl::elideCaption(QGroupBox *box) {
    // A long name with a method text may not fit the frame: cut it with an
    // ellipsis rather than at the frame's edge; the tool tip has it whole.
    const QString caption = box->property("caption").toString();
    box->setTitle(box->fontMetrics().elidedText(caption, Qt::ElideRight, std::max(0, box->width() - 24)));
}

void CVEKViewView::Impl::fillMonthHeaders() {
    for (CGridCtrl *g : {hist, synth}) {
        g->setItemText(0, 0, QStringLiteral("Year"));
        for (int c = 1; c <= 12; ++c)
            g->setItemText(0, c, QString::fromLatin1(monthAbbreviation(model().yearMode, c - 1)));
        g->refresh();
    }
}

namespace {

void fillTable(CGridCtrl *grid, const MonthColumns &data, int firstYear) {
    int n = static_cast<int>(data[0].size());
    for (const auto &col : data)
        n = std::min(n, static_cast<int>(col.size()));
    grid->deleteNonFixedRows();
    grid->setRowCount(1 + n);
    for (int r = 1; r <= n; ++r) {
        grid->setItemText(r, 0, dfmt(firstYear + r - 1));
        for (int c = 1; c <= 12; ++c)
            grid->setItemText(r, c, gfmt(data[static_cast<size_t>(c - 1)][static_cast<size_t>(r - 1)]));
    }
    grid->autoSizeColumns();
    grid->refresh();
}

} // namespace

void CVEKViewView::Impl::fillHistorical() {
    const Location *loc = selected();
    if (!loc) {
        hist->deleteNonFixedRows();
        hist->refresh();
        pumpButton->setEnabled(false);
        return;
    }
    pumpButton->setEnabled(loc->isWell());
    // A well whose values come from its pumping record is edited there.
    bool fromRecord = loc->isWell() && loc->UsePumpingRecord;
    hist->setEnabled(!fromRecord);
    hist->setEditable(!fromRecord);
    fillTable(hist, loc->historicalData, model().inputStartYear);
}

void CVEKViewView::Impl::fillSynthesized() {
    const Location *loc = selected();
    if (!loc) {
        synth->deleteNonFixedRows();
        synth->refresh();
        return;
    }
    fillTable(synth, loc->synthesizedData, model().synthStartYear);
}

void CVEKViewView::Impl::fullRefill() {
    fillYearFields();
    outputType->setCurrentIndex(std::clamp(model().outputFormat, 0, 1));
    fillRunRange();
    fillLocationList();
    fillCaptions();
    fillHistorical();
    fillSynthesized();
    wells->autoSizeColumns();
    wells->refresh();
}

// ---- the location list and the tables ---------------------------------------

void CVEKViewView::Impl::OnClickWellListctrl(int row, int col) {
    if (!q->doc_) return;
    if (row <= 0) return;
    const int n = static_cast<int>(model().locations.size());
    if (row - 1 >= n) {
        message("OnClickWellListctrl: Internal error.");
        return;
    }
    q->selectedLocation_ = row - 1;
    static const char *const kToggles[] = {"Change Location Type", "Change Output?", "Change Has Pumping Record"};
    auto step = doc()->step(QString::fromLatin1(col >= 2 && col <= 4 ? kToggles[col - 2] : "Select Location"));
    Location &loc = model().locations[static_cast<size_t>(row - 1)];
    switch (col) {
    case 2:
        loc.LocationType = loc.isWell() ? RechargeSite : IrrigationWell;
        fillLocationRow(row);
        markModified();
        break;
    case 3:
        loc.UseInOutput = loc.UseInOutput ? 0 : 1;
        fillLocationRow(row);
        markModified();
        break;
    case 4:
        if (loc.isWell()) loc.UsePumpingRecord = loc.UsePumpingRecord ? 0 : 1;
        fillLocationRow(row);
        markModified();
        break;
    default:
        break;
    }
    fillCaptions();
    fillHistorical();
    fillSynthesized();
    wells->refresh();
}

void CVEKViewView::Impl::onBeginEdit(CGridCtrl *grid, int row, int, const QString &oldText) {
    editingGrid = grid;
    editOriginalText = oldText;
    if (grid == wells && row >= 1) q->selectedLocation_ = row - 1;
}

void CVEKViewView::Impl::onEndEdit(CGridCtrl *grid, int row, int col) {
    editingGrid = nullptr;
    if (!q->doc_) return;
    auto step = doc()->step(QStringLiteral("Edit in %1").arg(tableName(grid)));
    if (grid == wells)
        OnEndlabeleditWellListctrl(row, col);
    else if (grid == hist)
        OnEndlabeleditPumpingListctrl(row, col);
    else if (grid == synth)
        OnEndlabeleditSynthListctrl(row, col);
}

// The tables forward each changed cell to the document, which applies its
// rules (stale synthesized years, user-defined synthesis); the cell then
// shows the value the document holds.
void CVEKViewView::Impl::OnEndlabeleditWellListctrl(int row, int col) {
    const int n = static_cast<int>(model().locations.size());
    if (row < 1 || row - 1 >= n) {
        message("OnEndlabeleditWellListctrl: Internal error.");
        return;
    }
    QString text = wells->GetItemText(row, col);
    if (text != editOriginalText) {
        ModelDocument &d = doc()->document();
        if (col == 0) {
            d.setLocationName(row - 1, text.trimmed().toStdString());
        } else if (col == 1) {
            d.setLocationFactor(row - 1, leadingNumber(text));
            wells->setItemText(row, col, gfmt(model().locations[static_cast<size_t>(row - 1)].VEK));
        }
    }
    fillCaptions();
    fillHistorical();
    fillSynthesized();
}

void CVEKViewView::Impl::OnEndlabeleditPumpingListctrl(int row, int col) {
    Location *loc = selected();
    if (!loc) {
        message("OnEndlabeleditPumpingListctrl: Internal error.");
        return;
    }
    QString text = hist->GetItemText(row, col);
    const int k = row - 1, m = col - 1;
    if (text != editOriginalText && m >= 0 && m < 12 && k >= 0 &&
        k < static_cast<int>(loc->historicalData[static_cast<size_t>(m)].size())) {
        doc()->document().setHistoricalValue(q->selectedLocation_, k, m, leadingNumber(text));
        hist->setItemText(row, col, gfmt(loc->historicalData[static_cast<size_t>(m)][static_cast<size_t>(k)]));
    }
    hist->autoSizeColumns();
}

void CVEKViewView::Impl::OnEndlabeleditSynthListctrl(int row, int col) {
    Location *loc = selected();
    if (!loc) return;
    QString text = synth->GetItemText(row, col);
    if (text == editOriginalText) return;
    const int k = row - 1, m = col - 1;
    if (m >= 0 && m < 12 && k >= 0 && k < static_cast<int>(loc->synthesizedData[static_cast<size_t>(m)].size())) {
        if (doc()->document().setSynthesizedValue(q->selectedLocation_, k, m, leadingNumber(text))) fillCaptions();
        synth->setItemText(row, col, gfmt(loc->synthesizedData[static_cast<size_t>(m)][static_cast<size_t>(k)]));
    }
    synth->autoSizeColumns();
}

// ---- buttons ----------------------------------------------------------------

void CVEKViewView::OnNew() {
    endCellEdit();
    static const QRegularExpression integer(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    QString text = d_->toAdd->text();
    if (!integer.match(text).hasMatch()) {
        d_->message("Please enter an integer.");
        d_->toAdd->setFocus();
        return;
    }
    bool ok = false;
    long long n = text.trimmed().toLongLong(&ok);
    if (!ok || n < 1 || n > 1000) {
        d_->message("Please enter an integer between 1 and 1000.");
        d_->toAdd->setFocus();
        return;
    }
    d_->locationsToAdd = static_cast<int>(n);
    auto step = doc_->step(n == 1 ? QStringLiteral("New Location") : QStringLiteral("New Locations"));
    ModelDocument &doc = doc_->document();
    doc.insertLocations(static_cast<int>(doc.model.locations.size()), d_->locationsToAdd);
    d_->locationsToAdd = 1;
    d_->toAdd->setText(QStringLiteral("1"));
    doc_->setModified(true);
    onUpdate(1);
}

void CVEKViewView::OnDelete() {
    endCellEdit();
    ModelDocument &doc = doc_->document();
    std::vector<std::string> names;
    for (const auto &loc : doc.model.locations)
        names.push_back(loc.name);
    Prompter *p = prompter();
    auto chosen = p ? p->chooseItemsToDelete(names) : std::nullopt;
    auto step = doc_->step(QStringLiteral("Delete Locations"));
    if (chosen) {
        // Highest position first so no deletion shifts one still to come.
        std::vector<int> positions = *chosen;
        std::sort(positions.begin(), positions.end(), std::greater<int>());
        positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
        for (int i : positions)
            doc.deleteLocations(i, 1);
        if (!positions.empty()) doc_->setModified(true);
    }
    onUpdate(1);
}

void CVEKViewView::OnPumpingRecord() {
    endCellEdit();
    if (doc_->model().locations.empty() || !d_->selected()) return;
    // The dialog edits the location while it is open; what OK leaves is one
    // step (Cancel puts everything back, so nothing is recorded).
    auto step = doc_->step(QStringLiteral("Pumping Record"));
    PumpingRecordDialog dlg(doc_, selectedLocation_, this);
    if (dlg.exec() == QDialog::Accepted) doc_->updateAllViews(0);
}

void CVEKViewView::OnRecalculate() {
    endCellEdit();
    auto step = doc_->step(QStringLiteral("Recalculate Synthesized Years"));
    chooseSynthesisMethod(doc_->document());
    doc_->setModified(doc_->isModified());
}

void CVEKViewView::OnRun() {
    endCellEdit();
    doc_->runEngine();
}

// ---- year edits and run range -----------------------------------------------

int CVEKViewView::Impl::readYearEdit(QLineEdit *edit) {
    int value = leadingInteger(edit->text());
    if (edit->text() != dfmt(value)) edit->setText(dfmt(value));
    return value;
}

namespace {
const char *const kShortening =
    "Warning: you are shortening your input period of record.  Input data will be lost.  Continue?";

// Guards the year edits against re-entering while one is applied (a question
// box takes the focus away from the edit that asked it).
struct YearEditGuard {
    bool &flag;
    explicit YearEditGuard(bool &f) : flag(f) { flag = true; }
    ~YearEditGuard() { flag = false; }
};
} // namespace

void CVEKViewView::Impl::OnKillfocusInputStart() {
    if (!q->doc_) return;
    if (inYearEdit || !startEdit) return;
    YearEditGuard guard(inYearEdit);
    auto step = doc()->step(QStringLiteral("Change Historical Start Year"));
    int value = std::max(readYearEdit(startEdit), 0);
    ModelDocument &d = doc()->document();
    ModelInput &m = d.model;
    if (value < 1 || value == m.inputStartYear) return;
    if (m.historicalYears() == 0) {
        // Synthesized years already held keep following the period.
        const int synthYears = static_cast<int>(synthesizedColumns(m));
        m.inputStartYear = value;
        m.inputEndYear = value - 1;
        m.synthStartYear = value;
        m.synthEndYear = value + synthYears - 1;
        d.addHistoricalYear(0, true);
    } else if (value < m.inputStartYear) {
        for (int i = m.inputStartYear - value; i > 0; --i)
            d.addHistoricalYear(0, false);
    } else {
        Prompter *p = ask();
        if (p && p->askYesNo(kShortening)) {
            const int years = m.historicalYears();
            const int diff = value - m.inputStartYear;
            // Never more years than there are: past the last one the period
            // simply starts again, empty, at the typed year.
            for (int i = std::min(diff, years); i > 0; --i)
                d.deleteHistoricalYear(0);
            if (diff >= years) {
                const int synthYears = m.synthesizedYears();
                m.inputStartYear = value;
                m.inputEndYear = value - 1;
                m.synthStartYear = value;
                m.synthEndYear = value + synthYears - 1;
            }
        }
    }
    fullRefill();
    markModified();
}

void CVEKViewView::Impl::OnKillfocusInputEnd() {
    if (!q->doc_) return;
    if (inYearEdit || !endEdit) return;
    YearEditGuard guard(inYearEdit);
    auto step = doc()->step(QStringLiteral("Change Historical End Year"));
    ModelDocument &d = doc()->document();
    ModelInput &m = d.model;
    int typed = std::max(readYearEdit(endEdit), 0);
    if (m.historicalYears() == 0) {
        // No period yet: the typed year becomes its only year rather than
        // the last of thousands counted from year 0.
        if (typed >= 1 && typed != m.inputEndYear) {
            // Synthesized years already held keep following the period.
            const int synthYears = static_cast<int>(synthesizedColumns(m));
            m.inputStartYear = typed;
            m.inputEndYear = typed - 1;
            m.synthStartYear = typed;
            m.synthEndYear = typed + synthYears - 1;
            d.addHistoricalYear(0, true);
            markModified();
        }
        fullRefill();
        return;
    }
    int value = std::max(typed, m.inputStartYear);
    if (value == m.inputEndYear) return;
    if (value > m.inputEndYear) {
        while (m.inputEndYear < value)
            d.addHistoricalYear(m.historicalYears() - 1, true);
    } else {
        Prompter *p = ask();
        if (p && p->askYesNo(kShortening)) {
            int guardCount = m.historicalYears();
            while (m.inputEndYear > value && guardCount-- > 0)
                d.deleteHistoricalYear(m.historicalYears() - 1);
        }
    }
    fullRefill();
}

void CVEKViewView::Impl::OnKillfocusSynthYears() {
    if (!q->doc_) return;
    if (inYearEdit || !synthEdit) return;
    YearEditGuard guard(inYearEdit);
    auto step = doc()->step(QStringLiteral("Change Synthesized Years"));
    ModelDocument &d = doc()->document();
    int n = std::max(readYearEdit(synthEdit), 0);
    if (n < d.model.synthesizedYears()) {
        Prompter *p = ask();
        if (!p || !p->askYesNo(kShortening)) {
            fullRefill();
            return;
        }
    }
    bool changed = d.setSynthesizedYearCount(n);
    fullRefill();
    if (changed) markModified();
    if (changed && n >= 1) {
        chooseSynthesisMethod(d);
        doc()->setModified(d.isModified());
    }
}

void CVEKViewView::Impl::OnKillfocusRunEnd() {
    if (!q->doc_) return;
    if (inYearEdit || !runEndEdit) return;
    YearEditGuard guard(inYearEdit);
    int typed = readYearEdit(runEndEdit);
    int start = runStart->count() > 0 ? leadingInteger(runStart->currentText()) : model().outputStartYear;
    int end = std::max(typed, start);
    if (end != typed) runEndEdit->setText(dfmt(end));
    if (model().outputEndYear != end) {
        auto step = doc()->step(QStringLiteral("Change Run End Year"));
        model().outputEndYear = end;
        markModified();
    }
}

void CVEKViewView::Impl::OnCloseupRunStart() {
    if (!q->doc_) return;
    int i = runStart->currentIndex();
    if (i < 0) return;
    int year = model().inputStartYear + i;
    if (model().outputStartYear != year) {
        auto step = doc()->step(QStringLiteral("Change Run Start Year"));
        model().outputStartYear = year;
        markModified();
    }
}

void CVEKViewView::Impl::OnCloseupOutputType() {
    if (!q->doc_) return;
    int i = outputType->currentIndex();
    if (i < 0) return;
    if (model().outputFormat != i) {
        auto step = doc()->step(QStringLiteral("Change Output Type"));
        model().outputFormat = i;
        markModified();
    }
}

// ---- Edit menu, context menus -----------------------------------------------

CGridCtrl *CVEKViewView::Impl::activeGrid() const {
    QWidget *f = QApplication::focusWidget();
    for (CGridCtrl *g : {wells, hist, synth})
        if (f && (f == g || g->isAncestorOf(f))) return g;
    return lastGrid ? lastGrid.data() : hist;
}

bool CVEKViewView::eventFilter(QObject *watched, QEvent *event) {
    // The grids' own paste and cut keys, taken here so each is one undo step.
    if (event->type() == QEvent::KeyPress) {
        auto *g = qobject_cast<CGridCtrl *>(watched);
        auto *ke = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers mods = ke->modifiers() & ~Qt::KeypadModifier;
        if (g && (g == d_->wells || g == d_->hist || g == d_->synth)) {
            if ((mods == Qt::ControlModifier && ke->key() == Qt::Key_V) ||
                (mods == Qt::ShiftModifier && ke->key() == Qt::Key_Insert)) {
                d_->pasteInto(g);
                return true;
            }
            if (mods == Qt::ControlModifier && ke->key() == Qt::Key_X) {
                d_->cutFrom(g);
                return true;
            }
        }
    }
    if (event->type() == QEvent::FocusIn) {
        if (auto *g = qobject_cast<CGridCtrl *>(watched)) {
            d_->lastGrid = g;
            emit focusedGridChanged();
        }
    }
    return QScrollArea::eventFilter(watched, event);
}

void CVEKViewView::Impl::showContextMenu(CGridCtrl *grid, const QPoint &globalPos) {
    QMenu menu(q);
    if (grid == hist) {
        menu.setTitle(QStringLiteral("Hist Table Context"));
        menu.addAction(QStringLiteral("&Copy"), q, &CVEKViewView::copyFromHistoricalTable);
        menu.addAction(QStringLiteral("&Paste"), q, &CVEKViewView::pasteIntoHistoricalTable);
    } else if (grid == synth) {
        menu.setTitle(QStringLiteral("Synth Table Context"));
        menu.addAction(QStringLiteral("&Copy"), q, &CVEKViewView::copyFromSynthesizedTable);
        menu.addAction(QStringLiteral("&Paste"), q, &CVEKViewView::pasteIntoSynthesizedTable);
    } else if (grid == wells) {
        menu.setTitle(QStringLiteral("Well Table Context"));
        menu.addAction(QStringLiteral("&Copy"), q, &CVEKViewView::copyFromLocationList);
        menu.addAction(QStringLiteral("&Paste"), q, &CVEKViewView::pasteIntoLocationList);
    } else {
        return;
    }
    menu.exec(globalPos);
}

void CVEKViewView::contextMenuEvent(QContextMenuEvent *event) {
    for (CGridCtrl *g : {d_->hist, d_->synth, d_->wells}) {
        QRect screen(g->mapToGlobal(QPoint(0, 0)), g->size());
        if (screen.contains(event->globalPos())) {
            d_->showContextMenu(g, event->globalPos());
            return;
        }
    }
}

// A paste or a cut changes many cells; it is one undo step.
void CVEKViewView::Impl::pasteInto(CGridCtrl *grid) {
    if (!grid->isEnabled() || !q->doc_) return;
    grid->endEditing(CGridCtrl::EditEnd::Commit);
    auto step = doc()->step(QStringLiteral("Paste into %1").arg(tableName(grid)));
    grid->paste();
}

void CVEKViewView::Impl::cutFrom(CGridCtrl *grid) {
    if (!grid->isEnabled() || !q->doc_) return;
    grid->endEditing(CGridCtrl::EditEnd::Commit);
    auto step = doc()->step(QStringLiteral("Cut from %1").arg(tableName(grid)));
    grid->cut();
}

QString CVEKViewView::Impl::tableName(CGridCtrl *grid) const {
    return grid == hist    ? QStringLiteral("Historical Table")
           : grid == synth ? QStringLiteral("Synthesized Table")
                           : QStringLiteral("Location List");
}

void CVEKViewView::editCopy() { d_->activeGrid()->copy(); }
void CVEKViewView::editPaste() { d_->pasteInto(d_->activeGrid()); }
void CVEKViewView::editCut() { d_->cutFrom(d_->activeGrid()); }
void CVEKViewView::editClear() {
    CGridCtrl *g = d_->activeGrid();
    if (g->isEnabled()) g->deleteFocusCell();
}
void CVEKViewView::editSelectAll() { d_->activeGrid()->selectAll(); }
void CVEKViewView::copyFromHistoricalTable() { d_->hist->copy(); }
void CVEKViewView::copyFromSynthesizedTable() { d_->synth->copy(); }
void CVEKViewView::pasteIntoHistoricalTable() { d_->pasteInto(d_->hist); }
void CVEKViewView::pasteIntoSynthesizedTable() { d_->pasteInto(d_->synth); }
void CVEKViewView::copyFromLocationList() { d_->wells->copy(); }
void CVEKViewView::pasteIntoLocationList() { d_->pasteInto(d_->wells); }

void CVEKViewView::endCellEdit() {
    for (CGridCtrl *g : {d_->wells, d_->hist, d_->synth})
        if (g->isEditing()) g->endEditing(CGridCtrl::EditEnd::Commit);
    // A year edit with the focus has not been left yet: apply its text now.
    QWidget *f = QApplication::focusWidget();
    for (YearEdit *e : {d_->startEdit, d_->endEdit, d_->synthEdit, d_->runEndEdit})
        if (f == e && e->onCommit) e->onCommit();
}

// ---- printing ---------------------------------------------------------------

void CVEKViewView::renderForm(QPrinter *printer) {
    QPainter painter;
    if (!painter.begin(printer)) return;
    QWidget *page = d_->page;
    QRectF area = printer->pageLayout().paintRectPixels(printer->resolution());
    double sx = area.width() / page->width();
    double sy = area.height() / page->height();
    double s = std::min(sx, sy);
    painter.scale(s, s);
    page->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.end();
}

void CVEKViewView::print() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dlg(&printer, this);
    if (dlg.exec() == QDialog::Accepted) renderForm(&printer);
}

void CVEKViewView::printDirect() {
    QPrinter printer(QPrinter::HighResolution);
    renderForm(&printer);
}

void CVEKViewView::printPreview() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dlg(&printer, this);
    connect(&dlg, &QPrintPreviewDialog::paintRequested, this, &CVEKViewView::renderForm);
    dlg.exec();
}

} // namespace vek
