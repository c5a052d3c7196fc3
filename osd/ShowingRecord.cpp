#include "osd/ShowingRecord.h"

#include <cstdint>

#include "contract/ProcessContract.h"

namespace {

// A signed 32-bit number stored in a property's pointer-sized value, the same on both widths.
HANDLE AsProperty(std::uint32_t value) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(value));
}

std::uint32_t OutcomeCode(ShowingOutcome outcome) {
  switch (outcome) {
    case ShowingOutcome::NoPictureFullScreen:
      return contract::ShowingNoPictureFullScreen;
    case ShowingOutcome::Off:
      return contract::ShowingOff;
    case ShowingOutcome::Shown:
      break;
  }
  return contract::ShowingShown;
}

}  // namespace

void RecordShowing(HWND osd, const OsdPlacement& placement) {
  const RECT& rect = placement.monitor;
  const LONG edges[4] = {rect.left, rect.top, rect.right, rect.bottom};
  for (std::size_t i = 0; i < contract::LastMonitorProperties.size(); ++i)
    SetPropW(osd, contract::LastMonitorProperties[i], AsProperty(static_cast<std::uint32_t>(edges[i])));
  SetPropW(osd, contract::LastShowingProperty, AsProperty(OutcomeCode(placement.outcome)));
}

void ForgetShowing(HWND osd) {
  RemovePropW(osd, contract::LastShowingProperty);
  for (const wchar_t* name : contract::LastMonitorProperties)
    RemovePropW(osd, name);
}
