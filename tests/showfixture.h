#pragma once
// Starts the program's windows on a list of rows whose pictures the test makes.
#include "app/forms.h"
#include "app/tfrmnubivumain.h"
#include "datalist/sharedstate.h"
#include "editor/tfrmdataedit.h"
#include "testpictures.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace nubivu::test {

class ShowFixture {
public:
    // A picture file in the fixture folder; its width tells it apart.
    QString Pic(const QString& name, int width) {
        return WriteTestPicture(dir_.filePath(name), width);
    }
    QString Path(const QString& name) const { return dir_.filePath(name); }

    // Fresh windows on a 1024-pixel screen, the rows in the list, the main
    // window shown and active (so its activation has shown row 1).
    static bool Start(const std::vector<SlotPaths>& rows) {
        Fresh();
        SetRows(frmDataEdit->List(), rows);
        frmNubivuMain->show();
        return Activate(frmNubivuMain);
    }

    // The windows as at program start, on a screen this wide (and, when
    // given, with this much room for windows).
    static void Fresh(int screenWidth = 1024, QSize screenArea = {}) {
        DestroyForms();
        ResetSharedState();
        CreateForms(screenWidth, screenArea);
    }

    static bool Activate(QWidget* window) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
        return QTest::qWaitForWindowActive(window);
    }

private:
    QTemporaryDir dir_;
    TestPictureFormat format_;
};

} // namespace nubivu::test
