// The help window (see help_window.h).
#include "editor/help_window.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// The help pages live in a static library: make sure they are registered.
static void initHelpResources() { Q_INIT_RESOURCE(help); }

namespace vek {

namespace {
QPointer<HelpWindow> g_help;

QString pagePath(const QString &topic) { return QStringLiteral(":/help/%1.html").arg(topic); }
} // namespace

HelpWindow::HelpWindow(QWidget *parent) : QWidget(parent, Qt::Window) {
    initHelpResources();
    setWindowTitle(QStringLiteral("VEKView Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    browser_ = new QTextBrowser(this);
    browser_->setOpenExternalLinks(false);
    browser_->setSearchPaths({QStringLiteral(":/help")});
    auto *contents = new QPushButton(QStringLiteral("Contents"), this);
    auto *back = new QPushButton(QStringLiteral("Back"), this);
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    connect(contents, &QPushButton::clicked, this, [this] { open(QStringLiteral("index")); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    // Escape closes the help, as it closes a dialog.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *lay = new QVBoxLayout(this);
    lay->addLayout(buttons);
    lay->addWidget(browser_);
    resize(640, 560);
}

bool HelpWindow::hasTopic(const QString &topic) {
    initHelpResources();
    return !topic.isEmpty() && QFile::exists(pagePath(topic));
}

QString HelpWindow::topicForContext(int context) {
    switch (context) {
    case 123:
        return QStringLiteral("pumping_record");
    case 400:
        return QStringLiteral("output_view");
    default:
        return QStringLiteral("index");
    }
}

void HelpWindow::open(const QString &topic) {
    topic_ = hasTopic(topic) ? topic : QStringLiteral("index");
    browser_->setSource(QUrl(QStringLiteral("qrc") + pagePath(topic_)));
}

HelpWindow *HelpWindow::instance() { return g_help.data(); }

HelpWindow *HelpWindow::showTopic(const QString &topic) {
    if (!g_help) g_help = new HelpWindow;
    g_help->open(topic);
    g_help->show();
    g_help->raise();
    g_help->activateWindow();
    return g_help.data();
}

} // namespace vek
