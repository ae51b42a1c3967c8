#pragma once

#include <cstddef>

#include <dimension2d.h>
#include <irrArray.h>
#include <irrTypes.h>

#include "base/ustring16.h"
#include "scene/TextureLayout.h"

namespace irr {
class IrrlichtDevice;
namespace video {
class IImage;
class ITexture;
} // namespace video
} // namespace irr

namespace orv {

//! The kinds of image, as the engine's image lookup numbers them.
enum EImageType
{
	EIT_BASE = 0,
	EIT_STATIC = 1,
	EIT_TILED = 2
};

//! A named picture the world draws, held as one or more textures the video
//! driver can take (a grid of pieces when the picture is larger than the
//! driver's largest texture).
/** Not reference counted: the engine's image cache owns every image and
    deletes it at teardown. The device is borrowed and must outlive the image. */
class CImage
{
public:
	CImage(irr::IrrlichtDevice* device, const irr::core::ustring16& name);
	//! Removes the image's textures from the driver.
	virtual ~CImage();
	CImage(const CImage&) = delete;
	CImage& operator=(const CImage&) = delete;

	virtual EImageType getType() const { return EIT_BASE; }
	//! The whole picture as a new image the caller drops, or null.
	virtual irr::video::IImage* compose() = 0;

	irr::core::ustring16 getName() const { return Name; }

	//! Composes the picture and replaces the textures by new ones cut from it,
	//! then tells the consumers of kind 1 the image's name. A picture that
	//! cannot be composed, is too large, does not fit the bound of all images
	//! (ImageMemory.h), or whose textures the driver refuses changes nothing
	//! and tells nobody; the result says which.
	bool createTextures();
	//! The same for a driver that accepts less than it reports (and for
	//! callers that want smaller pieces): what neither the limits nor the
	//! driver accept is not used.
	bool createTextures(const STextureLimits& limits);

	//! Row-major, top row first.
	const irr::core::array<irr::video::ITexture*>& getTextures() const { return Textures; }
	//! The texture of a piece; null for an index past the pieces.
	irr::video::ITexture* getTexture(irr::u32 index) const;
	const irr::core::dimension2du& getSize() const { return Size; }
	const irr::core::dimension2du& getPieceSize() const { return PieceSize; }
	irr::u16 getPieceColumns() const { return PieceColumns; }
	irr::u16 getPieceRows() const { return PieceRows; }

protected:
	irr::IrrlichtDevice* getDevice() const { return Device; }
	void setSize(const irr::core::dimension2du& size) { Size = size; }
	//! One warning line on "core" naming the image.
	void warn(const char* what) const;
	//! Bytes a picture may still take from the bound of all images: what
	//! compose decodes must fit it before it is decoded.
	irr::u64 getPictureRoom() const;
	//! The bound's line, once a game, naming this image.
	void reportPicturesFull() const;

private:
	void removeTextures(irr::core::array<irr::video::ITexture*>& textures);

	irr::IrrlichtDevice* Device;
	irr::core::ustring16 Name;
	irr::core::array<irr::video::ITexture*> Textures;
	irr::core::dimension2du Size;
	irr::core::dimension2du PieceSize;
	irr::u16 PieceColumns = 0;
	irr::u16 PieceRows = 0;
	// What the textures hold, taken from the bound of all images.
	std::size_t TextureBytes = 0;
};

} // namespace orv
