#pragma once

#include <dimension2d.h>
#include <irrTypes.h>
#include <rect.h>

namespace irr {
namespace video {
class IImage;
class IVideoDriver;
} // namespace video
} // namespace irr

namespace orv {

//! The picture holds all its pixels: Irrlicht sizes a picture's memory in 32
//! bits, so a picture of more than 4 GiB comes back with too little or none.
bool hasPixelData(irr::video::IImage* picture);

//! A new A8R8G8B8 picture filled with transparent black, or null. The size
//! must have passed the image size guard.
irr::video::IImage* createClearedPicture(irr::video::IVideoDriver* driver, const irr::core::dimension2du& size);

//! Copies a rectangle of the source to (x, y) of the target, pixels as they
//! are, alpha included. Clipped first to the source picture, then to the
//! target and to the clip rectangle when one is given, all in 64 bits, so no
//! coordinate from content can make Irrlicht read or write outside a picture.
/** A blending copy onto the freshly cleared targets used here would darken
    every semi-transparent pixel; the targets are always cleared and the
    copies never overlap, so a plain copy is exact. */
void copyPicture(irr::video::IImage* source, irr::video::IImage* target, irr::s64 x, irr::s64 y,
	const irr::core::rect<irr::s64>& sourceRect, const irr::core::rect<irr::s64>* clip = nullptr);

//! A new cleared picture of the piece size holding the piece of the picture
//! at that column and row of pieces (top-left first), or null. Where the
//! picture ends inside the piece, the rest stays transparent black.
irr::video::IImage* createPiecePicture(irr::video::IVideoDriver* driver, irr::video::IImage* picture,
	const irr::core::dimension2du& pieceSize, irr::u32 column, irr::u32 row);

} // namespace orv
