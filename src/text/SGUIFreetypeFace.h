#pragma once
// The process's one FreeType library and the faces every font of one file
// shares. A face opens with the first font of its file name (the name as
// given: two paths to one file are two faces) and closes with the last; the
// library opens with the first font and closes when no face is left.

#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <IReferenceCounted.h>
#include <path.h>

namespace irr {
namespace gui {

//! One FreeType face; each font using it holds one reference.
struct SGUIFreetypeFace : public virtual IReferenceCounted
{
	FT_Face Face = 0;
	//! The file's bytes when it was read through the file system: FreeType
	//! reads them for as long as the face lives.
	std::vector<FT_Byte> FileBytes;
	//! The pixel size the face is set to (0: none yet). Fonts of several sizes
	//! share the face, so each sets its own size before it asks FreeType.
	u32 PixelSize = 0;

	~SGUIFreetypeFace() override;
};

//! The library, opened when it is not; null when FreeType does not start.
FT_Library openFreetypeLibrary();
bool isFreetypeLibraryOpen();

//! The face shared under a file name, null when there is none.
SGUIFreetypeFace* findSharedFace(const io::path& fileName);
//! Shares a new face (its first reference is the opening font's).
void addSharedFace(const io::path& fileName, SGUIFreetypeFace* face);
//! Takes a face out of sharing without dropping it.
void removeSharedFace(const io::path& fileName);
//! Drops one font's reference to the face of a file name; the last takes the
//! face out of sharing. Closes the library when no face is left.
void releaseSharedFace(const io::path& fileName);
//! Closes the library when no face is shared.
void closeFreetypeLibraryWhenUnused();
u32 getSharedFaceCount();

//! Sets the face to a pixel size in both directions unless it is set so.
bool setFacePixelSize(SGUIFreetypeFace& face, u32 pixelSize);

} // namespace gui
} // namespace irr
