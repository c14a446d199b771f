#include "datalist/sharedstate.h"

namespace nubivu {

std::int32_t CurrentRow = 0;
SlotPaths CurrentPaths;
SlotPaths LastPaths;
QString DataFileName;
QString BaseCaption;
bool DataSaved = true;
bool KeepRowOnActivate = false;
bool StopRequested = false;
std::int32_t ScreenWidth = 0;
double ScaleFactor = 1.0;
QSize ScreenArea;

void ResetSharedState() {
    CurrentRow = 0;
    CurrentPaths = {};
    LastPaths = {};
    DataFileName.clear();
    BaseCaption.clear();
    DataSaved = true;
    KeepRowOnActivate = false;
    StopRequested = false;
    ScreenWidth = 0;
    ScaleFactor = 1.0;
    ScreenArea = QSize();
}

} // namespace nubivu
