#include "base/log.h"

Q_LOGGING_CATEGORY(lcQ9, "q9plemo", QtInfoMsg)
