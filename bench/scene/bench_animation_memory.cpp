// What animation files cost: a 64 MiB file of "a" lines read as an animation,
// and one file of 65,536 sprite placements (one a line, 384 KB) played by 10
// objects. Each runs in an engine of its own on the null device, in a process
// of its own, and prints its time and how far it raised the process's peak
// memory above the started engine's (goal: a few times the file, not
// gigabytes; the 10 objects well under what one copy of the placements as
// image nodes cost, about 95 MB an object).

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include <sys/resource.h>

#include <ISceneManager.h>

#include "scene/AnimationMemory.h"
#include "scene/CAnimatedSpriteSceneNode.h"
#include "scene/CAnimation.h"
#include "support/FreshEngine.h"
#include "support/InChild.h"
#include "support/NoAudioDevice.h"

using namespace orv;
using Clock = std::chrono::steady_clock;

namespace {

struct SFigures
{
	double seconds = -1.0;
	double peakMiB = 0.0;
	double heldMiB = 0.0;
	unsigned long sprites = 0;
};

double peakMiB()
{
	rusage usage{};
	getrusage(RUSAGE_SELF, &usage);
	return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

SFigures readLines()
{
	SFigures figures;
	bench::CFreshEngine fresh("gani-lines");
	{
		// Written in pieces, so the file itself does not raise the peak.
		std::ofstream out(fresh.folder() / "lines.gani", std::ios::binary);
		out << "GANI0001ANI\n";
		std::string piece;
		for (int i = 0; i < 32768; ++i)
			piece += "a\n";
		for (size_t written = 12; written + piece.size() <= (64u << 20); written += piece.size())
			out << piece;
	}
	CGameEngine* engine = fresh.start();
	if (!engine)
		return figures;
	const double before = peakMiB();
	const Clock::time_point start = Clock::now();
	CAnimation* animation = engine->getAnimation("lines.gani");
	figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
	figures.peakMiB = peakMiB() - before;
	figures.heldMiB = static_cast<double>(getAnimationMemoryHeld()) / (1 << 20);
	if (!animation)
		figures.seconds = -1.0;
	return figures;
}

SFigures playPlacements()
{
	SFigures figures;
	bench::CFreshEngine fresh("gani-objects");
	{
		std::string text = "GANI0001SPRITE 1 a.png 0 0 32 32 x\nLOOP\nANI\n";
		for (int line = 0; line < 65536; ++line)
			text += "1 0 0\n";
		std::ofstream(fresh.folder() / "many.gani", std::ios::binary) << text << "ANIEND\n";
	}
	CGameEngine* engine = fresh.start();
	if (!engine)
		return figures;
	irr::scene::ISceneManager* scene = engine->getDevice()->getSceneManager();
	const double before = peakMiB();
	const Clock::time_point start = Clock::now();
	CAnimation* animation = engine->getAnimation("many.gani");
	if (!animation)
		return figures;
	CAnimatedSpriteSceneNode* nodes[10];
	for (CAnimatedSpriteSceneNode*& node : nodes)
	{
		node = new CAnimatedSpriteSceneNode(scene->getRootSceneNode(), scene);
		animation->applyToNode(node, nullptr);
		node->setStopped(false);
	}
	// Every object plays through a hundred frames.
	for (irr::u32 step = 1; step <= 100; ++step)
		for (CAnimatedSpriteSceneNode* node : nodes)
			node->OnAnimate(1000000u + step * 100u);
	figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
	figures.peakMiB = peakMiB() - before;
	figures.heldMiB = static_cast<double>(getAnimationMemoryHeld()) / (1 << 20);
	for (CAnimatedSpriteSceneNode* node : nodes)
	{
		figures.sprites += node->getChildren().size();
		node->remove();
		node->drop();
	}
	return figures;
}

} // namespace

int main()
{
	bench::withoutAudioDevice();
	const SFigures lines = bench::inChild(readLines, SFigures());
	const SFigures objects = bench::inChild(playPlacements, SFigures());
	if (lines.seconds < 0.0 || objects.seconds < 0.0)
	{
		std::fprintf(stderr, "bench_animation_memory: an animation could not be read\n");
		return 1;
	}
	std::printf("64 MiB of \"a\" lines read as one animation:\n");
	std::printf("  %8.3f s, peak memory +%.1f MiB, animation memory held %.1f MiB\n", lines.seconds, lines.peakMiB,
		lines.heldMiB);
	std::printf("65,536 placements (384 KB) played by 10 objects, 100 frames each:\n");
	std::printf("  %8.3f s, peak memory +%.1f MiB, animation memory held %.1f MiB, %lu sprite nodes\n", objects.seconds,
		objects.peakMiB, objects.heldMiB, objects.sprites);
	return 0;
}
