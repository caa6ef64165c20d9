#pragma once

// Log call sites. A file that logs names its source once, as the log records
// show it:
//     namespace { constexpr const char* kLogFile =
//     "Drawlume___Bluetooth_Agent/TabletDeviceManager"; }
// and each call names its function in the form the records use:
//     DDLogInfo("start()", "HID Manager opened");
//     DDLogError("open()", strf("Failed with %d", code));
// The text expression is evaluated only when the process-wide level admits the
// flag, so a dropped line builds no text and allocates nothing.

#include "logging/DDLog.hpp"
#include "logging/DDLogFlag.hpp"
#include "util/TextFormat.hpp"

#define DD_LOG_CALL(flagValue, functionName, text)                                             \
    do {                                                                                       \
        if ((::drawlume::ddLogLevel() & (flagValue)) != 0) {                                   \
            ::drawlume::DDLog::logAt((flagValue), kLogFile, (functionName), __LINE__, (text)); \
        }                                                                                      \
    } while (false)

#define DDLogError(functionName, text) DD_LOG_CALL(::drawlume::DDLogFlagError, functionName, text)
#define DDLogWarn(functionName, text) DD_LOG_CALL(::drawlume::DDLogFlagWarning, functionName, text)
#define DDLogInfo(functionName, text) DD_LOG_CALL(::drawlume::DDLogFlagInfo, functionName, text)
#define DDLogDebug(functionName, text) DD_LOG_CALL(::drawlume::DDLogFlagDebug, functionName, text)
#define DDLogVerbose(functionName, text) \
    DD_LOG_CALL(::drawlume::DDLogFlagVerbose, functionName, text)
