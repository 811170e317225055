// HelpWindow: the program's HTML help, bundled as a resource and shown in one
// shared browser window. Topics are the page names under :/help.
#pragma once

#include <QString>
#include <QWidget>

class QTextBrowser;

namespace vek {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    // Opens (or raises) the help window on a topic; an unknown topic shows
    // the contents page.
    static HelpWindow *showTopic(const QString &topic = QStringLiteral("index"));
    // The window if it has been opened, else nullptr.
    static HelpWindow *instance();
    // Topic of a numbered help context (123: the pumping record dialog).
    static QString topicForContext(int context);
    // Whether the bundle holds a page for the topic.
    static bool hasTopic(const QString &topic);

    QString currentTopic() const { return topic_; }
    QTextBrowser *browser() const { return browser_; }

  private:
    explicit HelpWindow(QWidget *parent = nullptr);
    void open(const QString &topic);

    QTextBrowser *browser_;
    QString topic_;
};

} // namespace vek
