#pragma once
// Image nodes that the scene manager draws one after another with the same
// texture and material go to the driver in one call: ten thousand small quads
// cost about what one mesh of them costs. Installed as the scene manager's
// light manager, the batch hears of every node before it is drawn, of every
// render pass and of the end of the scene, and draws what it holds before
// anything else is drawn.
//
// The scene manager orders transparent nodes by their distance from the
// camera in all three axes, so a picture far to the side comes before a
// large one straight ahead even when it lies in front of it. A depth buffer
// hides that; the software renderer has none under an orthographic camera
// (every point has the same w) and painted such pictures over. So the held
// quads go to the driver farthest along the view first, and in the scene
// manager's order where their depth is the same.

// Declares the render passes and the node that the light manager's header
// uses without including them.
#include <ISceneManager.h>
#include <ILightManager.h>
#include <S3DVertex.h>
#include <SMaterial.h>
#include <irrArray.h>
#include <matrix4.h>

#include <vector>

namespace orv {

//! Collects the quads of image nodes while a scene is drawn.
/** Reference counted; the scene manager holds it from install on. The
    vertices are taken to the world by each node's transform when they are
    handed over and drawn with the world transform left as identity; a node
    drawn by itself goes the same way, so batched or not, the driver meets
    the same numbers. */
class CImageBatch : public irr::scene::ILightManager
{
	// Four vertices of a quad, taken to the world by the node's transform.
	struct SPlacedQuad
	{
		SPlacedQuad(const irr::core::matrix4& transform, const irr::video::S3DVertex* quad);
		irr::video::S3DVertex vertices[4];
	};

public:
	//! Makes the batch of the scene manager and installs it as its light
	//! manager; the scene manager's reference is the only one.
	static void install(irr::scene::ISceneManager* manager);
	//! The batch installed for the scene manager; null when none is.
	static CImageBatch* find(const irr::scene::ISceneManager* manager);
	//! On by default. Off, every held quad goes to the driver by itself, in
	//! the same order: the picture to compare a batched one with.
	static void setEnabled(bool enabled);
	static bool isEnabled();

	~CImageBatch() override;

	//! True while a scene is drawn: quads handed over now are drawn later.
	bool isCollecting() const { return Collecting; }
	//! Adds a quad of four vertices in mesh-buffer order (right-bottom,
	//! right-top, left-top, left-bottom), in the node's own space, drawn under
	//! the material. A quad that lies wholly outside the camera's view is left out.
	void add(
		const irr::video::SMaterial& material, const irr::core::matrix4& transform, const irr::video::S3DVertex* quad);
	//! Draws and forgets what is held, farthest first.
	void flush();

	//! Draws one quad at once, placed and drawn exactly as a batch places and
	//! draws it: a node that draws itself looks as it would in a batch.
	static void drawQuad(irr::video::IVideoDriver* driver, const irr::video::SMaterial& material,
		const irr::core::matrix4& transform, const irr::video::S3DVertex* quad);

	void OnPreRender(irr::core::array<irr::scene::ISceneNode*>& lightList) override;
	void OnPostRender() override;
	void OnRenderPassPreRender(irr::scene::E_SCENE_NODE_RENDER_PASS renderPass) override;
	void OnRenderPassPostRender(irr::scene::E_SCENE_NODE_RENDER_PASS renderPass) override;
	void OnNodePreRender(irr::scene::ISceneNode* node) override;
	void OnNodePostRender(irr::scene::ISceneNode* node) override {}

private:
	explicit CImageBatch(irr::scene::ISceneManager* manager);
	bool isInView(const SPlacedQuad& quad) const;
	void drawMerged();
	static void draw(irr::video::IVideoDriver* driver, const irr::video::SMaterial& material,
		const irr::video::S3DVertex* vertices, irr::u32 vertexCount, const irr::u16* indices);

	// A held quad: where it lies along the view, and which material it has.
	struct SHeld
	{
		irr::f32 depth;
		irr::u32 material;
		irr::u32 quad;
	};

	irr::scene::ISceneManager* Manager;
	// What add was given since the last flush, in the order it came.
	std::vector<SPlacedQuad> Quads;
	std::vector<SHeld> Held;
	std::vector<irr::video::SMaterial> Materials;
	// One draw call's worth: quads of one material, next to each other in depth order.
	irr::video::SMaterial Material;
	irr::core::array<irr::video::S3DVertex> Vertices;
	irr::core::array<irr::u16> Indices;
	// The camera's place and the way it looks, taken when the scene starts.
	irr::core::vector3df ViewOrigin;
	irr::core::vector3df ViewDirection;
	// The camera's view in world units, taken when the scene starts.
	irr::core::aabbox3df View;
	bool HasView = false;
	bool Collecting = false;
};

} // namespace orv
