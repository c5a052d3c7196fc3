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

std::filesystem::path AcpiMachine::NextTemporaryFile() {
  std::lock_guard lock(mutex_);
  return TemporaryFileFor(file_, writes_ + 1);
}

std::string AcpiMachine::StoreValueIndex(std::uint32_t id, std::uint32_t index) {
  BiosItem* known = FindItem(id);
  if (known == nullptr)
    return "no item " + Hex(id);
  std::string text, error;
  switch (ReadWholeFile(file_, text, error)) {
    case ReadOutcome::kRead:
      break;
    case ReadOutcome::kMissing:
      error = "no BIOS description at " + PathText(file_) + " any more";
      [[fallthrough]];
    case ReadOutcome::kFailed:
      problem_("item " + Hex(id) + " keeps its value index " + std::to_string(known->valueIndex) + ": " +
               error);
      return error;
  }
  BiosParseResult current = ParseBiosDescription(text, PathText(file_));
  if (!current.description) {
    error = "refused " + current.error;
    problem_(error + "; item " + Hex(id) + " keeps its value index " + std::to_string(known->valueIndex));
    return error;
  }
  auto item = std::find_if(current.description->items.begin(), current.description->items.end(),
                           [id](const BiosItem& candidate) { return candidate.Id() == id; });
  if (item == current.description->items.end())
    return "no item " + Hex(id) + " in " + PathText(file_) + " any more";
  SetValueIndex(*current.description, *item, index);
  // A BIOS setting survives a restart: the value counts only once the file holds it.
  if (!WriteFileAtomically(file_, TemporaryFileFor(file_, ++writes_),
                           RenderBiosDescription(*current.description), error)) {
    problem_("item " + Hex(id) + " keeps its value index " + std::to_string(known->valueIndex) + ": " +
             error);
    return error;
  }
  description_ = std::move(current.description);
  return {};
}

std::int32_t AcpiMachine::SetItemValue(std::uint32_t id, std::uint32_t index, std::uint32_t mode) {
  std::string failure;
  {
    std::lock_guard lock(mutex_);
    failure = StoreValueIndex(id, index);
  }
  // After the attempt, with its outcome: the line says what the BIOS holds now.
  journal_("write " + Hex(id) + " " + std::to_string(index) + " " + std::to_string(mode) +
           (failure.empty() ? " ok" : " failed " + failure));
  return failure.empty() ? 1 : 0;
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
