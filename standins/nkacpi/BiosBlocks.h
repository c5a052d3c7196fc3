#pragma once

#include <cstdint>
#include <vector>

#include "BiosDescription.h"

namespace nkacpi {

// An item's information block: its entries as the description lists them.
std::vector<unsigned char> ItemBlock(const BiosItem& item);
std::uint32_t ItemBlockSize(const BiosItem& item);

// A group's information block: one entry per item, in file order, whose payload is the item id.
std::vector<unsigned char> GroupBlock(const BiosDescription& description, std::uint32_t group);
std::uint32_t GroupBlockSize(std::uint32_t itemCount);

}  // namespace nkacpi
