#include "scene/CCameraManager.h"

#include <algorithm>
#include <cmath>

#include <ICameraSceneNode.h>
#include <ILogger.h>
#include <ISceneManager.h>
#include <IVideoDriver.h>
#include <IrrlichtDevice.h>

#include "base/Refusal.h"
#include "base/packet.h"
#include "scene/ISceneHost.h"
#include "world/CConsumerRegistry.h"
#include "world/CSceneObject.h"

namespace orv {

using irr::core::vector3df;

namespace {
CCameraManager* cameraInstance = nullptr;
const irr::s32 KIND_OBJECT_REMOVED = 2;
} // namespace

CCameraManager* CCameraManager::getInstance()
{
	if (!cameraInstance)
		cameraInstance = new CCameraManager();
	return cameraInstance;
}

CCameraManager* CCameraManager::getExistingInstance()
{
	return cameraInstance;
}

void CCameraManager::destroyInstance()
{
	CCameraManager* manager = cameraInstance;
	cameraInstance = nullptr;
	delete manager;
}

CCameraManager::CCameraManager()
{
	if (ISceneHost* host = getSceneHost())
	{
		Registry = &host->getConsumers();
		Registry->registerConsumer(KIND_OBJECT_REMOVED, this);
	}
}

CCameraManager::~CCameraManager()
{
	ISceneHost* host = getSceneHost();
	if (Registry && host && &host->getConsumers() == Registry)
		Registry->unregisterConsumer(this);
	stopFollowing();
	// The node is the scene manager's; it is only still there while the
	// host holds the device the camera was made on.
	if (Camera && host && host->getDevice() == Device)
		Camera->remove();
	Camera = nullptr;
}

void CCameraManager::init(irr::IrrlichtDevice* device)
{
	if (!device || !device->getSceneManager())
		return;
	Device = device;
	Camera = device->getSceneManager()->addCameraSceneNode(nullptr, vector3df(0, 0, 0), vector3df(0, 0, 100), -1, true);
	if (!Camera)
		return;
	Camera->setPosition(vector3df(0, 0, 0));
	Camera->setTarget(vector3df(0, 0, -100));
	Camera->setUpVector(vector3df(0, -1, 0));
	updateProjection();
}

void CCameraManager::updateProjection()
{
	if (!hasCamera() || !Device->getVideoDriver())
		return;
	const irr::core::dimension2du screen = Device->getVideoDriver()->getScreenSize();
	const irr::f32 width = irr::f32(std::max<irr::u32>(screen.Width, 1));
	const irr::f32 height = irr::f32(std::max<irr::u32>(screen.Height, 1));
	irr::core::matrix4 projection(irr::core::matrix4::EM4CONST_NOTHING);
	for (irr::u32 i = 0; i < 16; ++i)
		projection[i] = 0.0f;
	projection[0] = 2.0f / width;
	projection[5] = 2.0f / height;
	projection[10] = 1.0f / FarZ;
	projection[14] = 0.0f;
	projection[15] = 1.0f;
	Camera->setProjectionMatrix(projection, true);
}

void CCameraManager::update()
{
	if (!Camera || !FollowedNode || !FollowedObject)
		return;
	FollowedNode->updateAbsolutePosition();
	const vector3df followed = FollowedNode->getAbsolutePosition();
	irr::f32 x = followed.X;
	irr::f32 y = followed.Y;

	if (UseViewLimit)
	{
		const irr::core::aabbox3df& view = Camera->getBoundingBox();
		const irr::f32 viewWidth = view.MaxEdge.X - view.MinEdge.X;
		const irr::f32 viewHeight = view.MaxEdge.Y - view.MinEdge.Y;
		const irr::f32 halfWidth = viewWidth * 0.5f;
		const irr::f32 halfHeight = viewHeight * 0.5f;
		const irr::f32 left = ViewLimit.UpperLeftCorner.X;
		const irr::f32 top = ViewLimit.UpperLeftCorner.Y;
		const irr::f32 right = ViewLimit.LowerRightCorner.X;
		const irr::f32 bottom = ViewLimit.LowerRightCorner.Y;

		if (right - left <= viewWidth)
			x = (left + right) * 0.5f;
		else if (left > followed.X - halfWidth)
			x = left + halfWidth;
		else if (right < followed.X + halfWidth)
			x = right - halfWidth;

		if (bottom - top <= viewHeight)
			y = (top + bottom) * 0.5f;
		else if (top > followed.Y - halfHeight)
			y = top + halfHeight;
		else if (bottom < followed.Y + halfHeight)
			y = bottom - halfHeight;
	}

	Camera->setPosition(vector3df(x, y, 0.0f));
	Camera->setTarget(vector3df(x, y, -100.0f));
	Camera->updateAbsolutePosition();
}

irr::f32 CCameraManager::getFarZ() const
{
	return hasCamera() ? FarZ : DEFAULT_FAR_Z;
}

void CCameraManager::setFarZ(irr::f32 farZ)
{
	if (!hasCamera())
		return;
	// A script may set it in a loop: one line a game.
	if (farZ == 0.0f || !std::isfinite(farZ))
		return reportRefusalOnce(
			"script", "script: camera far z", "Camera FarZ must be finite and not 0; it is left unchanged.");
	FarZ = farZ;
	if (KeepOrthographic)
		updateProjection();
	else
		Camera->setFarValue(farZ);
}

vector3df CCameraManager::getPosition() const
{
	return hasCamera() ? Camera->getAbsolutePosition() : vector3df(0, 0, 0);
}

void CCameraManager::stopFollowing()
{
	if (FollowedObject)
		FollowedObject->drop();
	if (FollowedNode)
		FollowedNode->drop();
	FollowedObject = nullptr;
	FollowedNode = nullptr;
}

void CCameraManager::setPosition(const vector3df& position)
{
	if (!hasCamera())
		return;
	stopFollowing();
	// The target moves along, as it does while following: a target left
	// behind would tilt the view and skew the orthographic picture.
	Camera->setTarget(Camera->getTarget() + (position - Camera->getPosition()));
	Camera->setPosition(position);
	// The absolute position is what reads back; the scene would bring it up
	// to date only when it next draws.
	Camera->updateAbsolutePosition();
}

CSceneObject* CCameraManager::getFollowed() const
{
	return hasCamera() && FollowedNode ? FollowedObject : nullptr;
}

void CCameraManager::setFollowed(CSceneObject* object)
{
	ISceneHost* host = getSceneHost();
	if (!hasCamera() || !object || !host)
		return;
	irr::scene::ISceneNode* node = host->findSceneNode(object);
	if (!node)
		return;
	// Taken before the old ones go: following the same object again must not free it.
	object->grab();
	node->grab();
	stopFollowing();
	FollowedObject = object;
	FollowedNode = node;
}

bool CCameraManager::consume(irr::s32 kind, net::packet& data)
{
	if (!hasCamera() || kind != KIND_OBJECT_REMOVED || !FollowedObject || FollowedObject->getId() == 0)
		return false;
	if (data.readU32() == FollowedObject->getId())
		setPosition(Camera->getAbsolutePosition());
	return false;
}

} // namespace orv
