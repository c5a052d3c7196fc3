// Run by the Wine harness before the suites: an i686 build of this program either starts under Wine
// and says so, or the machine runs no 32-bit code and the suites go to the x86_64 twin.
#include <cstdio>

int main() {
  std::printf("wine probe: %u-bit code runs\n", static_cast<unsigned>(sizeof(void*) * 8));
  return 0;
}
