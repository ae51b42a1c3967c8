// Text in the 3D scene: one textured quad node per glyph, cut from the
// font's page textures.

#include <cwchar>
#include <utility>
#include <vector>

#include <IMeshManipulator.h>
#include <IMeshSceneNode.h>
#include <ISceneManager.h>
#include <ITexture.h>
#include <SMesh.h>
#include <SMeshBuffer.h>

#include "text/CGUIFreetypeFont.h"
#include "text/CGUIFreetypeGlyphPage.h"
#include "text/CodePoint.h"

namespace irr {
namespace gui {

namespace {

// One quad from (0, -1) to (1, 0), copied and scaled for every glyph. Made on
// first use, kept for the whole run.
scene::IMesh* unitQuadMesh()
{
	static scene::SMesh* mesh = 0;
	if (mesh)
		return mesh;
	scene::SMeshBuffer* buffer = new scene::SMeshBuffer();
	const video::SColor white(0xFFFFFFFF);
	const core::vector3df normal(0, 0, -1);
	buffer->Vertices.push_back(video::S3DVertex(core::vector3df(0, -1, 0), normal, white, core::vector2df(0, 1)));
	buffer->Vertices.push_back(video::S3DVertex(core::vector3df(1, -1, 0), normal, white, core::vector2df(1, 1)));
	buffer->Vertices.push_back(video::S3DVertex(core::vector3df(0, 0, 0), normal, white, core::vector2df(0, 0)));
	buffer->Vertices.push_back(video::S3DVertex(core::vector3df(1, 0, 0), normal, white, core::vector2df(1, 0)));
	for (u16 index : {0, 2, 3, 3, 1, 0})
		buffer->Indices.push_back(index);
	buffer->recalculateBoundingBox();
	mesh = new scene::SMesh();
	mesh->addMeshBuffer(buffer);
	mesh->recalculateBoundingBox();
	buffer->drop();
	return mesh;
}

bool isLineBreak(wchar_t c)
{
	return c == L'\r' || c == L'\n';
}

// The text of the line that starts at `start`.
core::stringw lineAt(const wchar_t* text, size_t length, size_t start)
{
	size_t end = start;
	while (end < length && !isLineBreak(text[end]))
		++end;
	return core::stringw(text + start, static_cast<u32>(end - start));
}

} // namespace

core::array<scene::ISceneNode*> CGUIFreetypeFont::createTextSceneNode(const wchar_t* text,
	scene::ISceneManager* sceneManager, scene::ISceneNode* parent, const video::SColor& color, bool center)
{
	core::array<scene::ISceneNode*> nodes;
	if (!Driver || !sceneManager || !text)
		return nodes;
	if (!parent)
		parent = sceneManager->addEmptySceneNode(0, -1);
	scene::IMesh* quad = unitQuadMesh();

	const size_t length = std::wcslen(text);
	const core::dimension2du extent = getDimension(text);
	const s32 textWidth = static_cast<s32>(extent.Width);
	core::vector2di start(0, 0);
	if (center)
	{
		start.set(-(textWidth / 2), static_cast<s32>(extent.Height) / 2);
		start.X += (textWidth - static_cast<s32>(getDimension(lineAt(text, length, 0).c_str()).Width)) >> 1;
	}
	core::vector2di pen = start;

	video::SMaterial material;
	material.MaterialType = Transparency ? video::EMT_TRANSPARENT_ALPHA_CHANNEL : video::EMT_SOLID;
	material.MaterialTypeParam = 0.01f;
	material.DiffuseColor = color;
	material.ColorMaterial = video::ECM_NONE;
	material.Lighting = true;
	material.ZWriteEnable = false;
	material.NormalizeNormals = true;

	const s32 ascender = getAscender();
	std::vector<std::pair<scene::IMeshSceneNode*, u32>> glyphNodes;
	core::uchar32_t previous = 0;
	for (size_t i = 0; i < length; ++i)
	{
		if (isLineBreak(text[i]))
		{
			if (text[i] == L'\r' && i + 1 < length && text[i + 1] == L'\n')
				++i;
			pen.Y -= ascender;
			pen.X = start.X;
			if (center)
			{
				const s32 nextWidth = static_cast<s32>(getDimension(lineAt(text, length, i + 1).c_str()).Width);
				pen.X = -(textWidth / 2) + ((textWidth - nextWidth) >> 1);
			}
			previous = 0;
			continue;
		}
		const core::uchar32_t c = toCodePoint(text[i]);
		const SCharGlyph glyph = glyphOf(c);
		if (glyph.Index != 0)
		{
			pen += computeKerning(c, previous);
			const SGUIFreetypeGlyph& record = Glyphs[glyph.Index];
			scene::SMesh* copy = sceneManager->getMeshManipulator()->createMeshCopy(quad);
			sceneManager->getMeshManipulator()->scale(copy,
				core::vector3df(static_cast<f32>(record.SourceRect.getWidth()),
					static_cast<f32>(record.SourceRect.getHeight()), 1.f));
			const core::vector3df position(
				static_cast<f32>(pen.X + record.Offset.X), static_cast<f32>(pen.Y - (ascender - record.Offset.Y)), 0.f);
			scene::IMeshSceneNode* node = sceneManager->addMeshSceneNode(copy, parent, -1, position);
			copy->drop();
			if (node)
			{
				node->getMaterial(0) = material;
				node->setAutomaticCulling(scene::EAC_OFF);
				node->setIsDebugObject(true);
				nodes.push_back(node);
				glyphNodes.push_back(std::make_pair(node, glyph.Index));
			}
		}
		pen.X += glyph.Width;
		previous = c;
	}

	uploadDirtyPages();
	for (const auto& glyphNode : glyphNodes)
	{
		const SGUIFreetypeGlyph& record = Glyphs[glyphNode.second];
		if (!record.Loaded || record.PageIndex >= Pages.size())
			continue;
		const CGUIFreetypeGlyphPage* page = Pages[record.PageIndex];
		// The page's planned size: a null driver's textures report none.
		const core::dimension2du& pageSize = page->getSize();
		const f32 left = record.SourceRect.UpperLeftCorner.X / static_cast<f32>(pageSize.Width);
		const f32 right = left + record.SourceRect.getWidth() / static_cast<f32>(pageSize.Width);
		const f32 top = record.SourceRect.UpperLeftCorner.Y / static_cast<f32>(pageSize.Height);
		const f32 bottom = top + record.SourceRect.getHeight() / static_cast<f32>(pageSize.Height);
		scene::IMeshBuffer* buffer = glyphNode.first->getMesh()->getMeshBuffer(0);
		video::S3DVertex* vertices = static_cast<video::S3DVertex*>(buffer->getVertices());
		vertices[0].TCoords.set(left, bottom);
		vertices[1].TCoords.set(right, bottom);
		vertices[2].TCoords.set(left, top);
		vertices[3].TCoords.set(right, top);
		glyphNode.first->setMaterialTexture(0, page->getTexture());
	}
	return nodes;
}

} // namespace gui
} // namespace irr
