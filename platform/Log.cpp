#include "platform/Log.h"

// Warnings show as always; everything else only when asked for.
Q_LOGGING_CATEGORY(lcSerial, "kx.serial", QtWarningMsg)
Q_LOGGING_CATEGORY(lcStore, "kx.store", QtWarningMsg)
Q_LOGGING_CATEGORY(lcCapture, "kx.capture", QtWarningMsg)
