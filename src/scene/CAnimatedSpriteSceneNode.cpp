#include "scene/CAnimatedSpriteSceneNode.h"

#include <limits>

#include <ITimer.h>
#include <IrrlichtDevice.h>

#include "scene/AnimationMemory.h"
#include "scene/C2DImageSceneNode.h"
#include "scene/CAnimation.h"
#include "scene/FrameSound.h"
#include "scene/ISceneHost.h"
#include "scene/ShownSprites.h"
#include "world/CSceneObject.h"

namespace orv {

namespace {

// An image node with what Irrlicht allocates beside it: its place in the
// parent's list of children and its name.
const size_t SPRITE_NODE_BYTES = sizeof(C2DImageSceneNode) + 64;

// A frame that lasts the longest a WAIT can say ends at the end of time, not
// at a wrapped time already past.
irr::u32 frameEnd(irr::u32 timeMs, irr::u32 durationMs)
{
	return durationMs > std::numeric_limits<irr::u32>::max() - timeMs ? std::numeric_limits<irr::u32>::max()
																	  : timeMs + durationMs;
}

irr::u32 deviceTime()
{
	ISceneHost* host = getSceneHost();
	if (!host || !host->getDevice())
		return 0;
	return host->getDevice()->getTimer()->getTime();
}

} // namespace

CAnimatedSpriteSceneNode::CAnimatedSpriteSceneNode(irr::scene::ISceneNode* parent, irr::scene::ISceneManager* manager,
	irr::s32 id, const irr::core::vector3df& position, const irr::core::vector3df& rotation,
	const irr::core::vector3df& scale)
	: irr::scene::ISceneNode(parent, manager, id, position, rotation, scale)
{
}

CAnimatedSpriteSceneNode::~CAnimatedSpriteSceneNode()
{
	// The animation may already have left the cache at teardown, so the
	// sprites go without a restart.
	hide();
}

void CAnimatedSpriteSceneNode::hide()
{
	keepSprites(0);
	giveShownSprites(ShownPlacements);
	ShownPlacements = 0;
}

size_t CAnimatedSpriteSceneNode::takePlacements(size_t wanted)
{
	giveShownSprites(ShownPlacements);
	ShownPlacements = takeShownSprites(wanted);
	return ShownPlacements;
}

C2DImageSceneNode* CAnimatedSpriteSceneNode::spriteAt(size_t index)
{
	if (index < Shown.size())
		return Shown[index];
	if (index > Shown.size() || !takeAnimationMemory(SPRITE_NODE_BYTES))
		return nullptr;
	// Made without an image: the caller gives the source rectangle first
	// and the image then, so the pieces are built once.
	C2DImageSceneNode* sprite = new C2DImageSceneNode(nullptr, this, SceneManager);
	sprite->drop();
	Shown.push_back(sprite);
	return sprite;
}

void CAnimatedSpriteSceneNode::keepSprites(size_t count)
{
	if (count >= Shown.size())
		return;
	const size_t surplus = Shown.size() - count;
	for (size_t i = count; i < Shown.size(); ++i)
		Shown[i]->remove();
	Shown.resize(count);
	giveAnimationMemory(surplus * SPRITE_NODE_BYTES);
}

void CAnimatedSpriteSceneNode::show(irr::u32 frame, irr::u32 direction)
{
	if (!Applied || !Animation || frame >= Animation->getFrames().size() ||
		direction >= Animation->getFrames()[frame].directions.size())
	{
		hide();
		return;
	}
	ShownFrame = frame;
	ShownDirection = direction;
	Animation->makeSprites(*this, frame, direction);
}

void CAnimatedSpriteSceneNode::restartAnimation()
{
	if (!Animation)
		return;
	// Back at the start from a later frame, frame 0 is shown anew.
	if (CurrentFrame != 0)
		FirstFrameSoundsDue = true;
	NextFrameTime = 0;
	CurrentFrame = 0;
	if (Animation->getFrames().empty())
	{
		hide();
		return;
	}
	show(0, Direction);
	NextFrameTime = frameEnd(deviceTime(), Animation->getFrames()[0].duration);
}

void CAnimatedSpriteSceneNode::clearFrames()
{
	CurrentFrame = 0;
	hide();
	Applied = false;
	Stopped = true;
	// The next animation's first frame has not been heard yet.
	FirstFrameSoundsDue = true;
	restartAnimation();
}

void CAnimatedSpriteSceneNode::setDirection(irr::u32 direction)
{
	Direction = direction;
	if (!Applied || !Animation || CurrentFrame >= Animation->getFrames().size())
		return;
	show(CurrentFrame, Direction);
}

void CAnimatedSpriteSceneNode::OnAnimate(irr::u32 timeMs)
{
	updateAbsolutePosition();
	// A frame's sounds play when the playing node comes to show it. A step
	// comes to its frame; a start comes to frame 0 without one, and its
	// sounds play the first time the node plays after it, from where the
	// node stands by then.
	if (!Stopped && Animation && FirstFrameSoundsDue)
	{
		FirstFrameSoundsDue = false;
		if (!Animation->getFrames().empty())
			playFrameSounds(0, timeMs);
	}
	if (!Stopped && Animation && timeMs > NextFrameTime)
		step(timeMs);
	irr::scene::ISceneNode::OnAnimate(timeMs);
}

void CAnimatedSpriteSceneNode::step(irr::u32 timeMs)
{
	const std::vector<SAnimationFrame>& frames = Animation->getFrames();
	const irr::u32 previous = CurrentFrame;
	CurrentFrame = previous + 1;
	if (CurrentFrame >= frames.size())
	{
		if (Animation->isLooping())
		{
			CurrentFrame = 0;
			if (frames.empty())
				return;
		}
		else if (!Animation->getSetBackTo().empty())
		{
			ISceneHost* host = getSceneHost();
			CAnimation* next = host ? host->getAnimation(Animation->getSetBackTo()) : nullptr;
			if (next)
			{
				next->applyToNode(this, SceneObject);
				return;
			}
			// A follow-up that cannot be loaded ends the animation as if it
			// had none.
			CurrentFrame = previous;
			Stopped = true;
			return;
		}
		else
		{
			CurrentFrame = previous;
			Stopped = true;
			return;
		}
	}

	show(CurrentFrame, Direction);
	NextFrameTime = frameEnd(timeMs, frames[CurrentFrame].duration);
	playFrameSounds(CurrentFrame, timeMs);
}

void CAnimatedSpriteSceneNode::playFrameSounds(irr::u32 frame, irr::u32 timeMs)
{
	const std::vector<SFrameSound>& sounds = Animation->getFrames()[frame].sounds;
	if (sounds.empty())
		return;

	// The player hears its own animation without position.
	bool flat = false;
	if (ISceneHost* host = getSceneHost())
	{
		CSceneObject* player = host->getPlayerObject();
		if (player && player->getType() == ESOT_ANIMATED)
			flat = host->findSceneNode(player) == this;
	}
	const irr::core::vector3df at = getAbsolutePosition();
	for (const SFrameSound& sound : sounds)
		if (sound.source)
			playFrameSound(sound.source, flat,
				irr::core::vector3df(
					at.X + static_cast<irr::f32>(sound.x), at.Y + static_cast<irr::f32>(sound.y), 10.0f),
				timeMs);
}

} // namespace orv
