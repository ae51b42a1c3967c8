#pragma once

#include <SColor.h>
#include <irrTypes.h>

namespace irr {
namespace video {
class IImage;
class IVideoDriver;
} // namespace video
} // namespace irr

namespace orv {

//! One channel of packed pixels: its bits under a mask widened to 8 bits by
//! repeating them, as viewers widen them; no mask is an opaque alpha.
class CPixelChannel
{
public:
	explicit CPixelChannel(irr::u32 mask);

	irr::u32 widen(irr::u32 value) const { return Mask ? Widened[(value & Mask) >> Shift] : 255; }

private:
	irr::u32 Mask;
	// To the lowest 8 bits of the channel.
	irr::u32 Shift;
	irr::u8 Widened[256];
};

//! The A8R8G8B8 picture a decoder of the client writes, row 0 on top. The
//! picture is dropped with the target unless it is released.
class CPictureTarget
{
public:
	//! The size must have passed the image size guard.
	CPictureTarget(irr::video::IVideoDriver* driver, irr::u32 width, irr::u32 height);
	~CPictureTarget();
	CPictureTarget(const CPictureTarget&) = delete;
	CPictureTarget& operator=(const CPictureTarget&) = delete;

	//! The picture was made, with all its pixels.
	bool ready() const { return Pixels != nullptr; }
	void set(irr::u64 x, irr::u64 y, irr::video::SColor colour) { Pixels[y * Width + x] = colour.color; }
	//! Every pixel's alpha becomes 255.
	void makeOpaque();
	//! The picture, for the caller to drop.
	irr::video::IImage* release();

private:
	irr::video::IImage* Picture;
	irr::u32* Pixels;
	irr::u64 Width;
	irr::u64 Count;
};

} // namespace orv
