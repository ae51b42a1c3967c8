#pragma once

#include <map>
#include <vector>

#include <irrTypes.h>
#include <rect.h>

#include "base/ustring16.h"

namespace irr {
namespace io {
class IFileSystem;
class IReadFile;
} // namespace io
} // namespace irr

namespace orv {

class CImage;
class CSceneObject;
class CAnimatedSpriteSceneNode;
namespace audio {
class IAudioSource;
}

//! A rectangle of an image, in that image's pixels.
struct SAnimationSprite
{
	//! An entry of the engine's image cache; not owned.
	CImage* image = nullptr;
	irr::core::rect<irr::s32> rect;
};

//! One sprite of one direction of a frame. The texts stay as written: when
//! the animation is applied, they may name class attributes of the object.
struct SSpritePlacement
{
	irr::core::ustring16 sprite;
	irr::core::ustring16 x;
	irr::core::ustring16 y;
};

struct SFrameSound
{
	//! From the engine's sound cache; not owned, null when the file is missing.
	audio::IAudioSource* source = nullptr;
	//! Pixels from the node's position.
	irr::s32 x = 0;
	irr::s32 y = 0;
};

struct SAnimationFrame
{
	//! One list of placements per direction, direction 0 first.
	std::vector<std::vector<SSpritePlacement>> directions;
	std::vector<SFrameSound> sounds;
	//! Milliseconds.
	irr::u32 duration = 50;
};

//! What an animation takes from the engine while it reads its file: images
//! for its sprites and sources for its sounds, both owned by the engine.
class IAnimationContent
{
public:
	virtual ~IAnimationContent() = default;
	//! The cached image of that name, made as a static image when absent.
	virtual CImage* findImage(const irr::core::ustring16& name) = 0;
	//! The sound of that file; null when it cannot be made.
	virtual audio::IAudioSource* getSound(const irr::core::ustring16& name) = 0;
};

//! One .gani file, read once: its sprites, its frames with a list of sprite
//! placements per facing direction, their durations and sounds, and what
//! follows the last frame.
/** Not reference counted: the engine's animation cache owns every animation
    and deletes it at teardown. Immutable once constructed, and shared by
    every node that plays it: a node makes sprite nodes only for the frame
    it shows. What it holds counts against the bound of AnimationMemory.h. */
class CAnimation
{
public:
	typedef std::map<irr::u32, SAnimationSprite> SpriteMap;

	//! Reads the file of that name through the file system, taking images
	//! and sounds from the content. Throws std::runtime_error when the file
	//! is missing, does not begin with "GANI0001", or holds nothing after it.
	CAnimation(const irr::core::ustring16& name, irr::io::IFileSystem* fileSystem, IAnimationContent& content);
	~CAnimation();
	CAnimation(const CAnimation&) = delete;
	CAnimation& operator=(const CAnimation&) = delete;

	//! Reads the text behind the magic; false only when it is empty. Sprites, sprite placements and frames
	//! past 65,536 of each, and placements past 4,096 in one direction of a
	//! frame, are dropped with a warning; so is what the bound of all
	//! animations refuses.
	bool parse(const char* text, size_t size, IAnimationContent& content);

	//! Applies the animation to the node for the object (which may be null),
	//! showing its first frame; see CAnimatedSpriteSceneNode. Always true; a
	//! caller that wants the node to play clears its stopped flag.
	bool applyToNode(CAnimatedSpriteSceneNode* node, CSceneObject* object);

	//! Shows one direction of one frame on the node, for the node's object:
	//! its sprite children are placed anew in placement order, the missing
	//! ones made and the surplus removed, as far as the bounds of all shown
	//! sprites and of all animations allow.
	void makeSprites(CAnimatedSpriteSceneNode& node, irr::u32 frame, irr::u32 direction) const;

	const irr::core::ustring16& getName() const { return Name; }
	//! 4, or 1 after "SINGLEDIRECTION".
	irr::u32 getDirectionCount() const { return DirectionCount; }
	bool isContinuous() const { return Continuous; }
	bool isLooping() const { return Loop; }
	//! The follow-up animation's name with ".gani"; empty when none.
	const irr::core::ustring16& getSetBackTo() const { return SetBackTo; }
	const std::vector<SAnimationFrame>& getFrames() const { return Frames; }
	const SpriteMap& getSprites() const { return Sprites; }
	//! What its frames and sprites hold, taken from the bound of all animations.
	size_t getHeldBytes() const { return HeldBytes; }

private:
	void load(irr::io::IFileSystem* fileSystem, IAnimationContent& content);
	//! One warning line on "core" naming the animation.
	void warn(const char* what) const;

	irr::core::ustring16 Name;
	irr::u32 DirectionCount = 4;
	bool Continuous = false;
	bool Loop = false;
	irr::core::ustring16 SetBackTo;
	std::vector<SAnimationFrame> Frames;
	SpriteMap Sprites;
	size_t HeldBytes = 0;
};

} // namespace orv
