#pragma once
// The data list editor window. It owns the one data list of the program,
// whether it is shown or not.
#include "datalist/datalist.h"

#include <QWidget>

namespace nubivu {

class TfrmDataEdit : public QWidget {
    Q_OBJECT
public:
    explicit TfrmDataEdit(QWidget* parent = nullptr);

    DataList& List() { return list_; }

private:
    DataList list_;
};

} // namespace nubivu
