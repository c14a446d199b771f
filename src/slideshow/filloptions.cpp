#include "slideshow/filloptions.h"

namespace nubivu {

FillOptions& CurrentFillOptions() {
    static FillOptions options;
    return options;
}

} // namespace nubivu
