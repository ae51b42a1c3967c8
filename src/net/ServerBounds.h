#pragma once
// How much a server may make the client create or hold, kind by kind. Each
// bound lies far beyond what a game needs and keeps the kind's memory within
// a share of a gigabyte; together they hold a hostile server's session near
// 1 GiB. A packet that would pass one is refused whole, with one "net" line
// for the kind until the next connection (base/Refusal.h), and the session
// goes on. The file transfers carry bounds of their own (CFileTransfers.h).

#include <cstddef>
#include <string>

namespace orv {
namespace net {

enum EServerBound
{
	//! Scene objects registered, whoever made them: about 5 KiB each.
	ESB_OBJECTS,
	ESB_CLASSES,
	ESB_CLASS_ATTRIBUTES,
	//! Bytes of the class attributes the server's objects copied from their classes (an estimate:
	//! heldBy in CServerHoldings).
	ESB_OBJECT_ATTRIBUTE_BYTES,
	ESB_SERVER_ATTRIBUTES,
	//! Bytes of a class name or an attribute name: every object of the class copies its names.
	ESB_NAME_BYTES,
	//! Bytes of one text value on the wire.
	ESB_TEXT_BYTES,
	//! Bytes of the text values the server set, on its objects and its server attributes.
	ESB_TEXTS_HELD_BYTES,
	//! The shape bounds are the world's, whoever adds the shapes (world/ShapeBounds.h).
	ESB_SHAPES_PER_OBJECT,
	ESB_SHAPES,
	ESB_STACKED_SHAPES,
	//! Bytes of one piece of script code.
	ESB_SCRIPT_BYTES,
	//! Objects with script code of their own; each module costs about 10 KiB built.
	ESB_OBJECT_SCRIPTS,
	//! Bytes of the script code the modules hold: built code takes about 50 times its text.
	ESB_SCRIPTS_HELD_BYTES,
	//! Values one attribute-change packet sets: each is logged, and a packet is handled whole.
	ESB_PACKET_VALUES,
	ESB_COUNT
};

//! The bound of that kind.
std::size_t serverBound(EServerBound bound);

//! Whether `held` plus `adding` stays within the bound. When it does not, the refusal of
//! `refused` (the packet's subject: "object (5)", "class attribute hp of class ball") is
//! reported on "net", once for each kind until the next connection.
bool admit(EServerBound bound, std::size_t held, std::size_t adding, const std::string& refused);

} // namespace net
} // namespace orv
