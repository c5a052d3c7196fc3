#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace nkacpi {

enum class ReadOutcome { kRead, kMissing, kFailed };

// Reads the whole file; on failure `error` says why.
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
