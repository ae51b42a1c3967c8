#pragma once
// The 16-bit id at the head of every packet, in both directions.

#include <irrTypes.h>

namespace orv {
namespace net {

//! What the client sends.
enum EClientPacketId : irr::u16
{
	ECPI_LOGIN = 1,
	//! An object's changed class attributes, by 16-bit id.
	ECPI_CLASS_ATTRIBUTES = 4,
	//! An object's changed engine attributes, by 8-bit id.
	ECPI_ENGINE_ATTRIBUTES = 5
};

//! What the server sends, by the handler it reaches; ids from ESPI_COUNT on have none.
enum EServerPacketId : irr::u16
{
	ESPI_IGNORED = 0,
	ESPI_SERVER_ERROR = 1,
	ESPI_FILE_START = 2,
	ESPI_FILE_DATA = 3,
	ESPI_FILE_END = 4,
	ESPI_SWITCH_PARSER = 5,
	ESPI_MAIN_SCRIPT = 6,
	ESPI_ADD_CLASS = 7,
	ESPI_ADD_CLASS_ATTRIBUTE = 8,
	ESPI_CLASS_SCRIPT = 9,
	ESPI_ADD_SERVER_ATTRIBUTE = 10,
	ESPI_CHANGE_SERVER_PROPERTY = 11,
	ESPI_ADD_OBJECT = 12,
	ESPI_DELETE_OBJECT = 13,
	ESPI_CHANGE_OBJECT_ATTRIBUTE = 14,
	ESPI_SYNC_OBJECT = 15,
	ESPI_OBJECT_SCRIPT = 16,
	ESPI_SET_PLAYER = 17,
	ESPI_PHYSICS_SHAPE = 18,
	ESPI_COUNT = 19
};

} // namespace net
} // namespace orv
