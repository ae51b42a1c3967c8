#include "net/ServerBounds.h"

#include "base/Refusal.h"
#include "world/ShapeBounds.h"

namespace orv {
namespace net {

namespace {

struct SBound
{
	//! The refusal kind, one line each until the next connection.
	const char* kind;
	std::size_t limit;
	//! What the limit counts, after "more than N".
	const char* unit;
};

const SBound Bounds[ESB_COUNT] = {
	{"net: objects", 32768, "objects"},
	{"net: classes", 4096, "classes"},
	{"net: class attributes", 1024, "attributes in one class"},
	{"net: object attributes", 64u << 20, "bytes of class attributes on the server's objects"},
	{"net: server attributes", 4096, "server attributes"},
	{"net: names", 256, "bytes in a name"},
	{"net: text values", 64u << 10, "bytes in a text value"},
	{"net: texts held", 32u << 20, "bytes of text values"},
	{"net: shapes per object", MAX_SHAPES_PER_OBJECT, "collision shapes on one object"},
	{"net: shapes", MAX_WORLD_SHAPES, "collision shapes"},
	{"net: stacked shapes", MAX_STACKED_SHAPES, "collision shapes of other objects in one place"},
	{"net: script code", 1u << 20, "bytes in one piece of script code"},
	{"net: object scripts", 1024, "objects with script code of their own"},
	{"net: scripts held", 4u << 20, "bytes of script code"},
	{"net: values in a packet", 4096, "values in one packet"},
};

} // namespace

std::size_t serverBound(EServerBound bound)
{
	return Bounds[bound].limit;
}

bool admit(EServerBound bound, std::size_t held, std::size_t adding, const std::string& refused)
{
	const SBound& b = Bounds[bound];
	if (held <= b.limit && adding <= b.limit - held)
		return true;
	reportRefusalOnce(
		"net", b.kind, "Refused " + refused + ": more than " + std::to_string(b.limit) + " " + b.unit + ".");
	return false;
}

} // namespace net
} // namespace orv
