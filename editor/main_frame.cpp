// CMainFrame: main window, menus, tool bar, status bar and dropped files.
#include "editor/main_frame.h"

#include "editor/child_frame.h"
#include "editor/color_scheme.h"
#include "editor/help_window.h"
#include "editor/vekview_app.h"
#include "editor/vekview_doc.h"
#include "editor/vekview_view.h"
#include "viewer/graph_view.h"
#include "viewer/vek_output_view.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPolygonF>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QUndoGroup>
#include <QUndoStack>

#include <algorithm>
#include <functional>

namespace vek {

namespace {
const char *const kIdlePrompt = "For Help, press F1";

// Run's tool button: a green "play" triangle with a dark rim, drawn here so
// that it shows on light and dark tool bars alike (the style's media icon
// is black, and vanishes on a dark one).
QIcon runIcon() {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        const double m = size / 8.0;
        const QPolygonF triangle(
            {QPointF(m * 1.6, m), QPointF(size - m * 0.9, size / 2.0), QPointF(m * 1.6, size - m)});
        p.setPen(
            QPen(QColor(0x2e, 0x7d, 0x32), std::max(1.0, size / 16.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(0x5a, 0xd1, 0x5f));
        p.drawPolygon(triangle);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

// The platform's keys for a standard action, with the usual one added where
// the platform has none (or lacks it).
QList<QKeySequence> standardKeys(QKeySequence::StandardKey key, std::initializer_list<QKeySequence> usual) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(key);
    for (const QKeySequence &k : usual)
        if (!keys.contains(k)) keys.append(k);
    return keys;
}
} // namespace

CMainFrame::CMainFrame(CVEKViewApp *app) : app_(app) {
    setObjectName("CMainFrame");
    setWindowTitle("VEKView");
    setAcceptDrops(true);
    mdi_ = new QMdiArea(this);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setBackground(palette().brush(QPalette::Dark));
    setCentralWidget(mdi_);
    undoGroup_ = new QUndoGroup(this);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { updateFrame(); });
    connect(app_, &CVEKViewApp::documentsChanged, this, [this] { updateFrame(); });
    connect(app_, &CVEKViewApp::recentFilesChanged, this, [this] { fillRecentFiles(); });
    resize(1024, 720);
    updateFrame();
}

// The windows closed while the frame is taken down activate one another;
// the frame no longer follows them.
CMainFrame::~CMainFrame() {
    disconnect(mdi_, nullptr, this, nullptr);
    disconnect(app_, nullptr, this, nullptr);
}

QAction *CMainFrame::addCommand(QMenu *menu, int id, const QString &text, const QString &prompt,
                                const QKeySequence &key) {
    // Menu texts carry their accelerator after a tab; Qt shows the shortcut
    // itself, so only the part before the tab becomes the action's text.
    const QString shown = text.section('\t', 0, 0);
    auto *a = new QAction(shown, this);
    a->setData(id);
    a->setStatusTip(prompt);
    if (!key.isEmpty()) a->setShortcut(key);
    if (menu) menu->addAction(a);
    actions_[id] = a;
    return a;
}

QAction *CMainFrame::action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

// File: documents, imports, printing, the recent files and Exit.
void CMainFrame::buildFileMenu(QMenuBar *mb) {
    fileMenu_ = mb->addMenu("&File");
    connect(addCommand(fileMenu_, ID_FILE_NEW, "&New\tCtrl+N", "Create a new document", QKeySequence::New),
            &QAction::triggered, app_, &CVEKViewApp::onFileNew);
    connect(addCommand(fileMenu_, ID_FILE_OPEN, "&Open\tCtrl+O", "Open an existing document", QKeySequence::Open),
            &QAction::triggered, app_, &CVEKViewApp::onFileOpen);
    connect(addCommand(fileMenu_, ID_IMPORT_WENDRA, "&Import From Wendra",
                       "Import the wells of a WendraModel well output file"),
            &QAction::triggered, app_, &CVEKViewApp::onImportWendra);
    connect(addCommand(fileMenu_, ID_IMPORT_OLD, "I&mport Old VEK Format",
                       "Import a model input file of the old VEK format"),
            &QAction::triggered, app_, &CVEKViewApp::onImportOldFormat);
    connect(addCommand(fileMenu_, ID_IMPORT_TAB, "Import from &Tab-delimited File",
                       "Import locations and their data from a tab-delimited text file"),
            &QAction::triggered, app_, &CVEKViewApp::onImportTabDelimited);
    QAction *closeAct = addCommand(fileMenu_, ID_FILE_CLOSE, "&Close", "Close the active document");
    closeAct->setShortcuts(standardKeys(QKeySequence::Close, {QKeySequence(Qt::CTRL | Qt::Key_W)}));
    connect(closeAct, &QAction::triggered, app_, &CVEKViewApp::onFileClose);
    connect(addCommand(fileMenu_, ID_FILE_SAVE, "&Save\tCtrl+S", "Save the active document", QKeySequence::Save),
            &QAction::triggered, app_, [this] { app_->onFileSave(); });
    QAction *saveAs = addCommand(fileMenu_, ID_FILE_SAVE_AS, "Save &As...", "Save the active document with a new name");
    saveAs->setShortcuts(standardKeys(QKeySequence::SaveAs, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)}));
    connect(saveAs, &QAction::triggered, app_, [this] { app_->onFileSaveAs(); });
    printSeparator_ = fileMenu_->addSeparator();
    // Ctrl+P prints the active output view or form.
    connect(addCommand(fileMenu_, ID_FILE_PRINT, "&Print...\tCtrl+P", "Print the active document", QKeySequence::Print),
            &QAction::triggered, this, [this] {
                if (CVEKViewView *v = activeFormView())
                    v->print();
                else if (CChildFrame *f = activeChild(); f && f->view())
                    QMetaObject::invokeMethod(f->view(), "OnPrint", Qt::DirectConnection);
            });
    connect(addCommand(fileMenu_, ID_FILE_PRINT_PREVIEW, "Print Pre&view", "Display full pages"), &QAction::triggered,
            this, [this] {
                if (CVEKViewView *v = activeFormView())
                    v->printPreview();
                else if (CChildFrame *f = activeChild(); f && f->view())
                    QMetaObject::invokeMethod(f->view(), "OnPrintPreview", Qt::DirectConnection);
            });
    connect(addCommand(fileMenu_, ID_FILE_EXPORT_EXCEL, "&Export to Excel...",
                       "Write the selected tables to an Excel workbook"),
            &QAction::triggered, this, [this] {
                if (CChildFrame *f = activeChild(); f && f->view() && !activeFormView())
                    QMetaObject::invokeMethod(f->view(), "OnExportExcel", Qt::DirectConnection);
            });
    recentSeparator_ = fileMenu_->addSeparator();
    for (int i = 0; i < CVEKViewApp::kMaxRecentFiles; ++i) {
        QAction *a = addCommand(fileMenu_, ID_FILE_MRU_FILE1 + i, QString(), "Open this document");
        a->setVisible(false);
        connect(a, &QAction::triggered, this, [this, a] {
            const QString path = a->property("path").toString();
            if (!path.isEmpty()) app_->openDocumentFile(path);
        });
        recentActions_.append(a);
    }
    exitSeparator_ = fileMenu_->addSeparator();
    QAction *exitAct = addCommand(fileMenu_, ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents");
    exitAct->setMenuRole(QAction::QuitRole);
    exitAct->setShortcuts(standardKeys(QKeySequence::Quit, {QKeySequence(Qt::CTRL | Qt::Key_Q)}));
    connect(exitAct, &QAction::triggered, app_, &CVEKViewApp::onAppExit);
}

// VEK: the run, the properties and the response methods of the form.
void CMainFrame::buildVekMenu(QMenuBar *mb) {
    // "VE&K": V belongs to View, E to Edit.
    vekMenu_ = mb->addMenu("VE&K");
    connect(addCommand(vekMenu_, ID_VEK_RUN, "&Run", "Execute the VEK Model"), &QAction::triggered, this, [this] {
        if (CVEKViewView *v = activeFormView()) app_->runDocument(v->document());
    });
    auto showProps = [this] {
        if (CVEKViewView *v = activeFormView()) {
            v->endCellEdit();
            if (v->document()) v->document()->showProperties(v);
        }
    };
    connect(
        addCommand(vekMenu_, ID_PROPERTIES, "&Properties (Units && Year Type)", "Set properties (Units && Year Type)"),
        &QAction::triggered, this, showProps);
    vekMenu_->addSeparator();
    connect(addCommand(vekMenu_, ID_RESPONSE_METHOD, "Response &Method...",
                       "Choose how the selected location's stream responds to its pumping"),
            &QAction::triggered, this, [this] {
                if (CVEKViewView *v = activeFormView()) v->OnResponseMethod();
            });
    connect(addCommand(vekMenu_, ID_RESPONSE_TABLES, "Response &Tables...",
                       "Add, import, rename and delete the model's unit response tables"),
            &QAction::triggered, this, [this] {
                if (CVEKViewView *v = activeFormView()) v->OnResponseTables();
            });
    vekMenu_->addSeparator();
    connect(addCommand(vekMenu_, ID_REACHES, "Stream &Reaches...",
                       "Name the stream reaches and choose how each location's depletion is apportioned among them"),
            &QAction::triggered, this, [this] {
                if (CVEKViewView *v = activeFormView()) v->OnReaches();
            });
    connect(addCommand(vekMenu_, ID_MAP, "&Map", "Show the reaches and the locations on a map"), &QAction::triggered,
            this, [this] {
                if (CVEKViewView *v = activeFormView()) v->OnMap();
            });
    vekMenu_->addSeparator();
    connect(addCommand(vekMenu_, ID_UNCERTAINTY, "&Uncertainty...",
                       "Give the model's parameters ranges, run samples of them and show the bands and the tornado"),
            &QAction::triggered, this, [this] {
                if (CVEKViewView *v = activeFormView()) v->OnUncertainty();
            });
}

// Edit: undo and redo of the active form's document, its tables' clipboard.
void CMainFrame::buildEditMenu(QMenuBar *mb) {
    editMenu_ = mb->addMenu("&Edit");
    auto onForm = [this](void (CVEKViewView::*fn)()) {
        return [this, fn] {
            if (CVEKViewView *v = activeFormView()) (v->*fn)();
        };
    };
    QAction *undo = addCommand(editMenu_, ID_EDIT_UNDO, "&Undo", "Undo the last action");
    undo->setShortcuts(standardKeys(QKeySequence::Undo, {QKeySequence(Qt::CTRL | Qt::Key_Z)}));
    QAction *redo = addCommand(editMenu_, ID_EDIT_REDO, "&Redo", "Redo the previously undone action");
    redo->setShortcuts(standardKeys(
        QKeySequence::Redo, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}));
    connect(undo, &QAction::triggered, this, [this] {
        if (CVEKViewView *v = activeFormView(); v && v->document()) v->document()->undo();
    });
    connect(redo, &QAction::triggered, this, [this] {
        if (CVEKViewView *v = activeFormView(); v && v->document()) v->document()->redo();
    });
    undo->setEnabled(false);
    redo->setEnabled(false);
    connect(undoGroup_, &QUndoGroup::canUndoChanged, undo, &QAction::setEnabled);
    connect(undoGroup_, &QUndoGroup::canRedoChanged, redo, &QAction::setEnabled);
    connect(undoGroup_, &QUndoGroup::undoTextChanged, undo, [undo](const QString &t) {
        undo->setText(t.isEmpty() ? QStringLiteral("&Undo") : QStringLiteral("&Undo %1").arg(t));
    });
    connect(undoGroup_, &QUndoGroup::redoTextChanged, redo, [redo](const QString &t) {
        redo->setText(t.isEmpty() ? QStringLiteral("&Redo") : QStringLiteral("&Redo %1").arg(t));
    });
    editMenu_->addSeparator();
    connect(addCommand(editMenu_, ID_EDIT_COPY_HIST, "Copy from Historical Table (CTRL-C)",
                       "Copy the selected cells of the historical table"),
            &QAction::triggered, this, onForm(&CVEKViewView::copyFromHistoricalTable));
    connect(addCommand(editMenu_, ID_EDIT_COPY_SYNTH, "Copy from Synthesized Table (CTRL-C)",
                       "Copy the selected cells of the synthesized table"),
            &QAction::triggered, this, onForm(&CVEKViewView::copyFromSynthesizedTable));
    connect(addCommand(editMenu_, ID_EDIT_PASTE_HIST, "Paste into Historical Table (CTRL-V)",
                       "Paste the clipboard into the historical table"),
            &QAction::triggered, this, onForm(&CVEKViewView::pasteIntoHistoricalTable));
    connect(addCommand(editMenu_, ID_EDIT_PASTE_SYNTH, "Paste into Synthesized Table (CTRL-V)",
                       "Paste the clipboard into the synthesized table"),
            &QAction::triggered, this, onForm(&CVEKViewView::pasteIntoSynthesizedTable));
}

