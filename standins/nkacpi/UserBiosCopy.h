#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace nkacpi {

// Where the user's own copy of the simulated BIOS lives: <LocalAppData>\GearShift\bios.txt. The shipped
// file sits in the program folder, which a standard user cannot write; the copy is what changes.
std::filesystem::path UserBiosCopyPath();

// The file the library serves: the one NKACPI_BIOS names, else the user's copy, made from the shipped
// file the first time it is missing (never overwritten once there). Without a place for the copy, the
// shipped file itself, with a word to `problem` that writes may not reach it.
std::filesystem::path ChooseBiosFile(const std::filesystem::path& shipped,
                                     const std::function<void(const std::string&)>& problem);

}  // namespace nkacpi
