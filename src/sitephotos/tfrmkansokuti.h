#pragma once
// The four sky photos of the row on show, laid out like a compass rose.
#include <QWidget>

namespace nubivu {

class TfrmKansokuti : public QWidget {
    Q_OBJECT
public:
    explicit TfrmKansokuti(QWidget* parent = nullptr);
};

} // namespace nubivu