// View and Window: the bars, and the arrangement of the windows.
void CMainFrame::buildViewAndWindowMenus(QMenuBar *mb) {
    viewMenu_ = mb->addMenu("&View");
    QAction *tb = addCommand(viewMenu_, ID_VIEW_TOOLBAR, "&Toolbar", "Show or hide the toolbar");
    tb->setCheckable(true);
    tb->setChecked(true);
    QAction *sb = addCommand(viewMenu_, ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar");
    sb->setCheckable(true);
    sb->setChecked(true);
    connect(sb, &QAction::toggled, this, [this](bool on) { statusBar()->setVisible(on); });
    buildColorsMenu();

    windowMenu_ = mb->addMenu("&Window");
    connect(addCommand(windowMenu_, ID_WINDOW_CASCADE, "&Cascade", "Arrange windows so they overlap"),
            &QAction::triggered, mdi_, &QMdiArea::cascadeSubWindows);
    connect(addCommand(windowMenu_, ID_WINDOW_TILE_HORZ, "&Tile", "Arrange windows as non-overlapping tiles"),
            &QAction::triggered, this, &CMainFrame::tileWindows);
    connect(addCommand(windowMenu_, ID_WINDOW_ARRANGE, "&Arrange Icons", "Arrange icons at the bottom of the window"),
            &QAction::triggered, this, [this] {
                // Minimized windows line up along the bottom edge.
                int x = 0;
                for (QMdiSubWindow *w : mdi_->subWindowList())
                    if (w->isMinimized()) {
                        w->move(x, mdi_->viewport()->height() - w->height());
                        x += w->width();
                    }
            });
    windowMenu_->addSeparator();
    connect(windowMenu_, &QMenu::aboutToShow, this, &CMainFrame::fillWindowMenu);
}

// View > Colors: the desktop's colours, or light or dark whatever the desktop
// uses; the choice holds from then on, in this run and the next.
void CMainFrame::buildColorsMenu() {
    QMenu *colors = viewMenu_->addMenu("&Colors");
    auto *group = new QActionGroup(this);
    const ColorScheme stored = storedColorScheme();
    const struct {
        int id;
        const char *text, *prompt;
        ColorScheme scheme;
    } items[] = {
        {ID_VIEW_COLORS_SYSTEM, "&System", "Use the desktop's colors", ColorScheme::System},
        {ID_VIEW_COLORS_LIGHT, "&Light", "Dark text on a light background", ColorScheme::Light},
        {ID_VIEW_COLORS_DARK, "&Dark", "Light text on a dark background", ColorScheme::Dark},
    };
    for (const auto &item : items) {
        QAction *a = addCommand(colors, item.id, item.text, item.prompt);
        a->setCheckable(true);
        a->setChecked(item.scheme == stored);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [scheme = item.scheme] {
            applyColorScheme(scheme);
            storeColorScheme(scheme);
        });
    }
}

