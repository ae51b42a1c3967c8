#include "scene/CImage.h"

#include <IImage.h>
#include <ILogger.h>
#include <IVideoDriver.h>
#include <IrrlichtDevice.h>

#include "base/Refusal.h"
#include "base/packet.h"
#include "scene/ISceneHost.h"
#include "scene/picture/ImageSizeGuard.h"
#include "scene/picture/PictureCopy.h"
#include "scene/TextureLayout.h"
#include "world/CConsumerRegistry.h"

namespace orv {

using irr::video::IImage;
using irr::video::ITexture;

namespace {

STextureLimits driverLimits(irr::video::IVideoDriver* driver)
{
	STextureLimits limits;
	limits.NonPowerOfTwo = driver->queryFeature(irr::video::EVDF_TEXTURE_NPOT);
	limits.NonSquare = driver->queryFeature(irr::video::EVDF_TEXTURE_NSQUARE);
	// The width stands for both edges; 0 is no bound.
	limits.MaxEdge = driver->getMaxTextureSize().Width;
	return limits;
}

} // namespace

CImage::CImage(irr::IrrlichtDevice* device, const irr::core::ustring16& name) : Device(device), Name(name)
{
}

CImage::~CImage()
{
	removeTextures(Textures);
}

ITexture* CImage::getTexture(irr::u32 index) const
{
	return index < Textures.size() ? Textures[index] : nullptr;
}

void CImage::warn(const char* what) const
{
	reportRefusal("core", std::string(what) + " \"" + Name.toUTF8_std() + "\"");
}

void CImage::removeTextures(irr::core::array<ITexture*>& textures)
{
	irr::video::IVideoDriver* driver = Device ? Device->getVideoDriver() : nullptr;
	if (driver)
		for (irr::u32 i = 0; i < textures.size(); ++i)
			driver->removeTexture(textures[i]);
	textures.clear();
}

bool CImage::createTextures()
{
	return createTextures(STextureLimits());
}

bool CImage::createTextures(const STextureLimits& wanted)
{
	irr::video::IVideoDriver* driver = Device ? Device->getVideoDriver() : nullptr;
	if (!driver)
		return false;
	STextureLimits limits = driverLimits(driver);
	limits.NonPowerOfTwo = limits.NonPowerOfTwo && wanted.NonPowerOfTwo;
	limits.NonSquare = limits.NonSquare && wanted.NonSquare;
	if (wanted.MaxEdge != 0 && (limits.MaxEdge == 0 || wanted.MaxEdge < limits.MaxEdge))
		limits.MaxEdge = wanted.MaxEdge;

	IImage* picture = compose();
	if (!picture)
		return false;

	const irr::core::dimension2du pictureSize = picture->getDimension();
	const STextureLayout layout = computeTextureLayout(pictureSize, limits);
	if (!hasPixelData(picture) || !isImageSizeAllowed(pictureSize.Width, pictureSize.Height) ||
		!isImageSizeAllowed(layout.PieceSize.Width, layout.PieceSize.Height))
	{
		warn("Image too large; it gets no textures:");
		picture->drop();
		return false;
	}

	const irr::io::path textureName = irr::core::stringc("CImage_") + Name.toUTF8_s();
	irr::core::array<ITexture*> made;
	bool complete = true;
	if (!layout.isSplit() && !layout.isPadded(pictureSize))
	{
		ITexture* texture = driver->addTexture(textureName, picture);
		complete = texture != nullptr;
		if (texture)
			made.push_back(texture);
	}
	else
	{
		for (irr::u32 row = 0; complete && row < layout.Rows; ++row)
			for (irr::u32 column = 0; complete && column < layout.Columns; ++column)
			{
				IImage* piece = createPiecePicture(driver, picture, layout.PieceSize, column, row);
				ITexture* texture = piece ? driver->addTexture(textureName, piece) : nullptr;
				if (piece)
					piece->drop();
				complete = texture != nullptr;
				if (texture)
					made.push_back(texture);
			}
	}
	picture->drop();

	if (!complete)
	{
		warn("The video driver refused the textures of image");
		removeTextures(made);
		return false;
	}

	// The old textures go only now that their replacements exist.
	removeTextures(Textures);
	Textures = made;
	Size = pictureSize;
	PieceSize = layout.PieceSize;
	PieceColumns = layout.Columns;
	PieceRows = layout.Rows;

	if (ISceneHost* host = getSceneHost())
	{
		net::packet data = net::packet::fromText(Name);
		host->getConsumers().notifyConsumers(1, data);
	}
	return true;
}

} // namespace orv
