// CMainFrame: the VEKView main window. An MDI area for the document windows,
// the menus that follow the active document's type (none open, a model
// input document, an engine output document), the tool bar, the status bar
// with command prompts and key indicators, and dropped files.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <map>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMimeData;
class QMenu;
class QMenuBar;
class QToolBar;
class QUndoGroup;

namespace vek {

class CVEKViewApp;
class CVEKViewView;
class CChildFrame;

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    // Menu configurations: no document, model input document active, engine
    // output document active.
    enum MenuId { IDR_MAINFRAME = 128, IDR_VEKVIETYPE = 129, IDR_VEKOUTTYPE = 130 };

    // Command ids of the menu items and tool buttons.
    enum CommandId {
        ID_FILE_NEW = 57600,
        ID_FILE_OPEN = 57601,
        ID_FILE_CLOSE = 57602,
        ID_FILE_SAVE = 57603,
        ID_FILE_SAVE_AS = 57604,
        ID_EDIT_UNDO = 57643,
        ID_EDIT_REDO = 57644,
        ID_FILE_MRU_FILE1 = 57616,
        ID_APP_EXIT = 57665,
        ID_APP_ABOUT = 57664,
        ID_HELP_FINDER = 57667,
        ID_VIEW_TOOLBAR = 59392,
        ID_VIEW_STATUS_BAR = 59393,
        ID_WINDOW_ARRANGE = 57649,
        ID_WINDOW_CASCADE = 57650,
        ID_WINDOW_TILE_HORZ = 57651,
        ID_IMPORT_WENDRA = 32771,
        ID_VEK_RUN = 32773,
        ID_EDIT_COPY_HIST = 32784,
        ID_EDIT_COPY_SYNTH = 32785,
        ID_EDIT_PASTE_HIST = 32786,
        ID_EDIT_PASTE_SYNTH = 32787,
        ID_IMPORT_OLD = 32798,
        ID_IMPORT_TAB = 32807,
        ID_PROPERTIES_TOOL = 32810,
        ID_PROPERTIES = 32811,
        ID_FILE_PRINT = 57607,
        ID_FILE_PRINT_PREVIEW = 57609,
        ID_FILE_EXPORT_EXCEL = 32820,
        ID_RESPONSE_METHOD = 32830,
        ID_RESPONSE_TABLES = 32831,
        ID_REACHES = 32832,
        ID_MAP = 32833,
        ID_UNCERTAINTY = 32834,
        ID_VIEW_COLORS_SYSTEM = 32840,
        ID_VIEW_COLORS_LIGHT = 32841,
        ID_VIEW_COLORS_DARK = 32842,
    };

    explicit CMainFrame(CVEKViewApp *app);
    ~CMainFrame() override;

    QMdiArea *mdiArea() const { return mdi_; }
    // Adds a document window, maximized like every child window.
    void addChild(CChildFrame *frame);
    CChildFrame *activeChild() const;

    // The menu configuration now shown.
    int currentMenu() const { return currentMenu_; }
    // The action of a command id (nullptr when there is none).
    QAction *action(int id) const;
    // Top-level menus by their title as shown ("&File", "&VEK", ...), in
    // menu bar order, visible ones only.
    QStringList visibleMenuTitles() const;
    // The Window menu (its list of windows is filled as it opens).
    QMenu *windowMenu() const { return windowMenu_; }
    // Text of the status bar's message pane now.
    QString statusText() const;

    // Opens the local files of a drop, as File Open would; returns how many
    // opened.
    int openDropped(const QMimeData *mime);

    // Re-evaluates menus, tool buttons and the title for the active window.
    void updateFrame();
    // Window > Tile: the document windows one above the other, each as wide
    // as the area.
    void tileWindows();

    // The undo stacks of the open model input documents; the active
    // document's stack drives Edit > Undo / Redo and their tool buttons.
    QUndoGroup *undoGroup() const { return undoGroup_; }
    // A confirmation in the status bar's message pane (for a few seconds).
    void showStatus(const QString &text);

  protected:
    void changeEvent(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void keyReleaseEvent(QKeyEvent *e) override;

  private:
    QAction *addCommand(QMenu *menu, int id, const QString &text, const QString &prompt, const QKeySequence &key = {});
    void buildMenus();
    void buildFileMenu(QMenuBar *mb);
    void buildVekMenu(QMenuBar *mb);
    void buildEditMenu(QMenuBar *mb);
    void buildViewAndWindowMenus(QMenuBar *mb);
    void buildColorsMenu();
    void buildHelpMenu(QMenuBar *mb);
    void buildToolBar();
    void buildStatusBar();
    void fillRecentFiles();
    // The Window menu's list: the document windows, then the graph windows.
    void fillWindowMenu();
    // A window's title as a list shows it: the modified mark as a star.
    static QString shownTitle(const QWidget *w);
    void updateIndicators();
    CVEKViewView *activeFormView() const;

    CVEKViewApp *app_;
    QMdiArea *mdi_ = nullptr;
    QToolBar *toolBar_ = nullptr;
    QAction *saveTool_ = nullptr;
    QUndoGroup *undoGroup_ = nullptr;
    QMenu *fileMenu_ = nullptr;
    QMenu *vekMenu_ = nullptr;
    QMenu *editMenu_ = nullptr;
    QMenu *viewMenu_ = nullptr;
    QMenu *windowMenu_ = nullptr;
    QMenu *helpMenu_ = nullptr;
    QAction *printSeparator_ = nullptr;
    QAction *recentSeparator_ = nullptr;
    QAction *exitSeparator_ = nullptr;
    QList<QAction *> recentActions_;
    QList<QAction *> windowListActions_;
    QLabel *idleLabel_ = nullptr;
    QLabel *capLabel_ = nullptr;
    QLabel *numLabel_ = nullptr;
    QLabel *scrlLabel_ = nullptr;
    std::map<int, QAction *> actions_;
    int currentMenu_ = IDR_MAINFRAME;
    // The title updateFrame gave this window ("VEKView - name").
    QString title_ = QStringLiteral("VEKView");
    bool capsOn_ = false, numOn_ = false, scrollOn_ = false;
};

} // namespace vek
