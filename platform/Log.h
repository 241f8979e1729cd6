#pragma once

#include <QLoggingCategory>

// What the program can tell about itself for a bug report. Silent unless switched
// on, e.g. QT_LOGGING_RULES="kx.*=true" KX_Display:
//   kx.serial   opening, closing and losing the port, refusals, line errors
//   kx.store    the stored settings read at start and written by OK
//   kx.capture  session captures started, ended and failed
Q_DECLARE_LOGGING_CATEGORY(lcSerial)
Q_DECLARE_LOGGING_CATEGORY(lcStore)
Q_DECLARE_LOGGING_CATEGORY(lcCapture)
