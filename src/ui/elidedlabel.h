#pragma once
// A one-line label that shows a text too long for it cut with "…", and the
// whole text as its tooltip. text() stays the whole text: the pane titles
// have no other copy.
#include <QLabel>

namespace nubivu {

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    // The text as it fits the label now.
    QString shownText() const;
    bool isElided() const { return shownText() != text(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
};

} // namespace nubivu
