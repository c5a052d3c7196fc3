#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "BiosDescription.h"

namespace nkacpi {

// The simulated machine behind the library's entry points: the BIOS groups and items of its
// description file, and the value indices that writes store back into that file.
class AcpiMachine {
 public:
  // `journal` receives one event text per call ("group 15 ok", ...); `problem` every failure the
  // person running the machine should read (a refused description, a write that did not persist).
  using Sink = std::function<void(const std::string& text)>;
  AcpiMachine(Sink journal, Sink problem);

  // Ordinal 1: (re)reads the description file. A missing or refused file leaves a machine without
  // groups. Nonzero when a description was loaded.
  std::int32_t Initialize(const std::filesystem::path& file);
  // The same from text already read; `file` is still where writes go.
  std::int32_t Load(std::string_view text, const std::filesystem::path& file);

  // Stores the index in the file as it is now, not as it was read: another process, or the user, may have
  // changed another item since. Journals "write <id> <index> <mode> ok|failed <reason>" once it is
  // known; nonzero when the file holds the new index.
  std::int32_t SetItemValue(std::uint32_t id, std::uint32_t index, std::uint32_t mode);  // 2
  std::int32_t GetItemValue(std::uint32_t id, std::uint32_t* index);                     // 3
  std::int32_t GetGroupInfo(std::uint32_t group, void* block, std::uint32_t* size);      // 5
  std::int32_t GetItemInfo(const void* payload, void* block, std::uint32_t* size);       // 11

  // The temporary file the next write goes through before it takes the file's place: named for this
  // process and this write, so that writers never share one.
  std::filesystem::path NextTemporaryFile();

 private:
  BiosItem* FindItem(std::uint32_t id);
  // With mutex_ held; empty when the file holds the new index, else why not.
  std::string StoreValueIndex(std::uint32_t id, std::uint32_t index);

  Sink journal_;
  Sink problem_;
  std::mutex mutex_;
  std::filesystem::path file_;
  std::optional<BiosDescription> description_;
  std::uint32_t writes_ = 0;
};

}  // namespace nkacpi
