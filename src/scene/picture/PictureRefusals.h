#pragma once

// Why a picture is refused, as the log gives it: "Picture refused (<reason>)".
// The reasons of one format alone live with its reader.
namespace orv {
namespace refusals {

const char* const NOT_A_PICTURE = "not a picture format the client reads";
const char* const BAD_HEADER = "its header is short or inconsistent";
const char* const BAD_SIZE = "its size is 0 or above the limit";
const char* const SHORT_DATA = "its pixel data is short";
const char* const BAD_PALETTE = "its pixels name colours its palette lacks";

} // namespace refusals
} // namespace orv
