#ifndef ORV_ENGINE_WORLD_LOG_H
#define ORV_ENGINE_WORLD_LOG_H

#include <ILogger.h>

namespace orv {

//! The logger of the world's records (attributes, physics), which live below the
//! engine and so cannot reach its device. Engine start-up installs the device's
//! logger; until then, and in tests that install none, messages go nowhere.
void setWorldLogger(irr::ILogger* logger);
irr::ILogger* getWorldLogger();

//! Logs one line: the channel word is the logger's text, the message its hint.
void logWorld(const char* channel, const char* message, irr::ELOG_LEVEL level);

} // namespace orv

#endif
