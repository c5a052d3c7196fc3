#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace nkacpi {

enum class ReadOutcome { kRead, kMissing, kFailed };

// The most a BIOS description may hold. A real one is a few hundred bytes; whatever is larger is not
// one, and reading it whole would only cost the program's memory and time inside a library call.
inline constexpr std::uintmax_t kLargestBiosFile = 1024 * 1024;

// Reads the whole file, up to kLargestBiosFile bytes; a larger file is refused unread. On failure
// `error` says why, naming the file.
ReadOutcome ReadWholeFile(const std::filesystem::path& path, std::string& text, std::string& error);

// Replaces the file's contents so that a reader (or a crash) sees either the old text or the new one,
// never a mix: the text goes to the temporary file (beside it, on the same volume), which then takes
// the file's place.
bool WriteFileAtomically(const std::filesystem::path& path, const std::filesystem::path& temporary,
                         std::string_view text, std::string& error);

// "<file>.<process id>-<serial>.tmp": a name no other writer of the file uses, also in another process.
std::filesystem::path TemporaryFileFor(const std::filesystem::path& file, std::uint32_t serial);

// This process's id, for names that must differ between processes.
unsigned long ThisProcessId();

// The path as UTF-8 text, for messages.
std::string PathText(const std::filesystem::path& path);

}  // namespace nkacpi
