#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

// The movie takes its label in a request buffer of this many bytes, the terminating zero included.
inline constexpr std::size_t LabelRequestBufferSize = 256;

// The "changeLabel" request carrying text, an 8-bit text in the given code page. Characters that mean
// something to XML are written as entities. A label too long for the buffer is cut at the last whole
// character or entity that fits, so the request always fits with its zero.
std::string LabelRequest(std::string_view text, UINT codePage);
