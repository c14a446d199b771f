#pragma once
// The program's windows for a screen of a given width, holding a list of
// rows of three picture files, played through the main window as a user
// plays them.
#include "app/singleinstance.h"
#include "app/systemsound.h"
#include "ui/prompter.h"

#include <QSize>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

namespace nubivu {
class LessonWindows;
class MainWindow;
class SlideShow;
} // namespace nubivu

namespace playbench {

// The cloud photo, weather map and rain map of one row.
using RowFiles = std::array<QString, 3>;

class LessonPlayer {
public:
    explicit LessonPlayer(int screenWidth);
    ~LessonPlayer();

    // A list of count rows taken from files in turn, starting again at the
    // first after the last; row 1 is then on show.
    void setRows(const std::vector<RowFiles>& files, int count);
    int rowCount() const;
    // The size a main pane shows its picture at.
    QSize paneSize() const;

    // From row 1 to the last row as fast as the pictures load; the
    // milliseconds from the press of play to its end.
    double playToEnd();

    nubivu::MainWindow& window() const;
    nubivu::SlideShow& show() const;

private:
    // What the program's application hands its windows, outliving them.
    nubivu::WidgetPrompter prompter_;
    nubivu::CanberraSound sound_;
    nubivu::ThisCopy thisCopy_;
    std::unique_ptr<nubivu::LessonWindows> windows_;
};

} // namespace playbench
