// Feeds arbitrary information blocks and arbitrary BIOS description files through the item model and
// the stand-in's machine. The first byte chooses what the rest is:
//   0: raw bytes handed to LoadInfo as a block,
//   1: a list of entries (tag byte even: 4-byte integer; odd: length byte and string) made into a
//      well-formed block, to reach deep into the item parsers,
//   2: the text of a BIOS description file.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "AcpiMachine.h"
#include "BiosBlocks.h"
#include "InfoBlock.h"
#include "contract/AcpiLibrary.h"
#include "bios/BiosBooleanItem.h"
#include "bios/BiosNumberItem.h"
#include "bios/BiosStringItem.h"
#include "bios/MessageBox.h"

namespace {

void ConvertEverything(const bios::BiosItemA& item) {
  std::uint32_t count = item.IndexCount();
  const std::uint32_t indices[] = {0, 1, 2, 3, count - 1, count, count + 1, 0x7FFFFFFF, 0xFFFFFFFF};
  for (std::uint32_t index : indices) {
    std::int32_t numerator = 0, denominator = 0;
    item.IndexToRational(index, numerator, denominator);
    volatile double value = item.IndexToValue(index);
    (void)value;
    std::string text = item.IndexToString(index);
    // The text goes on as a C string (into the movie's label): a NUL inside would cut it short.
    if (text.find('\0') != std::string::npos)
      std::abort();
  }
  (void)item.InfoValue();
  (void)item.IsAttribute8();
}

void LoadAsEveryKind(const void* block, std::uint32_t size) {
  std::unique_ptr<bios::BiosItemA> items[] = {std::make_unique<bios::BiosNumberItemA>(),
                                              std::make_unique<bios::BiosStringItemA>(),
                                              std::make_unique<bios::BiosBooleanItemA>()};
  for (auto& item : items) {
    item->LoadInfo(block, size);
    ConvertEverything(*item);
  }
}

std::vector<unsigned char> BlockFromEntries(const std::uint8_t* data, std::size_t size) {
  nkacpi::InfoBlockWriter writer;
  std::size_t at = 0;
  while (at < size && writer.Size() < nkacpi::kMaxBlockSize) {
    std::uint8_t tag = data[at++];
    if (tag % 2 == 0) {
      std::uint32_t value = 0;
      std::size_t take = std::min<std::size_t>(4, size - at);
      std::memcpy(&value, data + at, take);
      at += take;
      writer.AddInteger(value);
    } else {
      std::size_t length = at < size ? data[at++] : 0;
      length = std::min(length, size - at);
      writer.AddString(std::string(reinterpret_cast<const char*>(data + at), length));
      at += length;
    }
  }
  return writer.Finish();
}

void ExerciseDescription(std::string_view text) {
  nkacpi::BiosParseResult parsed = nkacpi::ParseBiosDescription(text, "fuzz.txt");
  if (parsed.description) {
    // What a write puts back must read as the same machine.
    nkacpi::BiosParseResult again =
        nkacpi::ParseBiosDescription(nkacpi::RenderBiosDescription(*parsed.description), "fuzz.txt");
    if (!again.description || again.description->items.size() != parsed.description->items.size() ||
        again.description->groups != parsed.description->groups)
      std::abort();
  } else if (parsed.error.rfind("fuzz.txt:", 0) != 0) {
    std::abort();
  }

  nkacpi::AcpiMachine machine([](const std::string&) {}, [](const std::string&) {});
  machine.Load(text, "/nonexistent/fuzz.txt");
  if (!parsed.description)
    return;
  const bios::AcpiLibrary& acpi = bios::Acpi();
  std::vector<unsigned char> groupBlock(bios::kInfoBlockSize), itemBlock(bios::kInfoBlockSize);
  for (std::uint32_t group : parsed.description->groups) {
    std::uint32_t size = bios::kInfoBlockSize;
    if (!machine.GetGroupInfo(group, groupBlock.data(), &size))
      std::abort();
    const void* entry = acpi.FirstEntry(groupBlock.data());
    for (std::uint32_t i = 0, count = acpi.EntryCount(groupBlock.data()); i <= count; ++i) {
      std::uint32_t itemSize = bios::kInfoBlockSize;
      if (i < count && !machine.GetItemInfo(acpi.EntryPayload(entry), itemBlock.data(), &itemSize))
        std::abort();
      if (i < count)
        LoadAsEveryKind(itemBlock.data(), itemSize);
      entry = acpi.NextEntry(entry);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool quiet = [] {
    bios::ReplaceMessageBox([](const char*, const char*) {});
    return true;
  }();
  (void)quiet;
  if (size == 0)
    return 0;
  const std::uint8_t* rest = data + 1;
  std::size_t restSize = size - 1;
  switch (data[0] % 3) {
    case 0:
      LoadAsEveryKind(rest, static_cast<std::uint32_t>(restSize));
      break;
    case 1: {
      std::vector<unsigned char> block = BlockFromEntries(rest, restSize);
      LoadAsEveryKind(block.data(), static_cast<std::uint32_t>(block.size()));
      break;
    }
    default:
      ExerciseDescription(std::string_view(reinterpret_cast<const char*>(rest), restSize));
      break;
  }
  return 0;
}
