// The main input form: its controls and their layout (see vekview_view.h).
#include "editor/vekview_view_p.h"

#include <QComboBox>

#include <algorithm>

namespace vek {

using namespace form_detail;

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

} // namespace

void CVEKViewView::Impl::build() {
    auto *formPage = new FormPage;
    page = formPage;
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
    formPage->onResize = [this](QSize s) { applyLayout(s); };
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

} // namespace vek
