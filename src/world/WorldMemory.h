#pragma once
// The one bound on what the world's objects, classes and tile maps hold
// together, whoever makes them: levels, class definitions, scripts or the
// server. A level of a few
// megabytes could otherwise make millions of objects, each with a script
// module, a body, a scene node and a copy of its class's attributes, or
// hundreds of maps of 4096 x 4096 tiles.

#include <cstddef>

#include "base/MemoryBound.h"

namespace orv {

//! Bytes all objects, classes and tile maps may hold together: 65536 plain
//! objects and classes, room above the server's own bounds of objects and
//! classes (net/ServerBounds.cpp).
constexpr std::size_t DEFAULT_WORLD_MEMORY_LIMIT = std::size_t(512) << 20;
//! What an object counts for itself: with its script module, body and scene
//! node it holds about this much (a level of 65536 plain objects takes
//! 440 MiB).
constexpr std::size_t WORLD_OBJECT_BYTES = 8192;
//! What a class counts: it has a script module as an object does, and the
//! script engine finds modules by name one after another.
constexpr std::size_t WORLD_CLASS_BYTES = WORLD_OBJECT_BYTES;
//! What an object counts for each attribute it copies from its class.
constexpr std::size_t WORLD_ATTRIBUTE_BYTES = 256;

//! The bound objects and tile maps take their bytes from.
CMemoryBound& getWorldMemory();

//! The line, once a game, that the world holds all it may; `what` names what
//! was refused.
void reportWorldMemoryFull(const char* what);

} // namespace orv
