#pragma once

#include <ILogger.h>

namespace orv {

//! Where the world's records (attributes, physics) log: the logger set here,
//! else the application's logger (from the source below) while there is one,
//! else nowhere. Tests set their own; the program sets none.
void setWorldLogger(irr::ILogger* logger);
irr::ILogger* getWorldLogger();

//! The application's logger, or null while it has none.
typedef irr::ILogger* (*WorldLoggerSource)();
//! Installed by the application; asked afresh for every line, since its
//! logger comes and goes with its device.
void setWorldLoggerSource(WorldLoggerSource source);

//! Logs one line: the channel word is the logger's text, the message its hint.
void logWorld(const char* channel, const char* message, irr::ELOG_LEVEL level);

} // namespace orv
