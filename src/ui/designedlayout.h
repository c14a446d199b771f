#pragma once
// The controls of a designed window with their designed geometry, so that
// the window can scale them all to the screen, each by the rule of its kind.
#include "ui/scaling.h"

#include <QRect>
#include <QWidget>
#include <vector>

namespace nubivu {

class DesignedLayout {
public:
    // Names the widget, puts it at its designed place and remembers it.
    template <class W> W* place(W* widget, const char* name, QRect designed, ScaleKind kind) {
        widget->setObjectName(QLatin1String(name));
        widget->setGeometry(designed);
        placed_.push_back({widget, designed, kind});
        return widget;
    }

    // Every control from its designed geometry, the last placed first.
    void apply(double scaleFactor) const {
        for (auto it = placed_.rbegin(); it != placed_.rend(); ++it)
            it->widget->setGeometry(scaledGeometry(it->designed, it->kind, scaleFactor));
    }

private:
    struct Placed {
        QWidget* widget;
        QRect designed;
        ScaleKind kind;
    };
    std::vector<Placed> placed_;
};

} // namespace nubivu
