#pragma once
// The four sky photos of the row on show, laid out like a compass rose:
// north at the top, west left, east right, south at the bottom.
#include "datalist/imageslot.h"
#include "ui/designedlayout.h"
#include "ui/scaling.h"

#include <QSize>
#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace nubivu {

class FormatRegistry;
class Lesson;
class PicturePane;
class Prompter;
class TitleEditor;

class SkyWindow : public QWidget {
    Q_OBJECT
public:
    // Shows the lesson's four sky titles; scaled once to the screen. Loads
    // its pictures through formats, which must outlive it. A picture that
    // fails while painting is reported through prompter.
    SkyWindow(Lesson& lesson, const FormatRegistry& formats, const ScreenMetrics& screen,
              Prompter& prompter, QWidget* parent = nullptr);

    // The outer size the scaling chose.
    QSize designedOuterSize() const { return outerSize_; }

    // The main window's sky-photo button: loads the four sky paths of the
    // row on show (each failure empties only its pane) and shows the window
    // in front.
    void showSkyPhotos(const SlotPaths& rowPaths);

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // The designed controls; each keeps its designed name as object name.
    PicturePane* northPane_;
    PicturePane* westPane_;
    PicturePane* eastPane_;
    PicturePane* southPane_;
    QPushButton* closeButton_;
    QLabel* northTitleLabel_;
    QLabel* westTitleLabel_;
    QLabel* southTitleLabel_;
    QLabel* eastTitleLabel_;
    QLineEdit* northTitleEdit_;
    QLineEdit* southTitleEdit_;
    QLineEdit* westTitleEdit_;
    QLineEdit* eastTitleEdit_;

    void createControls(const ScreenMetrics& screen);
    void fitLabels();

    Lesson& lesson_;
    const FormatRegistry& formats_;
    DesignedLayout layout_;
    QSize outerSize_;
    std::array<TitleEditor*, 4> titleEditors_{};
};

} // namespace nubivu
