#include "scene/CImageBatch.h"

#include <algorithm>
#include <map>

#include <ICameraSceneNode.h>
#include <ISceneManager.h>
#include <IVideoDriver.h>
#include <SViewFrustum.h>

#include "scene/C2DImageSceneNode.h"

namespace orv {

namespace {

// 16-bit indices reach this many vertices.
const irr::u32 MAX_VERTICES = 0x10000;
const irr::u16 QUAD_INDICES[6] = {0, 2, 1, 0, 3, 2};
// World units a quad may lie outside the view and still be drawn: the test
// only saves work, it never decides a pixel.
const irr::f32 VIEW_MARGIN = 1.0f;

std::map<const irr::scene::ISceneManager*, CImageBatch*>& installed()
{
	static std::map<const irr::scene::ISceneManager*, CImageBatch*> batches;
	return batches;
}

bool enabled = true;

} // namespace

void CImageBatch::install(irr::scene::ISceneManager* manager)
{
	if (!manager || installed().count(manager))
		return;
	CImageBatch* batch = new CImageBatch(manager);
	manager->setLightManager(batch);
	batch->drop();
}

CImageBatch* CImageBatch::find(const irr::scene::ISceneManager* manager)
{
	const auto found = installed().find(manager);
	return found == installed().end() ? nullptr : found->second;
}

void CImageBatch::setEnabled(bool value)
{
	enabled = value;
}

bool CImageBatch::isEnabled()
{
	return enabled;
}

CImageBatch::CImageBatch(irr::scene::ISceneManager* manager) : Manager(manager)
{
	installed()[manager] = this;
}

CImageBatch::~CImageBatch()
{
	const auto found = installed().find(Manager);
	if (found != installed().end() && found->second == this)
		installed().erase(found);
}

CImageBatch::SPlacedQuad::SPlacedQuad(const irr::core::matrix4& transform, const irr::video::S3DVertex* quad)
{
	for (int i = 0; i < 4; ++i)
	{
		vertices[i] = quad[i];
		transform.transformVect(vertices[i].Pos);
	}
}

bool CImageBatch::isInView(const SPlacedQuad& quad) const
{
	irr::core::aabbox3df box(quad.vertices[0].Pos);
	for (int i = 1; i < 4; ++i)
		box.addInternalPoint(quad.vertices[i].Pos);
	return box.MaxEdge.X >= View.MinEdge.X - VIEW_MARGIN && box.MinEdge.X <= View.MaxEdge.X + VIEW_MARGIN &&
		box.MaxEdge.Y >= View.MinEdge.Y - VIEW_MARGIN && box.MinEdge.Y <= View.MaxEdge.Y + VIEW_MARGIN &&
		box.MaxEdge.Z >= View.MinEdge.Z - VIEW_MARGIN && box.MinEdge.Z <= View.MaxEdge.Z + VIEW_MARGIN;
}

void CImageBatch::add(
	const irr::video::SMaterial& material, const irr::core::matrix4& transform, const irr::video::S3DVertex* quad)
{
	const SPlacedQuad placed(transform, quad);
	if (HasView && !isInView(placed))
		return;
	if (Materials.empty() || Materials.back() != material)
		Materials.push_back(material);
	irr::core::vector3df centre;
	for (const irr::video::S3DVertex& vertex : placed.vertices)
		centre += vertex.Pos;
	centre *= 0.25f;
	Held.push_back({(centre - ViewOrigin).dotProduct(ViewDirection), static_cast<irr::u32>(Materials.size() - 1),
		static_cast<irr::u32>(Quads.size())});
	Quads.push_back(placed);
}

void CImageBatch::flush()
{
	if (Held.empty())
		return;
	std::stable_sort(Held.begin(), Held.end(), [](const SHeld& a, const SHeld& b) { return a.depth > b.depth; });
	for (const SHeld& held : Held)
	{
		const irr::video::SMaterial& material = Materials[held.material];
		if (!Vertices.empty() && (!enabled || material != Material || Vertices.size() + 4 > MAX_VERTICES))
			drawMerged();
		if (Vertices.empty())
			Material = material;
		for (const irr::video::S3DVertex& vertex : Quads[held.quad].vertices)
			Vertices.push_back(vertex);
	}
	drawMerged();
	Held.clear();
	Quads.clear();
	Materials.clear();
}

void CImageBatch::drawMerged()
{
	if (Vertices.empty())
		return;
	if (irr::video::IVideoDriver* driver = Manager->getVideoDriver())
	{
		for (irr::u32 q = Indices.size() / 6; q < Vertices.size() / 4; ++q)
			for (irr::u16 index : QUAD_INDICES)
				Indices.push_back(static_cast<irr::u16>(q * 4 + index));
		draw(driver, Material, Vertices.const_pointer(), Vertices.size(), Indices.const_pointer());
	}
	Vertices.set_used(0);
}

void CImageBatch::drawQuad(irr::video::IVideoDriver* driver, const irr::video::SMaterial& material,
	const irr::core::matrix4& transform, const irr::video::S3DVertex* quad)
{
	const SPlacedQuad placed(transform, quad);
	draw(driver, material, placed.vertices, 4, QUAD_INDICES);
}

void CImageBatch::draw(irr::video::IVideoDriver* driver, const irr::video::SMaterial& material,
	const irr::video::S3DVertex* vertices, irr::u32 vertexCount, const irr::u16* indices)
{
	driver->setMaterial(material);
	driver->setTransform(irr::video::ETS_WORLD, irr::core::IdentityMatrix);
	driver->drawVertexPrimitiveList(vertices, vertexCount, indices, vertexCount / 2, irr::video::EVT_STANDARD,
		irr::scene::EPT_TRIANGLES, irr::video::EIT_16BIT);
}

void CImageBatch::OnPreRender(irr::core::array<irr::scene::ISceneNode*>&)
{
	Held.clear();
	Quads.clear();
	Materials.clear();
	Vertices.set_used(0);
	Collecting = true;
	const irr::scene::ICameraSceneNode* camera = Manager->getActiveCamera();
	HasView = camera && camera->getViewFrustum();
	if (HasView)
		View = camera->getViewFrustum()->getBoundingBox();
	// Without a camera every quad has the same depth and keeps its place.
	ViewOrigin = camera ? camera->getAbsolutePosition() : irr::core::vector3df();
	ViewDirection = camera ? (camera->getTarget() - ViewOrigin).normalize() : irr::core::vector3df();
}

void CImageBatch::OnPostRender()
{
	flush();
	Collecting = false;
}

void CImageBatch::OnRenderPassPreRender(irr::scene::E_SCENE_NODE_RENDER_PASS)
{
	flush();
}

void CImageBatch::OnRenderPassPostRender(irr::scene::E_SCENE_NODE_RENDER_PASS)
{
	flush();
}

void CImageBatch::OnNodePreRender(irr::scene::ISceneNode* node)
{
	// Whatever is not an image node drawing only its quads draws itself now,
	// behind what came before it.
	if (!node || node->getType() != C2DImageSceneNode::NODE_TYPE || (node->isDebugDataVisible() & irr::scene::EDS_BBOX))
		flush();
}

} // namespace orv
