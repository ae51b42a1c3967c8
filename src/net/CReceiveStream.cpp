#include "net/CReceiveStream.h"

namespace orv {
namespace net {

namespace {

//! Drops the consumed front once it is at least as large as what is still live, so every byte is
//! moved at most once for each time it is consumed.
void compact(packet& bytes)
{
	const irr::u32 head = bytes.getReadPosition();
	if (head == bytes.getSize())
		bytes.clear();
	else if (head != 0 && head >= bytes.getSize() - head)
		bytes.removeRead();
}

//! The length of the block at the read position, or -1 while it is incomplete.
long completeBlock(const packet& received)
{
	const irr::u32 available = received.getBytesLeft();
	if (available < 2)
		return -1;
	const irr::u8* head = received.getData() + received.getReadPosition();
	const irr::u32 length = (irr::u32(head[0]) << 8) | head[1];
	return length > available - 2 ? -1 : static_cast<long>(length);
}

//! Whether `cost` more would pass the budget.
bool exceeds(irr::u32 done, irr::u32 cost, irr::u32 budget)
{
	return done >= budget || cost > budget - done;
}

void add(irr::u32& total, irr::u32 more)
{
	total = more > ~0u - total ? ~0u : total + more;
}

} // namespace

void CReceiveStream::append(const irr::u8* data, std::size_t size)
{
	if (size != 0)
		Received.appendBytes(data, static_cast<irr::u32>(size));
}

SReceiveWork CReceiveStream::process(IReceiveSink& sink, const SReceiveBudget& budget)
{
	SReceiveWork done;
	if (carryOn(sink, budget, done))
		return done;
	const irr::u32 size = Received.getSize();
	// Frames decoded in an earlier pass came before every block that still waits.
	EPass pass = cutFrames(sink, budget, done, size);
	while (pass == EP_GO_ON)
	{
		const long length = completeBlock(Received);
		if (length < 0)
			break;
		// The first block of a pass that has done nothing yet always goes.
		if (done.work != 0 && (done.work >= budget.work || done.inflatedBytes >= budget.inflatedBytes))
		{
			pass = EP_SPENT;
			break;
		}
		const irr::u8* block = Received.getData() + Received.getReadPosition() + 2;
		Received.setReadPosition(Received.getReadPosition() + 2 + static_cast<irr::u32>(length));
		const irr::u32 before = Decoded.getSize();
		const bool decoded = sink.decodeBlock(block, static_cast<std::size_t>(length), Decoded);
		const irr::u32 inflated = decoded ? Decoded.getSize() - before : 0;
		++done.blocks;
		add(done.inflatedBytes, inflated);
		add(done.work, blockWork(length != 0 ? block[0] : 0, static_cast<std::size_t>(length), inflated, decoded));
		if (decoded)
			pass = cutFrames(sink, budget, done, size);
		if (pass == EP_CHANGED || Received.getSize() != size)
			return done;
	}
	compact(Received);
	return done;
}

bool CReceiveStream::hasWork() const
{
	if (completeBlock(Received) >= 0)
		return true;
	const irr::u32 available = Decoded.getBytesLeft();
	if (available == 0)
		return false;
	const irr::u8* frame = Decoded.getData() + Decoded.getReadPosition();
	const irr::u32 width = frame[0];
	if (width > 4)
		return true;
	if (available - 1 < width)
		return false;
	irr::u32 length = 0;
	for (irr::u32 i = 0; i < width; ++i)
		length = (length << 8) | frame[1 + i];
	return length > MaxFrameLength || length <= available - 1 - width;
}

bool CReceiveStream::carryOn(IReceiveSink& sink, const SReceiveBudget& budget, SReceiveWork& done)
{
	if (!sink.isBusy())
		return false;
	// A pass that has done nothing yet gives it at least a unit, so it never stalls.
	const irr::u32 left = done.work >= budget.work ? 0 : budget.work - done.work;
	add(done.work, sink.carryOn(done.work == 0 && left == 0 ? 1 : left));
	return sink.isBusy();
}

CReceiveStream::EPass CReceiveStream::cutFrames(
	IReceiveSink& sink, const SReceiveBudget& budget, SReceiveWork& done, irr::u32 receivedSize)
{
	EPass pass = EP_GO_ON;
	while (Decoded.getBytesLeft() != 0)
	{
		const irr::u32 start = Decoded.getReadPosition();
		const irr::u32 available = Decoded.getSize() - start;
		const irr::u8* frame = Decoded.getData() + start;
		const irr::u32 width = frame[0];
		if (width > 4)
		{
			Decoded.clear();
			sink.reportStreamError("Frame length width above 4; the rest of the decoded bytes is dropped.");
			return EP_GO_ON;
		}
		if (available - 1 < width)
			break;
		irr::u32 length = 0;
		for (irr::u32 i = 0; i < width; ++i)
			length = (length << 8) | frame[1 + i];
		if (length > MaxFrameLength)
		{
			Decoded.clear();
			sink.reportStreamError("Frame longer than 16 MiB; the rest of the decoded bytes is dropped.");
			return EP_GO_ON;
		}
		if (length > available - 1 - width)
			break;

		const irr::u8* packet = frame + 1 + width;
		const irr::u32 work = sink.frameWork(packet, length);
		// So does its first frame, whatever it costs.
		if (done.packets != 0 && (done.packets >= budget.packets || exceeds(done.work, work, budget.work)))
		{
			pass = EP_SPENT;
			break;
		}
		// The read position moves before the dispatch, so a handler never meets this frame again.
		const irr::u32 next = start + 1 + width + length;
		const irr::u32 decodedSize = Decoded.getSize();
		Decoded.setReadPosition(next);
		++done.packets;
		add(done.work, work);
		add(done.work, sink.dispatchFrame(packet, length));
		if (Decoded.getSize() != decodedSize || Decoded.getReadPosition() != next || Received.getSize() != receivedSize)
			return EP_CHANGED;
		if (carryOn(sink, budget, done))
		{
			pass = EP_SPENT;
			break;
		}
	}
	compact(Decoded);
	return pass;
}

} // namespace net
} // namespace orv
