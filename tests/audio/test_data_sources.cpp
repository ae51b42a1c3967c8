#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "audio/CFileSource.h"
#include "audio/CFileSourceFactory.h"
#include "audio/CMemorySource.h"

using namespace orv::audio;

namespace {

const char TEN_BYTES[] = "0123456789";

// A file of the given content in a temporary folder, removed afterwards.
class CTempFile
{
public:
	explicit CTempFile(const std::string& content)
	{
		char pattern[] = "/tmp/orv_audio_XXXXXX";
		const int fd = ::mkstemp(pattern);
		Path = pattern;
		::close(fd);
		std::ofstream(Path, std::ios::binary) << content;
	}
	~CTempFile() { std::remove(Path.c_str()); }
	const char* path() const { return Path.c_str(); }

private:
	std::string Path;
};

// Each step runs on a fresh source over TEN_BYTES.
struct SStep
{
	enum
	{
		READ,
		SEEK
	} kind;
	int amount;
	bool relative;
	int result;
	int position;
};

void runSteps(IDataSource& source, const std::vector<SStep>& steps, const char* name)
{
	char out[32];
	for (size_t i = 0; i < steps.size(); ++i)
	{
		const SStep& step = steps[i];
		if (step.kind == SStep::READ)
			EXPECT_EQ(source.read(out, step.amount), step.result) << name << " step " << i;
		else
			EXPECT_EQ(source.seek(step.amount, step.relative), step.result != 0) << name << " step " << i;
		EXPECT_EQ(source.getCurrentPos(), step.position) << name << " step " << i;
	}
}

const struct
{
	const char* name;
	std::vector<SStep> steps;
} STEP_CASES[] = {
	{"reads to the end",
		{{SStep::READ, 4, false, 4, 4}, {SStep::READ, 10, false, 6, 10}, {SStep::READ, 5, false, 0, 10}}},
	{"seek past the end stops there", {{SStep::SEEK, 12, false, 0, 10}, {SStep::SEEK, -3, true, 1, 7}}},
	{"seek before the start stops there",
		{{SStep::SEEK, 5, false, 1, 5}, {SStep::SEEK, -6, true, 0, 0}, {SStep::SEEK, -1, false, 0, 0}}},
	{"negative and empty reads", {{SStep::READ, -4, false, 0, 0}, {SStep::READ, 0, false, 0, 0}}},
	{"seek to the end exactly", {{SStep::SEEK, 10, false, 1, 10}, {SStep::READ, 1, false, 0, 10}}},
};

} // namespace

TEST(AudioDataSources, MemorySourceSteps)
{
	for (const auto& c : STEP_CASES)
	{
		CMemorySource* source = new CMemorySource(TEN_BYTES, 10);
		ASSERT_TRUE(source->isValid());
		EXPECT_EQ(source->getSize(), 10);
		runSteps(*source, c.steps, c.name);
		source->drop();
	}
}

TEST(AudioDataSources, FileSourceSteps)
{
	CTempFile file(TEN_BYTES);
	for (const auto& c : STEP_CASES)
	{
		CFileSource* source = new CFileSource(file.path());
		ASSERT_TRUE(source->isValid());
		EXPECT_EQ(source->getSize(), 10);
		runSteps(*source, c.steps, c.name);
		source->drop();
	}
}

TEST(AudioDataSources, MemorySourceCopiesAndRefusesNothing)
{
	char bytes[4] = {1, 2, 3, 4};
	CMemorySource* copy = new CMemorySource(bytes, 4);
	bytes[0] = 9;
	char out[4];
	EXPECT_EQ(copy->read(out, 4), 4);
	EXPECT_EQ(out[0], 1);
	copy->drop();

	struct Case
	{
		const char* name;
		const void* data;
		int size;
	} cases[] = {{"no data", nullptr, 10}, {"size 0", TEN_BYTES, 0}, {"negative size", TEN_BYTES, -5}};
	for (const Case& c : cases)
	{
		CMemorySource* source = new CMemorySource(c.data, c.size);
		EXPECT_FALSE(source->isValid()) << c.name;
		EXPECT_EQ(source->getSize(), 0) << c.name;
		EXPECT_EQ(source->read(out, 4), 0) << c.name;
		source->drop();
	}
}

TEST(AudioDataSources, FactoryReadsWholeFilesUnlessStreamed)
{
	CTempFile file(TEN_BYTES);
	IDataSource* loaded = getFileSourceFactory()->createDataSource(file.path(), false);
	ASSERT_NE(loaded, nullptr);
	EXPECT_NE(dynamic_cast<CMemorySource*>(loaded), nullptr);
	EXPECT_EQ(loaded->getSize(), 10);
	loaded->drop();

	IDataSource* streamed = getFileSourceFactory()->createDataSource(file.path(), true);
	ASSERT_NE(streamed, nullptr);
	EXPECT_NE(dynamic_cast<CFileSource*>(streamed), nullptr);
	EXPECT_EQ(streamed->getCurrentPos(), 0);
	EXPECT_EQ(streamed->getSize(), 10);
	streamed->drop();

	for (bool stream : {false, true})
	{
		for (const char* name : {"/no/such/file.ogg", ""})
		{
			IDataSource* missing = getFileSourceFactory()->createDataSource(name, stream);
			ASSERT_NE(missing, nullptr) << name;
			EXPECT_FALSE(missing->isValid()) << name;
			missing->drop();
		}
	}
}