// Help, with F1 for the whole window and Shift+F1 for the active one.
void CMainFrame::buildHelpMenu(QMenuBar *mb) {
    helpMenu_ = mb->addMenu("&Help");
    connect(addCommand(helpMenu_, ID_HELP_FINDER, "&Help Topics", "List Help topics"), &QAction::triggered, app_,
            [this] { app_->onHelp(0); });
    helpMenu_->addSeparator();
    QAction *about = addCommand(helpMenu_, ID_APP_ABOUT, "&About VEKView...",
                                "Display program information, version number and copyright");
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, app_, &CVEKViewApp::onAppAbout);

    // F1 help for the whole window.
    auto *help = new QAction(this);
    help->setShortcut(QKeySequence::HelpContents);
    connect(help, &QAction::triggered, app_, [this] { app_->onHelp(0); });
    addAction(help);
    auto *ctxHelp = new QAction(this);
    ctxHelp->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F1));
    connect(ctxHelp, &QAction::triggered, app_, [this] {
        // Context help: the topic of the active window's kind.
        CChildFrame *f = activeChild();
        app_->onHelp(f && app_->typeOf(f->document()) == CVEKViewApp::DocType::EngineOutput ? 400 : 0);
    });
    addAction(ctxHelp);
}

void CMainFrame::buildMenus() {
    QMenuBar *mb = menuBar();
    buildFileMenu(mb);
    buildVekMenu(mb);
    buildEditMenu(mb);
    buildViewAndWindowMenus(mb);
    buildHelpMenu(mb);
    fillRecentFiles();
}

