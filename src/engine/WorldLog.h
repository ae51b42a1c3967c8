#ifndef ORV_ENGINE_WORLD_LOG_H
#define ORV_ENGINE_WORLD_LOG_H

#include <ILogger.h>

namespace orv {

//! Where the world's records (attributes, physics) log: the logger set here,
//! else the engine device's logger while there is one, else nowhere. Tests set
//! their own; the program sets none.
void setWorldLogger(irr::ILogger* logger);
irr::ILogger* getWorldLogger();

//! Logs one line: the channel word is the logger's text, the message its hint.
void logWorld(const char* channel, const char* message, irr::ELOG_LEVEL level);

} // namespace orv

#endif
