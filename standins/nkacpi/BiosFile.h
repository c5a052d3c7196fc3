#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace nkacpi {

enum class ReadOutcome { kRead, kMissing, kFailed };

// Reads the whole file; on failure `error` says why.
ReadOutcome ReadWholeFile(const std::filesystem::path& path, std::string& text, std::string& error);

// Replaces the file's contents so that a reader (or a crash) sees either the old text or the new one,
// never a mix: the text goes to a temporary file beside it, which then takes the file's place.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view text, std::string& error);

// The path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

}  // namespace nkacpi
