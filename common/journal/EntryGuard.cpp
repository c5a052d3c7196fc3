#include "EntryGuard.h"

#include <windows.h>

#include <exception>
#include <string>

#include "Journal.h"
#include "JournalWriter.h"

namespace journal {

void ReportEntryFailure(const EntryReporter& reporter, std::string_view entry) noexcept {
  const char* what = "an exception of an unknown kind";
  try {
    throw;
  } catch (const std::exception& error) {
    what = error.what();
  } catch (...) {
  }
  try {
    std::string text = std::string(entry) + ": " + what;
    if (reporter.queued)
      Queue(reporter.component, "error " + text);
    else
      Write(reporter.component, "error " + text);
    OutputDebugStringA((std::string(reporter.library) + ": " + text + "\n").c_str());
  } catch (...) {
    OutputDebugStringA("GearShift stand-in: an entry failed, and there was no memory left to say why\n");
  }
}

}  // namespace journal
