#pragma once
// Why a file in a plug-in folder could not be loaded, in words a user can
// act on: a file that is no library, a Windows plug-in, a library built for
// another computer, a library it needs that is missing.
#include <QString>

namespace nubivu {

// path: the file; loaderError: the system loader's own message for it.
QString describeLoadFailure(const QString& path, const QString& loaderError);

} // namespace nubivu
