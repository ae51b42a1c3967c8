// Runs a fuzz target over the inputs named on the command line (files, or
// folders whose files are taken in name order), once each, as libFuzzer
// replays a corpus. Built without sanitizers, for valgrind: ASan cannot see
// the uninitialised bytes that the uninstrumented libraries read.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

void runFile(const fs::path& path)
{
	// Named first, so a report that follows is of this input.
	std::fprintf(stderr, "input: %s\n", path.c_str());
	std::ifstream in(path, std::ios::binary);
	std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
	// An empty vector has no data(): libFuzzer hands even an empty input a valid pointer.
	bytes.reserve(1);
	LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

} // namespace

int main(int argc, char** argv)
{
	std::size_t inputs = 0;
	for (int i = 1; i < argc; ++i)
	{
		// Absolute: a target's engine makes a folder of its own the working directory.
		const fs::path given = fs::absolute(argv[i]);
		std::vector<fs::path> files;
		if (fs::is_directory(given))
		{
			for (const fs::directory_entry& entry : fs::directory_iterator(given))
				if (entry.is_regular_file())
					files.push_back(entry.path());
			std::sort(files.begin(), files.end());
		}
		else
			files.push_back(given);
		for (const fs::path& file : files)
			runFile(file);
		inputs += files.size();
	}
	std::printf("%zu inputs replayed\n", inputs);
	return 0;
}
