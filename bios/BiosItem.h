#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bios {

// One BIOS setup item, described by its own copy of the information block the library filled.
// The virtual operations keep this order in every derived class.
template <typename Char>
class BasicBiosItem {
 public:
  using String = std::basic_string<Char>;

  BasicBiosItem() = default;
  // Derived items hold views into the block copy; a copy of the object would leave them dangling.
  BasicBiosItem(const BasicBiosItem&) = delete;
  BasicBiosItem& operator=(const BasicBiosItem&) = delete;
  virtual ~BasicBiosItem() = default;

  virtual std::uint32_t IndexCount() const { return 0; }
  virtual std::int32_t InfoValue() const = 0;
  virtual bool IsAttribute8() const { return (itemId_ & 0x00F00000u) == 0x00800000u; }
  virtual void IndexToRational(std::uint32_t index, std::int32_t& numerator, std::int32_t& denominator) const;
  virtual double IndexToValue(std::uint32_t index) const;
  virtual String IndexToString(std::uint32_t index) const;

  // Copies the block and reads it; true when the whole description was there. A false result still
  // leaves the object usable, holding whatever was read before the check that failed.
  bool LoadInfo(const void* block, std::uint32_t size);

  std::uint32_t ItemId() const { return itemId_; }

 protected:
  // Reads the entries after the item id; the cursor and the remaining count move on past what it reads.
  virtual bool ParseInfo(const void*& cursor, std::int64_t& remaining);

  // The integer of entry 3, read afresh from the block copy.
  std::int32_t ReadEntry3() const;
  void ReportUnsupported(const char* operation) const;

 private:
  std::vector<unsigned char> block_;
  std::uint32_t blockSize_ = 0;
  std::uint32_t itemId_ = 0;
};

using BiosItemA = BasicBiosItem<char>;

}  // namespace bios