void CMainFrame::buildToolBar() {
    toolBar_ = addToolBar("Standard");
    toolBar_->setObjectName("toolbar128");
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar_->setMovable(true);
    toolBar_->setIconSize(QSize(20, 20));
    QStyle *st = style();
    action(ID_FILE_NEW)->setIcon(st->standardIcon(QStyle::SP_FileIcon));
    action(ID_FILE_OPEN)->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    action(ID_FILE_SAVE)->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    action(ID_VEK_RUN)->setIcon(runIcon());
    toolBar_->addAction(action(ID_FILE_NEW));
    toolBar_->addAction(action(ID_FILE_OPEN));
    // The menu's Save disappears while a report is active; the button stays,
    // greyed, so the tool bar does not jump.
    saveTool_ = new QAction(st->standardIcon(QStyle::SP_DialogSaveButton), "Save", this);
    saveTool_->setStatusTip(action(ID_FILE_SAVE)->statusTip());
    connect(saveTool_, &QAction::triggered, app_, [this] { app_->onFileSave(); });
    toolBar_->addAction(saveTool_);
    toolBar_->addSeparator();
    toolBar_->addAction(action(ID_VEK_RUN));
    toolBar_->addSeparator();
    action(ID_EDIT_UNDO)->setIcon(QIcon::fromTheme("edit-undo", st->standardIcon(QStyle::SP_ArrowBack)));
    action(ID_EDIT_REDO)->setIcon(QIcon::fromTheme("edit-redo", st->standardIcon(QStyle::SP_ArrowForward)));
    toolBar_->addAction(action(ID_EDIT_UNDO));
    toolBar_->addAction(action(ID_EDIT_REDO));
    toolBar_->addSeparator();
    QAction *props = addCommand(nullptr, ID_PROPERTIES_TOOL, "Properties", "Set properties (Units && Year Type)");
    props->setIcon(st->standardIcon(QStyle::SP_FileDialogDetailedView));
    props->setToolTip("Properties (Units & Year Type)");
    connect(props, &QAction::triggered, action(ID_PROPERTIES), &QAction::trigger);
    toolBar_->addAction(props);
    action(ID_FILE_NEW)->setToolTip("New");
    action(ID_FILE_OPEN)->setToolTip("Open");
    action(ID_FILE_SAVE)->setToolTip("Save");
    action(ID_VEK_RUN)->setToolTip("Run");
    connect(action(ID_VIEW_TOOLBAR), &QAction::toggled, toolBar_, &QToolBar::setVisible);
    connect(toolBar_, &QToolBar::visibilityChanged, action(ID_VIEW_TOOLBAR), &QAction::setChecked);
}

