#include <vector>

#include <gtest/gtest.h>
#include <irrlicht.h>

#include "scene/C2DImageSceneNode.h"
#include "support/CMemoryImage.h"
#include "support/engine_fixture.h"
#include "world/CPhysicsManager.h"
#include "world/CSceneObject.h"

namespace orv {
namespace {

using irr::f32;
using irr::core::recti;
using irr::video::S3DVertex;
using test::CMemoryImage;

class ImageNodeTest : public test::EngineTest
{
protected:
	void SetUp() override
	{
		test::EngineTest::SetUp();
		scene = engine().getDevice()->getSceneManager();
		driver = engine().getVideoDriver();
	}
	void TearDown() override
	{
		for (C2DImageSceneNode* node : nodes)
			node->remove();
		nodes.clear();
		images.clear();
		test::EngineTest::TearDown();
	}

	// An image of one colour whose textures are built at most maxEdge wide.
	CMemoryImage* image(const char* name, irr::u32 width, irr::u32 height, irr::u32 maxEdge = 0)
	{
		irr::video::IImage* picture = test::createFilledPicture(driver, width, height);
		images.emplace_back(new CMemoryImage(engine().getDevice(), name, picture));
		picture->drop();
		STextureLimits limits;
		limits.MaxEdge = maxEdge;
		EXPECT_TRUE(images.back()->createTextures(limits));
		return images.back().get();
	}

	// A node under the root; the scene holds it, the test removes it.
	C2DImageSceneNode* node(CImage* shown, irr::scene::ISceneNode* parent = nullptr)
	{
		C2DImageSceneNode* made = new C2DImageSceneNode(shown, parent ? parent : scene->getRootSceneNode(), scene);
		made->drop();
		if (!parent)
			nodes.push_back(made);
		return made;
	}

