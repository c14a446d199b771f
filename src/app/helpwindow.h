#pragma once
// The program's help: HTML pages in the help folder beside the program,
// answering the three commands of the Help menu.
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace nubivu {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    static HelpWindow& instance();
    static void setHelpFolder(const QString& folder);
    static QString helpFolder();

    void showContents();
    // The index of topics, filtered by key (empty: all of them).
    void showIndex(const QString& key);
    void showHelpOnHelp();

    QTextBrowser* browser() const { return browser_; }
    QListWidget* indexList() const { return index_; }

private:
    // Set at start, before the window is first wanted; one for the program.
    static QString& folderSlot();

    HelpWindow();
    bool showPage(const QString& page);
    void placeOnScreen();
    void loadIndex();
    void filterIndex(const QString& key);

    QTextBrowser* browser_;
    QLineEdit* search_;
    QListWidget* index_;
    bool placed_ = false;
};

} // namespace nubivu