void CMainFrame::buildStatusBar() {
    QStatusBar *sb = statusBar();
    idleLabel_ = new QLabel(kIdlePrompt, this);
    sb->addWidget(idleLabel_, 1);
    auto indicator = [this, sb](const char *text) {
        auto *l = new QLabel(text, this);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        l->setAlignment(Qt::AlignCenter);
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance("SCRL") + 12);
        sb->addPermanentWidget(l);
        return l;
    };
    capLabel_ = indicator("CAP");
    numLabel_ = indicator("NUM");
    scrlLabel_ = indicator("SCRL");
    updateIndicators();
}

void CMainFrame::showStatus(const QString &text) { statusBar()->showMessage(text, 10000); }

QString CMainFrame::statusText() const {
    const QString temp = statusBar()->currentMessage();
    return temp.isEmpty() ? idleLabel_->text() : temp;
}

void CMainFrame::updateIndicators() {
    // Qt does not report lock key states on every platform; the indicators
    // follow the lock keys pressed while the window has the focus.
    auto paint = [](QLabel *l, bool on) { l->setEnabled(on); };
    paint(capLabel_, capsOn_);
    paint(numLabel_, numOn_);
    paint(scrlLabel_, scrollOn_);
}

void CMainFrame::keyPressEvent(QKeyEvent *e) {
    switch (e->key()) {
    case Qt::Key_CapsLock:
        capsOn_ = !capsOn_;
        break;
    case Qt::Key_NumLock:
        numOn_ = !numOn_;
        break;
    case Qt::Key_ScrollLock:
        scrollOn_ = !scrollOn_;
        break;
    default:
        break;
    }
    updateIndicators();
    QMainWindow::keyPressEvent(e);
}

