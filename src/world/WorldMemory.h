#pragma once
// The one bound on what the world's objects, classes and tile maps hold
// together, whoever makes them: levels, class definitions, scripts or the
// server. A level of a few
// megabytes could otherwise make millions of objects, each with a script
// module, a body, a scene node and a copy of its class's attributes, or
// hundreds of maps of 4096 x 4096 tiles.

#include <cstddef>

#include "base/MemoryBound.h"
#include "base/ustring16.h"

namespace orv {

class CAttributeList;
struct SAttribute;

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
//! What an attribute counts besides its name and text: the record, its
//! entries in the list's maps by id and by name.
constexpr std::size_t WORLD_ATTRIBUTE_BYTES = 256;

//! What one attribute of a list holds, whoever made it: the record and the
//! characters of its name and of its text. Levels, scripts and the server
//! measure attributes by this one measure.
std::size_t attributeHeldBytes(const irr::core::ustring16& name, const irr::core::ustring16& text);
std::size_t attributeHeldBytes(const SAttribute& attribute);
//! What a copy of the list holds (CAttributeList::copyFrom): its attributes
//! of a valid type.
std::size_t attributeCopyBytes(const CAttributeList& list);

//! The bound objects and tile maps take their bytes from.
CMemoryBound& getWorldMemory();

//! The line, once a game, that the world holds all it may; `what` names what
//! was refused.
void reportWorldMemoryFull(const char* what);

} // namespace orv
