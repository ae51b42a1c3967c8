#include "text/SGUIFreetypeFace.h"

#include <map>

namespace irr {
namespace gui {

namespace {

// Fonts live on the main thread only; nothing here is locked.
FT_Library FreeTypeLibrary = 0;
bool FreeTypeLoaded = false;
std::map<io::path, SGUIFreetypeFace*> SharedFaces;

} // namespace

SGUIFreetypeFace::~SGUIFreetypeFace()
{
	if (Face)
		FT_Done_Face(Face);
}

FT_Library openFreetypeLibrary()
{
	if (!FreeTypeLoaded)
	{
		if (FT_Init_FreeType(&FreeTypeLibrary) != 0)
			return 0;
		FreeTypeLoaded = true;
	}
	return FreeTypeLibrary;
}

bool isFreetypeLibraryOpen()
{
	return FreeTypeLoaded;
}

SGUIFreetypeFace* findSharedFace(const io::path& fileName)
{
	const auto found = SharedFaces.find(fileName);
	return found == SharedFaces.end() ? 0 : found->second;
}

void addSharedFace(const io::path& fileName, SGUIFreetypeFace* face)
{
	SharedFaces[fileName] = face;
}

void removeSharedFace(const io::path& fileName)
{
	SharedFaces.erase(fileName);
}

void releaseSharedFace(const io::path& fileName)
{
	const auto found = SharedFaces.find(fileName);
	if (found != SharedFaces.end() && found->second->drop())
		SharedFaces.erase(found);
	closeFreetypeLibraryWhenUnused();
}

void closeFreetypeLibraryWhenUnused()
{
	if (!SharedFaces.empty() || !FreeTypeLoaded)
		return;
	FT_Done_FreeType(FreeTypeLibrary);
	FreeTypeLibrary = 0;
	FreeTypeLoaded = false;
}

u32 getSharedFaceCount()
{
	return static_cast<u32>(SharedFaces.size());
}

bool setFacePixelSize(SGUIFreetypeFace& face, u32 pixelSize)
{
	if (face.PixelSize == pixelSize)
		return true;
	if (FT_Set_Pixel_Sizes(face.Face, pixelSize, pixelSize) != 0)
		return false;
	face.PixelSize = pixelSize;
	return true;
}

} // namespace gui
} // namespace irr
