#include "core/errors.h"

namespace nubivu {

ENubivuError::ENubivuError(QString message)
    : message_(std::move(message)), utf8_(message_.toUtf8()) {}

} // namespace nubivu
