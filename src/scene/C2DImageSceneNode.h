#pragma once

#include <ISceneNode.h>
#include <S3DVertex.h>
#include <irrArray.h>
#include <rect.h>

#include "world/IConsumer.h"

namespace irr {
namespace scene {
class IMeshBuffer;
}
} // namespace irr

namespace orv {

class CConsumerRegistry;
class CImage;
class CSceneObject;

//! Draws an image in the 2D world: one flat quad per texture piece, each in
//! a mesh buffer of its own, covering a source rectangle of the picture and
//! centred on the node's origin, picture y along the node's +y.
/** Reference counted like every Irrlicht node. The image is borrowed from
    the engine's image cache; the owning scene object is borrowed too (the
    engine removes the node before the object goes). Registered for kind-1
    notifications, it rebuilds when its image rebuilds its textures. */
class C2DImageSceneNode : public irr::scene::ISceneNode, public IConsumer
{
public:
	//! Irrlicht's node type of these nodes ('o2di').
	static const irr::scene::ESCENE_NODE_TYPE NODE_TYPE = static_cast<irr::scene::ESCENE_NODE_TYPE>(
		MAKE_IRR_ID('o', '2', 'd', 'i'));

	C2DImageSceneNode(CImage* image, irr::scene::ISceneNode* parent, irr::scene::ISceneManager* manager,
		irr::s32 id = -1, const irr::core::vector3df& position = irr::core::vector3df(0, 0, 0),
		const irr::core::vector3df& rotation = irr::core::vector3df(0, 0, 0),
		const irr::core::vector3df& scale = irr::core::vector3df(1, 1, 1));
	~C2DImageSceneNode() override;

	//! Registers for drawing unless the owner is invisible; children always
	//! get their turn. Clears the owner's drawn-this-frame flag first.
	void OnRegisterSceneNode() override;
	//! Draws every piece, then marks the owner drawn this frame.
	void render() override;
	const irr::core::aabbox3d<irr::f32>& getBoundingBox() const override { return Box; }
	//! Irrlicht's identity material for an index past the pieces.
	irr::video::SMaterial& getMaterial(irr::u32 i) override;
	irr::u32 getMaterialCount() const override { return MeshBuffers.size(); }
	irr::scene::ESCENE_NODE_TYPE getType() const override { return NODE_TYPE; }

	irr::u32 getMeshBufferCount() const { return MeshBuffers.size(); }
	//! The first buffer whose material equals the given one, else null.
	irr::scene::IMeshBuffer* findMeshBuffer(const irr::video::SMaterial& material) const;
	//! Null for an index past the pieces.
	irr::scene::IMeshBuffer* getMeshBuffer(irr::u32 i) const;
	//! Stored only; nothing reads it yet.
	void setOrigin(const irr::core::vector3df& origin);
	//! The part of the picture shown, picture pixels; four zeros show the whole
	//! picture, whatever size the image has at each rebuild. Rebuilds only
	//! when a value differs from the stored one.
	void setSourceRect(irr::s32 x1, irr::s32 y1, irr::s32 x2, irr::s32 y2);
	const irr::core::recti& getSourceRect() const { return SourceRect; }
	CImage* getImage() const { return Image; }
	//! Rebuilds for the new image; null keeps the present geometry.
	void setImage(CImage* image);
	void setSceneObject(CSceneObject* object) { SceneObject = object; }
	CSceneObject* getSceneObject() const { return SceneObject; }

	//! Kind 1 naming the node's image rebuilds the geometry.
	bool consume(irr::s32 kind, net::packet& data) override;

private:
	void rebuildMesh();
	void updateVertices();
	void dropMeshBuffers();

	irr::core::aabbox3df Box{-1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
	irr::core::array<irr::video::S3DVertex> MasterVertices;
	irr::core::recti SourceRect{0, 0, 0, 0};
	// Four zeros were asked for: every rebuild shows the whole picture.
	bool WholePicture = true;
	irr::core::vector3df Origin{0.0f, 0.0f, 0.0f};
	bool OriginUnset = true;
	// The vertices hold the centred master vertices of the last rebuild. The
	// transform moves the node, not them: placing a moving node every frame
	// marks nothing for upload.
	irr::core::array<irr::scene::IMeshBuffer*> MeshBuffers;
	CImage* Image;
	CSceneObject* SceneObject = nullptr;
	// The registry that holds this node; a later one is not asked.
	CConsumerRegistry* Registry = nullptr;
};

} // namespace orv
