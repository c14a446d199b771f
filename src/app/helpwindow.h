#pragma once
// The program's help: HTML pages in the help folder beside the program,
// answering the three commands of the Help menu. The application owns one
// beside its other windows.
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace nubivu {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    // Shows the pages in folder.
    explicit HelpWindow(const QString& folder);

    void showContents();
    // The index of topics, filtered by key (empty: all of them).
    void showIndex(const QString& key);
    void showHelpOnHelp();

    QTextBrowser* browser() const { return browser_; }
    QListWidget* indexList() const { return index_; }

private:
    bool showPage(const QString& page);
    void placeOnScreen();
    void loadIndex();
    void filterIndex(const QString& key);

    QTextBrowser* browser_;
    QLineEdit* search_;
    QListWidget* index_;
    const QString folder_;
    bool placed_ = false;
};

} // namespace nubivu
