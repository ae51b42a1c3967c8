#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <IReadFile.h>

#include "base/WholeFile.h"

using namespace orv;

namespace {

// A file that reports a size of its own and holds what it is given: a
// folder opened by name, a file that shrank, an entry that lies.
class CFakeFile : public irr::io::IReadFile
{
public:
	CFakeFile(long reportedSize, std::string content, long position = 0)
		: ReportedSize(reportedSize)
		, Content(std::move(content))
		, Position(position)
	{
	}

	irr::s32 read(void* buffer, irr::u32 sizeToRead) override
	{
		++Reads;
		if (FailReads)
			return -1;
		const size_t left = Position < static_cast<long>(Content.size()) ? Content.size() - Position : 0;
		const size_t count = std::min<size_t>(sizeToRead, left);
		Content.copy(static_cast<char*>(buffer), count, static_cast<size_t>(Position));
		Position += static_cast<long>(count);
		return static_cast<irr::s32>(count);
	}
	bool seek(long finalPos, bool relativeMovement = false) override
	{
		Position = relativeMovement ? Position + finalPos : finalPos;
		return true;
	}
	long getSize() const override { return ReportedSize; }
	long getPos() const override { return Position; }
	const irr::io::path& getFileName() const override { return Name; }

	long ReportedSize;
	std::string Content;
	long Position;
	bool FailReads = false;
	int Reads = 0;
	irr::io::path Name = "fake";
};

} // namespace

TEST(WholeFile, ReadsUnderItsBoundAndNothingPastIt)
{
	const size_t BOUND = 16;
	struct Case
	{
		const char* name;
		long reportedSize;
		std::string content;
		long position;
		bool failReads;
		EWholeFileRead result;
		std::string bytes;
		bool readsAtAll;
	};
	const Case cases[] = {
		{"whole", 5, "hello", 0, false, EWFR_WHOLE, "hello", true},
		{"empty", 0, "", 0, false, EWFR_WHOLE, "", false},
		{"exactly the bound", 16, std::string(16, 'x'), 0, false, EWFR_WHOLE, std::string(16, 'x'), true},
		{"one past the bound", 17, std::string(17, 'x'), 0, false, EWFR_REFUSED, "", false},
		{"a size no one can hold", 1L << 40, "tiny", 0, false, EWFR_REFUSED, "", false},
		{"a size below zero", -1, "tiny", 0, false, EWFR_REFUSED, "", false},
		{"shrank since it was measured", 10, "four", 0, false, EWFR_SHORT, "four", true},
		{"a read that fails", 4, "four", 0, true, EWFR_SHORT, "", true},
		{"read from the first byte", 5, "hello", 3, false, EWFR_WHOLE, "hello", true},
	};
	for (const Case& c : cases)
	{
		SCOPED_TRACE(c.name);
		CFakeFile file(c.reportedSize, c.content, c.position);
		file.FailReads = c.failReads;
		std::string bytes = "left over";
		EXPECT_EQ(readWholeFile(&file, BOUND, bytes), c.result);
		EXPECT_EQ(bytes, c.bytes);
		EXPECT_EQ(file.Reads > 0, c.readsAtAll);
		// Every container of one-byte values is read alike.
		std::vector<unsigned char> units(3, 7);
		CFakeFile again(c.reportedSize, c.content, c.position);
		again.FailReads = c.failReads;
		EXPECT_EQ(readWholeFile(&again, BOUND, units), c.result);
		EXPECT_EQ(std::string(units.begin(), units.end()), c.bytes);
	}
	std::string bytes = "left over";
	EXPECT_EQ(readWholeFile(nullptr, BOUND, bytes), EWFR_REFUSED);
	EXPECT_TRUE(bytes.empty());
}
