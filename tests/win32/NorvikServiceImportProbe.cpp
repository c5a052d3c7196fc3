// Never run: linked only so that a test can read its import table, which must name NORVIKSERVICE.DLL's
// entries exactly as the program's own static import of them will.
#include "norvikservice/NorvikService.h"

int main() {
  return NkSysSvr_RegisterNotify(nullptr, L"") + NkSysSvr_UnregisterNotify(nullptr, L"");
}