	irr::scene::ISceneManager* scene = nullptr;
	irr::video::IVideoDriver* driver = nullptr;
	std::vector<C2DImageSceneNode*> nodes;
	std::vector<std::unique_ptr<CMemoryImage>> images;
};

struct SQuad
{
	f32 left, top, right, bottom;
	f32 u1, v1, u2, v2;
	irr::u32 texture;
};

TEST_F(ImageNodeTest, QuadsCoverTheSourceRectangleCentredOnTheOrigin)
{
	// The null driver gives square power-of-two textures.
	const f32 a = 72.0f / 128.0f;
	struct Case
	{
		const char* what;
		irr::u32 width, height, maxEdge;
		recti source;
		std::vector<SQuad> quads;
	} cases[] = {
		{"picture inside a larger texture", 300, 200, 0, {0, 0, 0, 0},
			{{-150, -100, 150, 100, 0, 0, 300 / 512.0f, 200 / 512.0f, 0}}},
		{"source rectangle", 64, 64, 0, {10, 20, 42, 52},
			{{-16, -16, 16, 16, 10 / 64.0f, 20 / 64.0f, 42 / 64.0f, 52 / 64.0f, 0}}},
		{"2 x 2 pieces, bottom row first", 200, 200, 128, {0, 0, 0, 0},
			{{-100, 28, 28, 100, 0, 0, 1, a, 2}, {28, 28, 100, 100, 0, 0, a, a, 3}, {-100, -100, 28, 28, 0, 0, 1, 1, 0},
				{28, -100, 100, 28, 0, 0, a, 1, 1}}},
		{"inside the top-left piece", 200, 200, 128, {10, 10, 50, 50},
			{{-20, -20, 20, 20, 10 / 128.0f, 10 / 128.0f, 50 / 128.0f, 50 / 128.0f, 0}}},
		{"right edge on the piece boundary", 200, 200, 128, {10, 10, 128, 50},
			{{-59, -20, 59, 20, 10 / 128.0f, 10 / 128.0f, 1, 50 / 128.0f, 0},
				{59, -20, 59, 20, 0, 10 / 128.0f, 0, 50 / 128.0f, 1}}},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.what);
		CMemoryImage* shown = image(c.what, c.width, c.height, c.maxEdge);
		C2DImageSceneNode* n = node(shown);
		n->setSourceRect(c.source.UpperLeftCorner.X, c.source.UpperLeftCorner.Y, c.source.LowerRightCorner.X,
			c.source.LowerRightCorner.Y);
		ASSERT_EQ(n->getMeshBufferCount(), c.quads.size());
		for (irr::u32 b = 0; b < c.quads.size(); ++b)
		{
			const SQuad& q = c.quads[b];
			irr::scene::IMeshBuffer* buffer = n->getMeshBuffer(b);
			ASSERT_EQ(buffer->getVertexCount(), 4u);
			ASSERT_EQ(buffer->getIndexCount(), 6u);
			const S3DVertex* v = static_cast<const S3DVertex*>(buffer->getVertices());
			// Right-bottom, right-top, left-top, left-bottom.
			const f32 expected[4][4] = {{q.right, q.bottom, q.u2, q.v2}, {q.right, q.top, q.u2, q.v1},
				{q.left, q.top, q.u1, q.v1}, {q.left, q.bottom, q.u1, q.v2}};
			for (int i = 0; i < 4; ++i)
			{
				EXPECT_FLOAT_EQ(v[i].Pos.X, expected[i][0]) << "buffer " << b << " vertex " << i;
				EXPECT_FLOAT_EQ(v[i].Pos.Y, expected[i][1]) << "buffer " << b << " vertex " << i;
				EXPECT_FLOAT_EQ(v[i].TCoords.X, expected[i][2]) << "buffer " << b << " vertex " << i;
				EXPECT_FLOAT_EQ(v[i].TCoords.Y, expected[i][3]) << "buffer " << b << " vertex " << i;
			}
			EXPECT_EQ(buffer->getMaterial().getTexture(0), shown->getTexture(q.texture)) << "buffer " << b;
			EXPECT_EQ(buffer->getMaterial().MaterialType, irr::video::EMT_TRANSPARENT_ALPHA_CHANNEL);
			EXPECT_FALSE(buffer->getMaterial().Lighting);
		}
		EXPECT_EQ(n->getMeshBuffer(n->getMeshBufferCount()), nullptr);
		EXPECT_EQ(&n->getMaterial(n->getMaterialCount()), &irr::video::IdentityMaterial);
	}
	const irr::core::aabbox3df box = nodes[0]->getBoundingBox();
	EXPECT_EQ(box.MinEdge, irr::core::vector3df(-150, -100, 0));
	EXPECT_EQ(box.MaxEdge, irr::core::vector3df(150, 100, 0));
}

TEST_F(ImageNodeTest, RebuildsOnlyWhenSomethingChanged)
{
	C2DImageSceneNode* empty = node(nullptr);
	EXPECT_EQ(empty->getMeshBufferCount(), 0u);
	EXPECT_EQ(empty->getBoundingBox().MinEdge, irr::core::vector3df(-1, -1, -1));

	// A rebuild makes new buffers, so a mark left on the old first buffer is
	// gone; a new buffer may sit at the old one's address.
	const auto mark = [](C2DImageSceneNode* shown) { shown->getMeshBuffer(0)->getMaterial().Wireframe = true; };
	const auto rebuilt = [](C2DImageSceneNode* shown) { return !shown->getMeshBuffer(0)->getMaterial().Wireframe; };

	CMemoryImage* small = image("small.png", 64, 32);
	C2DImageSceneNode* n = node(small);
	mark(n);
	EXPECT_EQ(n->getSourceRect(), recti(0, 0, 64, 32));

	n->setImage(nullptr);
	EXPECT_FALSE(rebuilt(n));
	n->setImage(small);
	EXPECT_TRUE(rebuilt(n));
	mark(n);
	n->setSourceRect(0, 0, 64, 32);
	EXPECT_FALSE(rebuilt(n));

	// Another image's notification leaves the node alone; its own rebuilds it,
	// showing the new picture whole.
	CMemoryImage* other = image("other.png", 16, 16);
	EXPECT_FALSE(rebuilt(n));
	irr::video::IImage* larger = test::createFilledPicture(driver, 100, 50);
	small->setPicture(larger);
	larger->drop();
	ASSERT_TRUE(small->createTextures());
	EXPECT_TRUE(rebuilt(n));
	EXPECT_EQ(n->getSourceRect(), recti(0, 0, 100, 50));
	EXPECT_EQ(n->getBoundingBox().MaxEdge, irr::core::vector3df(50, 25, 0));
	EXPECT_EQ(n->getMeshBuffer(0)->getMaterial().getTexture(0), small->getTexture(0));
	(void)other;

	// Position, rotation and scale act through the transformation only.
	n->setPosition(irr::core::vector3df(5, 6, 7));
	n->setScale(irr::core::vector3df(2, 2, 1));
	EXPECT_EQ(n->getBoundingBox().MaxEdge, irr::core::vector3df(50, 25, 0));
	EXPECT_EQ(n->getPosition(), irr::core::vector3df(5, 6, 7));
}

TEST_F(ImageNodeTest, InvisibleOwnerIsNotDrawnButItsChildrenAre)
{
	scene->addCameraSceneNode();
	CMemoryImage* shown = image("pic.png", 8, 8);
	CSceneObject* owner = new CSceneObject(1, nullptr);
	CSceneObject* childOwner = new CSceneObject(2, nullptr);
	C2DImageSceneNode* n = node(shown);
	C2DImageSceneNode* child = node(shown, n);
	n->setSceneObject(owner);
	child->setSceneObject(childOwner);

	struct Case
	{
		bool ownerVisible;
		bool ownerDrawn;
	} cases[] = {{true, true}, {false, false}, {true, true}};
	for (const Case& c : cases)
	{
		owner->setVisible(c.ownerVisible);
		owner->setDrawnThisFrame(true);
		childOwner->setDrawnThisFrame(false);
		scene->drawAll();
		EXPECT_EQ(owner->isDrawnThisFrame(), c.ownerDrawn) << c.ownerVisible;
		EXPECT_TRUE(childOwner->isDrawnThisFrame()) << c.ownerVisible;
	}
	n->remove();
	nodes.clear();
	owner->drop();
	childOwner->drop();
}

} // namespace
} // namespace orv