void CMainFrame::keyReleaseEvent(QKeyEvent *e) { QMainWindow::keyReleaseEvent(e); }

void CMainFrame::fillRecentFiles() {
    const QStringList files = app_->recentFiles();
    for (int i = 0; i < recentActions_.size(); ++i) {
        QAction *a = recentActions_[i];
        if (i < files.size()) {
            // "&1 path" as the framework numbers them; the home folder is
            // shortened so that long paths stay readable.
            QString shown = QDir::toNativeSeparators(files[i]);
            const QString home = QDir::homePath();
            if (!home.isEmpty() && shown.startsWith(home + "/")) shown = "~" + shown.mid(home.size());
            shown.replace("&", "&&");
            a->setText(QString("&%1 %2").arg(i + 1).arg(shown));
            a->setProperty("path", files[i]);
            a->setVisible(true);
        } else {
            a->setVisible(false);
        }
    }
    recentSeparator_->setVisible(!files.isEmpty());
}

void CMainFrame::fillWindowMenu() {
    for (QAction *a : windowListActions_) {
        windowMenu_->removeAction(a);
        a->deleteLater();
    }
    windowListActions_.clear();
    int n = 1;
    const auto add = [this, &n](const QString &title, bool checked, const std::function<void()> &activate) {
        QString t = title;
        t.replace("&", "&&");
        auto *a = new QAction(n < 10 ? QString("&%1 %2").arg(n).arg(t) : QString("%1 %2").arg(n).arg(t), windowMenu_);
        ++n;
        a->setCheckable(true);
        a->setChecked(checked);
        connect(a, &QAction::triggered, this, activate);
        windowMenu_->addAction(a);
        windowListActions_.append(a);
    };
    for (QMdiSubWindow *w : mdi_->subWindowList())
        add(shownTitle(w), w == mdi_->activeSubWindow(), [this, w] { mdi_->setActiveSubWindow(w); });
    // The graph windows are windows of their own, listed after the
    // documents', report by report in the order they were plotted;
    // choosing one brings it to the front.
    QList<QPointer<GraphView>> graphs;
    for (QMdiSubWindow *w : mdi_->subWindowList())
        if (auto *f = qobject_cast<CChildFrame *>(w))
            if (auto *report = qobject_cast<VEKOutputView *>(f->view()))
                for (GraphView *g : report->graphs())
                    if (g->isVisible()) graphs << g;
    if (!graphs.isEmpty()) windowListActions_.append(windowMenu_->addSeparator());
    for (const QPointer<GraphView> &g : graphs)
        add(g->windowTitle(), false, [g] {
            if (!g) return;
            g->showNormal();
            g->raise();
            g->activateWindow();
        });
}

QString CMainFrame::shownTitle(const QWidget *w) {
    // "[*]" is the place of the modified mark: a star when modified.
    QString t = w->windowTitle();
    t.replace(QStringLiteral("[*]"), w->isWindowModified() ? QStringLiteral("*") : QString());
    return t;
}

void CMainFrame::addChild(CChildFrame *frame) {
    mdi_->addSubWindow(frame);
    frame->showMaximized();
    mdi_->setActiveSubWindow(frame);
    updateFrame();
}

void CMainFrame::tileWindows() {
    // One above the other, each the area's full width: a form keeps the
    // width it needs, where side-by-side tiles would cut it and scroll.
    QList<QMdiSubWindow *> tiles;
    for (QMdiSubWindow *w : mdi_->subWindowList())
        if (w->isVisible() && !w->isMinimized()) tiles << w;
    if (tiles.isEmpty()) return;
    const QRect area = mdi_->viewport()->rect();
    const int n = static_cast<int>(tiles.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow *w = tiles[i];
        if (w->isMaximized()) w->showNormal();
        const int top = area.top() + area.height() * i / n;
        const int bottom = area.top() + area.height() * (i + 1) / n;
        w->setGeometry(area.left(), top, area.width(), bottom - top);
    }
}

