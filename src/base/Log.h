#pragma once
// The application's log, for code that has no logger of its own to hand:
// the records of the world, the readers of content, the bounds that refuse
// input. The engine installs its device's logger as the source.

#include <ILogger.h>

namespace orv {

//! The logger set here, else the application's logger (from the source
//! below) while there is one, else nowhere. Tests set their own; the program
//! sets none.
void setLogger(irr::ILogger* logger);
irr::ILogger* getLogger();

//! The application's logger, or null while it has none.
typedef irr::ILogger* (*LoggerSource)();
//! Installed by the application; asked afresh for every line, since its
//! logger comes and goes with its device.
void setLoggerSource(LoggerSource source);

//! Logs one line: the channel word is the logger's text, the message its hint.
void logLine(const char* channel, const char* message, irr::ELOG_LEVEL level);

} // namespace orv
