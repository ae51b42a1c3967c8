// Walks Irrlicht's XML reader, through the client's reading path, over every
// short text of XML's punctuation. Built without the sanitizers and run under
// valgrind: the reader's overruns happen inside Irrlicht, where the
// sanitizers do not look.

#include <cstdio>
#include <random>
#include <string>

#include <irrlicht.h>

#include "base/XmlReader.h"

using namespace irr;

int main()
{
	IrrlichtDevice* device = createDevice(video::EDT_NULL);
	if (!device)
		return 2;
	io::IFileSystem* fileSystem = device->getFileSystem();
	const char alphabet[] = "<<<>>>!-/?[]CDAT ='\"ab\n&;";
	std::mt19937 random(1);
	for (int text = 0; text < 40000; ++text)
	{
		std::string bytes;
		for (unsigned n = random() % 14; n > 0; --n)
			bytes += alphabet[random() % (sizeof(alphabet) - 1)];
		io::IReadFile* file = fileSystem->createMemoryReadFile(
			&bytes[0], static_cast<s32>(bytes.size()), "probe.xml", false);
		io::IXMLReaderUTF8* reader = orv::createXmlReader(fileSystem, file);
		file->drop();
		if (!reader)
			continue;
		for (int node = 0; node < 64 && reader->read(); ++node)
			reader->getNodeName();
		reader->drop();
	}
	device->drop();
	return 0;
}
