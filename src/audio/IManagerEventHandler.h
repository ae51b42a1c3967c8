#pragma once

namespace orv {
namespace audio {

//! Kept by a manager for its plug-ins; no manager operation calls it.
class IManagerEventHandler
{
public:
	virtual ~IManagerEventHandler() = default;
};

} // namespace audio
} // namespace orv
