#pragma once
// The engine keeps the names of content it could not have, so that a name
// that failed is not looked for again: a missing file costs a walk of the
// disk, folder by folder ignoring case (ContentPath.h), and a broken one a
// read and a line. A script may ask for millions of names that are nowhere:
// each kind keeps at most MAX_CONTENT_MISSES of them, and past that a name
// it does not know yet is not looked for at all, with one line a game.

#include <cstddef>

#include "base/ustring16.h"

namespace orv {

//! Names of one kind that failed, kept at most.
const std::size_t MAX_CONTENT_MISSES = 4096;
//! UTF-16 units of a name that may be looked for: longer ones name no file.
const std::size_t MAX_CONTENT_NAME_UNITS = 4096;

class CContentMisses
{
public:
	//! `what` names the kind in the line ("pictures").
	explicit CContentMisses(const char* what) : What(what) {}

	//! Whether a name the cache does not know may be looked for: short
	//! enough to name a file, with room to keep it should it fail.
	bool mayLookFor(const irr::core::ustring16& name) const;
	//! A name that was looked for and failed is kept.
	void missed() { ++Misses; }
	//! A name counted by missed() was had after all.
	void found()
	{
		if (Misses > 0)
			--Misses;
	}
	//! The cache let go of every name.
	void clear() { Misses = 0; }
	std::size_t count() const { return Misses; }

private:
	const char* What;
	std::size_t Misses = 0;
};

} // namespace orv
