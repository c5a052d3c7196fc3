#include "BiosBlocks.h"

#include "InfoBlock.h"

namespace nkacpi {
namespace {

InfoBlockWriter ItemWriter(const BiosItem& item) {
  InfoBlockWriter writer;
  for (const BiosEntry& entry : item.entries) {
    if (entry.isString)
      writer.AddString(entry.text);
    else
      writer.AddInteger(entry.integer);
  }
  return writer;
}

}  // namespace

std::vector<unsigned char> ItemBlock(const BiosItem& item) {
  return ItemWriter(item).Finish();
}

std::uint32_t ItemBlockSize(const BiosItem& item) {
  return ItemWriter(item).Size();
}

std::vector<unsigned char> GroupBlock(const BiosDescription& description, std::uint32_t group) {
  InfoBlockWriter writer;
  for (const BiosItem& item : description.items) {
    if (item.group == group)
      writer.AddInteger(item.Id());
  }
  return writer.Finish();
}

std::uint32_t GroupBlockSize(std::uint32_t itemCount) {
  InfoBlockWriter writer;
  writer.AddInteger(0);
  return writer.Size() + (itemCount - 1) * (writer.Size() - InfoBlockWriter().Size());
}

}  // namespace nkacpi
