#pragma once
// "nubivu --make-lesson OUT.NV2 cloud=DIR map=DIR rain=DIR [north=DIR ...]
// [--lead SLOT] [--force]": the lesson from picture folders written as a data
// list file, without a display, for a script that makes the day's lesson.
// Bad input gives one line on stderr and exit code 2, and nothing is written.
#include <QStringList>

namespace nubivu {

// arguments: those after "--make-lesson".
int runMakeLesson(int argc, char** argv, const QStringList& arguments);

} // namespace nubivu
