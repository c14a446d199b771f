#pragma once
// The four sky photos of the row on show, laid out like a compass rose:
// north at the top, west left, east right, south at the bottom.
#include "ui/designedlayout.h"

#include <QSize>
#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace nubivu {

class TImage;
class TitleEditor;

class TfrmKansokuti : public QWidget {
    Q_OBJECT
public:
    // Reads ScreenWidth and ScaleFactor, which the main window sets first.
    explicit TfrmKansokuti(QWidget* parent = nullptr);

    TImage* ImgNorth;
    TImage* ImgWest;
    TImage* ImgEast;
    TImage* ImgSouth;
    QPushButton* BitBtn1;
    QLabel* lblNorth;
    QLabel* lblWest;
    QLabel* lblSouth;
    QLabel* lblEast;
    QLineEdit* edtNorthTitle;
    QLineEdit* edtSouthTitle;
    QLineEdit* edtWestTitle;
    QLineEdit* edtEastTitle;

    // The outer size the scaling chose.
    QSize DesignedOuterSize() const { return outerSize_; }

    // The main window's sky-photo button: loads the four sky paths of the
    // row on show (each failure empties only its pane), shows the window in
    // front and asks the main window to keep its row on the next activation.
    void ShowSkyPhotos();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void fitLabels();

    DesignedLayout layout_;
    QSize outerSize_;
    std::array<TitleEditor*, 4> titleEditors_{};
};

} // namespace nubivu
