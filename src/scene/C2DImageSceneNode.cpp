#include "scene/C2DImageSceneNode.h"

#include <algorithm>

#include <CDynamicMeshBuffer.h>
#include <ISceneManager.h>
#include <IVideoDriver.h>

#include "base/packet.h"
#include "scene/CImage.h"
#include "scene/CImageBatch.h"
#include "scene/ISceneHost.h"
#include "world/CConsumerRegistry.h"
#include "world/CSceneObject.h"

namespace orv {

using irr::f32;
using irr::s64;
using irr::scene::IMeshBuffer;
using irr::video::S3DVertex;

namespace {

const irr::u16 QUAD_INDICES[6] = {0, 2, 1, 0, 3, 2};

irr::video::SMaterial pieceMaterial(irr::video::ITexture* texture)
{
	irr::video::SMaterial material;
	material.MaterialType = irr::video::EMT_TRANSPARENT_ALPHA_CHANNEL;
	material.MaterialTypeParam = 0.99f;
	material.Lighting = false;
	material.AntiAliasing = irr::video::EAAM_OFF;
	for (irr::u32 layer = 0; layer < irr::video::MATERIAL_MAX_TEXTURES; ++layer)
		material.TextureLayer[layer].BilinearFilter = false;
	material.setTexture(0, texture);
	return material;
}

IMeshBuffer* createQuadBuffer(irr::video::ITexture* texture)
{
	irr::scene::CDynamicMeshBuffer* buffer = new irr::scene::CDynamicMeshBuffer(
		irr::video::EVT_STANDARD, irr::video::EIT_16BIT);
	buffer->getVertexBuffer().reallocate(4);
	buffer->getIndexBuffer().reallocate(6);
	for (irr::u16 index : QUAD_INDICES)
		buffer->getIndexBuffer().push_back(index);
	buffer->setHardwareMappingHint(irr::scene::EHM_DYNAMIC, irr::scene::EBT_VERTEX);
	buffer->setHardwareMappingHint(irr::scene::EHM_STATIC, irr::scene::EBT_INDEX);
	buffer->getMaterial() = pieceMaterial(texture);
	return buffer;
}

} // namespace

C2DImageSceneNode::C2DImageSceneNode(CImage* image, irr::scene::ISceneNode* parent, irr::scene::ISceneManager* manager,
	irr::s32 id, const irr::core::vector3df& position, const irr::core::vector3df& rotation,
	const irr::core::vector3df& scale)
	: irr::scene::ISceneNode(parent, manager, id, position, rotation, scale)
	, Image(image)
{
	if (ISceneHost* host = getSceneHost())
	{
		Registry = &host->getConsumers();
		Registry->registerConsumer(1, this);
	}
	rebuildMesh();
}

C2DImageSceneNode::~C2DImageSceneNode()
{
	ISceneHost* host = getSceneHost();
	if (Registry && host && &host->getConsumers() == Registry)
		Registry->unregisterConsumer(this);
	dropMeshBuffers();
}

void C2DImageSceneNode::dropMeshBuffers()
{
	for (irr::u32 i = 0; i < MeshBuffers.size(); ++i)
		MeshBuffers[i]->drop();
	MeshBuffers.clear();
}

void C2DImageSceneNode::OnRegisterSceneNode()
{
	if (SceneObject)
		SceneObject->setDrawnThisFrame(false);
	if (!IsVisible)
		return;
	if (!SceneObject || SceneObject->isVisible())
		SceneManager->registerNodeForRendering(this, irr::scene::ESNRP_AUTOMATIC);
	ISceneNode::OnRegisterSceneNode();
}

void C2DImageSceneNode::render()
{
	irr::video::IVideoDriver* driver = SceneManager ? SceneManager->getVideoDriver() : nullptr;
	if (!driver || !SceneManager->getActiveCamera())
		return;

	// Inside a scene with a batch, the quads join it; the debug box would
	// have to follow them at once, so such a node draws itself.
	CImageBatch* batch = (DebugDataVisible & irr::scene::EDS_BBOX) ? nullptr : CImageBatch::find(SceneManager);
	if (batch && batch->isCollecting())
	{
		for (irr::u32 i = 0; i < MeshBuffers.size(); ++i)
			batch->add(MeshBuffers[i]->getMaterial(), AbsoluteTransformation,
				static_cast<const S3DVertex*>(MeshBuffers[i]->getVertices()));
		if (SceneObject)
			SceneObject->setDrawnThisFrame(true);
		return;
	}

	for (irr::u32 i = 0; i < MeshBuffers.size(); ++i)
		CImageBatch::drawQuad(driver, MeshBuffers[i]->getMaterial(), AbsoluteTransformation,
			static_cast<const S3DVertex*>(MeshBuffers[i]->getVertices()));

	if (DebugDataVisible & irr::scene::EDS_BBOX)
	{
		irr::video::SMaterial plain;
		plain.Lighting = false;
		driver->setMaterial(plain);
		driver->setTransform(irr::video::ETS_WORLD, AbsoluteTransformation);
		driver->draw3DBox(Box, irr::video::SColor(0, 208, 195, 152));
	}

	if (SceneObject)
		SceneObject->setDrawnThisFrame(true);
}

irr::video::SMaterial& C2DImageSceneNode::getMaterial(irr::u32 i)
{
	if (i >= MeshBuffers.size())
		return irr::video::IdentityMaterial;
	return MeshBuffers[i]->getMaterial();
}

IMeshBuffer* C2DImageSceneNode::findMeshBuffer(const irr::video::SMaterial& material) const
{
	for (irr::u32 i = 0; i < MeshBuffers.size(); ++i)
		if (MeshBuffers[i]->getMaterial() == material)
			return MeshBuffers[i];
	return nullptr;
}

IMeshBuffer* C2DImageSceneNode::getMeshBuffer(irr::u32 i) const
{
	return i < MeshBuffers.size() ? MeshBuffers[i] : nullptr;
}

void C2DImageSceneNode::setOrigin(const irr::core::vector3df& origin)
{
	Origin = origin;
	OriginUnset = false;
}

void C2DImageSceneNode::setSourceRect(irr::s32 x1, irr::s32 y1, irr::s32 x2, irr::s32 y2)
{
	const irr::core::recti wanted(x1, y1, x2, y2);
	if (wanted == SourceRect)
		return;
	SourceRect = wanted;
	WholePicture = x1 == 0 && y1 == 0 && x2 == 0 && y2 == 0;
	rebuildMesh();
}

void C2DImageSceneNode::setImage(CImage* image)
{
	Image = image;
	rebuildMesh();
}

bool C2DImageSceneNode::consume(irr::s32 kind, net::packet& data)
{
	if (Image && kind == 1 && data.toText() == Image->getName())
		rebuildMesh();
	return false;
}

void C2DImageSceneNode::rebuildMesh()
{
	if (!Image)
		return;

	MasterVertices.clear();
	dropMeshBuffers();

	const irr::core::dimension2du& pieceSize = Image->getPieceSize();
	const irr::core::dimension2du& size = Image->getSize();
	const irr::u32 columns = Image->getPieceColumns();
	const irr::u32 rows = Image->getPieceRows();
	if (WholePicture)
		SourceRect = irr::core::recti(0, 0, static_cast<irr::s32>(size.Width), static_cast<irr::s32>(size.Height));

	const s64 x1 = SourceRect.UpperLeftCorner.X;
	const s64 y1 = SourceRect.UpperLeftCorner.Y;
	const s64 x2 = SourceRect.LowerRightCorner.X;
	const s64 y2 = SourceRect.LowerRightCorner.Y;
	const s64 pw = pieceSize.Width;
	const s64 ph = pieceSize.Height;

	// Bottom row of pieces first, left to right within a row.
	const irr::u32 count = columns * rows;
	for (irr::u32 b = 0; b < count && pw > 0 && ph > 0; ++b)
	{
		const irr::u32 pieceRow = rows - 1 - b / columns;
		const irr::u32 pieceColumn = b % columns;
		const s64 cellLeft = pieceColumn * pw;
		const s64 cellTop = pieceRow * ph;
		const s64 cellRight = cellLeft + pw;
		const s64 cellBottom = cellTop + ph;
		if (cellRight < x1 || cellLeft > x2 || cellBottom < y1 || cellTop > y2)
			continue;

		const s64 left = std::max(cellLeft, x1);
		const s64 right = std::min(cellRight, x2);
		const s64 top = std::max(cellTop, y1);
		const s64 bottom = std::min(cellBottom, y2);
		const f32 u1 = f32(left - cellLeft) / f32(pw);
		const f32 u2 = f32(right - cellLeft) / f32(pw);
		const f32 v1 = f32(top - cellTop) / f32(ph);
		const f32 v2 = f32(bottom - cellTop) / f32(ph);
		const f32 l = f32(left - x1);
		const f32 r = f32(right - x1);
		const f32 t = f32(top - y1);
		const f32 bt = f32(bottom - y1);
		const irr::video::SColor white(255, 255, 255, 255);
		// Right-bottom, right-top, left-top, left-bottom.
		MasterVertices.push_back(S3DVertex(r, bt, 0, 0, 0, 1, white, u2, v2));
		MasterVertices.push_back(S3DVertex(r, t, 0, 0, 0, 1, white, u2, v1));
		MasterVertices.push_back(S3DVertex(l, t, 0, 0, 0, 1, white, u1, v1));
		MasterVertices.push_back(S3DVertex(l, bt, 0, 0, 0, 1, white, u1, v2));

		IMeshBuffer* buffer = createQuadBuffer(Image->getTexture(pieceRow * columns + pieceColumn));
		irr::scene::IVertexBuffer& vertices = static_cast<irr::scene::CDynamicMeshBuffer*>(buffer)->getVertexBuffer();
		for (irr::u32 v = MasterVertices.size() - 4; v < MasterVertices.size(); ++v)
			vertices.push_back(MasterVertices[v]);
		MeshBuffers.push_back(buffer);
	}

	updateVertices();
	for (irr::u32 i = 0; i < MeshBuffers.size(); ++i)
		MeshBuffers[i]->setDirty(irr::scene::EBT_VERTEX_AND_INDEX);
}

void C2DImageSceneNode::updateVertices()
{
	const f32 halfWidth = (f32(SourceRect.LowerRightCorner.X) - f32(SourceRect.UpperLeftCorner.X)) / 2.0f;
	const f32 halfHeight = (f32(SourceRect.LowerRightCorner.Y) - f32(SourceRect.UpperLeftCorner.Y)) / 2.0f;
	const irr::core::vector3df centre(halfWidth, halfHeight, 0.0f);

	for (irr::u32 b = 0; b < MeshBuffers.size(); ++b)
	{
		S3DVertex* vertices = static_cast<S3DVertex*>(MeshBuffers[b]->getVertices());
		for (irr::u32 v = 0; v < 4; ++v)
		{
			vertices[v].Pos = MasterVertices[b * 4 + v].Pos - centre;
			if (b == 0 && v == 0)
				Box.reset(vertices[v].Pos);
			else
				Box.addInternalPoint(vertices[v].Pos);
		}
		MeshBuffers[b]->setDirty(irr::scene::EBT_VERTEX);
	}
}

} // namespace orv