CChildFrame *CMainFrame::activeChild() const {
    QMdiSubWindow *w = mdi_->activeSubWindow();
    if (!w) {
        // Without the focus, Qt reports no active window; the top one counts.
        const auto list = mdi_->subWindowList(QMdiArea::StackingOrder);
        if (!list.isEmpty()) w = list.last();
    }
    return qobject_cast<CChildFrame *>(w);
}

CVEKViewView *CMainFrame::activeFormView() const {
    CChildFrame *f = activeChild();
    return f ? qobject_cast<CVEKViewView *>(f->view()) : nullptr;
}

QStringList CMainFrame::visibleMenuTitles() const {
    QStringList out;
    for (QAction *a : menuBar()->actions())
        if (a->isVisible() && a->menu()) out << a->text();
    return out;
}

void CMainFrame::updateFrame() {
    CChildFrame *f = activeChild();
    QObject *doc = f ? f->document() : nullptr;
    int menu = IDR_MAINFRAME;
    if (doc) menu = app_->typeOf(doc) == CVEKViewApp::DocType::ModelInput ? IDR_VEKVIETYPE : IDR_VEKOUTTYPE;
    currentMenu_ = menu;
    const bool model = menu == IDR_VEKVIETYPE;
    const bool output = menu == IDR_VEKOUTTYPE;
    vekMenu_->menuAction()->setVisible(model);
    editMenu_->menuAction()->setVisible(model);
    windowMenu_->menuAction()->setVisible(model || output);
    action(ID_FILE_SAVE)->setVisible(menu != IDR_VEKOUTTYPE);
    action(ID_FILE_SAVE_AS)->setVisible(menu != IDR_VEKOUTTYPE);
    // Commands without a target are greyed, as the framework does.
    action(ID_FILE_SAVE)->setEnabled(model);
    saveTool_->setEnabled(model);
    action(ID_FILE_SAVE_AS)->setEnabled(model);
    action(ID_FILE_CLOSE)->setEnabled(doc != nullptr);
    action(ID_VEK_RUN)->setEnabled(model);
    action(ID_PROPERTIES)->setEnabled(model);
    action(ID_PROPERTIES_TOOL)->setEnabled(model);
    auto *form = model ? qobject_cast<CVEKViewView *>(f->view()) : nullptr;
    undoGroup_->setActiveStack(form && form->document() ? form->document()->undoStack() : nullptr);
    // Printing and the workbook export belong to a document window.
    printSeparator_->setVisible(model || output);
    action(ID_FILE_PRINT)->setVisible(model || output);
    action(ID_FILE_PRINT_PREVIEW)->setVisible(model || output);
    action(ID_FILE_EXPORT_EXCEL)->setVisible(output);
    // The child's title carries the "[*]" mark of a modified document.
    title_ = "VEKView";
    if (f) title_ += " - " + f->windowTitle();
    setWindowTitle(title_);
    setWindowModified(f && f->isWindowModified());
}

void CMainFrame::changeEvent(QEvent *e) {
    QMainWindow::changeEvent(e);
    // A maximized document window writes " - [its title]" into this
    // window's title under some window systems; the title keeps one form
    // however the document came to be maximized.
    if (e->type() == QEvent::WindowTitleChange && windowTitle() != title_) setWindowTitle(title_);
}

void CMainFrame::closeEvent(QCloseEvent *e) {
    if (!app_->closeAllDocuments()) {
        e->ignore();
        return;
    }
    // The help window and the graph windows go with the program.
    if (HelpWindow *h = HelpWindow::instance()) h->close();
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<GraphView *>(w)) w->close();
    QMainWindow::closeEvent(e);
}

void CMainFrame::dragEnterEvent(QDragEnterEvent *e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent *e) {
    openDropped(e->mimeData());
    e->acceptProposedAction();
}

int CMainFrame::openDropped(const QMimeData *mime) {
    int opened = 0;
    if (!mime) return 0;
    const auto urls = mime->urls();
    for (const QUrl &u : urls)
        if (u.isLocalFile() && app_->openDocumentFile(u.toLocalFile())) ++opened;
    return opened;
}

} // namespace vek
