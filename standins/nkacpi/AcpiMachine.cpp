#include "AcpiMachine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "BiosBlocks.h"
#include "BiosFile.h"
#include "InfoBlock.h"

namespace nkacpi {
namespace {

std::string Hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
  return text;
}

}  // namespace

AcpiMachine::AcpiMachine(Sink journal, Sink problem)
    : journal_(std::move(journal)), problem_(std::move(problem)) {}

std::int32_t AcpiMachine::Initialize(const std::filesystem::path& file) {
  std::string text, error;
  switch (ReadWholeFile(file, text, error)) {
    case ReadOutcome::kRead:
      return Load(text, file);
    case ReadOutcome::kMissing:
      error = "no BIOS description at " + PathText(file) + "; the machine has no groups";
      break;
    case ReadOutcome::kFailed:
      error += "; the machine has no groups";
      break;
  }
  {
    std::lock_guard lock(mutex_);
    file_ = file;
    description_.reset();
  }
  journal_("init");
  problem_(error);
  return 0;
}

std::int32_t AcpiMachine::Load(std::string_view text, const std::filesystem::path& file) {
  BiosParseResult parsed = ParseBiosDescription(text, PathText(file));
  {
    std::lock_guard lock(mutex_);
    file_ = file;
    description_ = std::move(parsed.description);
  }
  journal_("init");
  if (!parsed.error.empty()) {
    problem_("refused " + parsed.error + "; the machine has no groups");
    return 0;
  }
  return 1;
}

BiosItem* AcpiMachine::FindItem(std::uint32_t id) {
  if (!description_)
    return nullptr;
  auto found = std::find_if(description_->items.begin(), description_->items.end(),
                            [id](const BiosItem& item) { return item.Id() == id; });
  return found == description_->items.end() ? nullptr : &*found;
}

std::int32_t AcpiMachine::SetItemValue(std::uint32_t id, std::uint32_t index, std::uint32_t mode) {
  journal_("write " + Hex(id) + " " + std::to_string(index) + " " + std::to_string(mode));
  std::lock_guard lock(mutex_);
  BiosItem* item = FindItem(id);
  if (item == nullptr)
    return 0;
  // A BIOS setting survives a restart: the value counts only once the file holds it.
  BiosDescription changed = *description_;
  SetValueIndex(changed, changed.items[static_cast<std::size_t>(item - description_->items.data())], index);
  std::string error;
  if (!WriteFileAtomically(file_, RenderBiosDescription(changed), error)) {
    problem_("item " + Hex(id) + " keeps its value index " + std::to_string(item->valueIndex) + ": " + error);
    return 0;
  }
  description_ = std::move(changed);
  return 1;
}

std::int32_t AcpiMachine::GetItemValue(std::uint32_t id, std::uint32_t* index) {
  std::lock_guard lock(mutex_);
  BiosItem* item = FindItem(id);
  if (item != nullptr && index != nullptr)
    *index = item->valueIndex;
  journal_("read " + Hex(id) + " " + std::to_string(item ? item->valueIndex : 0));
  return item != nullptr && index != nullptr;
}

std::int32_t AcpiMachine::GetGroupInfo(std::uint32_t group, void* block, std::uint32_t* size) {
  std::int32_t filled = 0;
  {
    std::lock_guard lock(mutex_);
    if (description_ && std::find(description_->groups.begin(), description_->groups.end(), group) !=
                            description_->groups.end())
      filled = FillBlock(GroupBlock(*description_, group), block, size);
    else if (size != nullptr)
      *size = 0;
  }
  journal_("group " + std::to_string(group) + (filled ? " ok" : " fail"));
  return filled;
}

std::int32_t AcpiMachine::GetItemInfo(const void* payload, void* block, std::uint32_t* size) {
  std::uint32_t id = 0;
  if (payload != nullptr)
    std::memcpy(&id, payload, sizeof id);
  journal_("item " + Hex(id));
  std::lock_guard lock(mutex_);
  BiosItem* item = payload ? FindItem(id) : nullptr;
  if (item == nullptr) {
    if (size != nullptr)
      *size = 0;
    return 0;
  }
  return FillBlock(ItemBlock(*item), block, size);
}

}  // namespace nkacpi
