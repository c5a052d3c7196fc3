#include "osd/PlayerRequests.h"

std::string InvokeRequest(const std::string& function, const std::string& argument) {
  return "<invoke name=\"" + function + "\" returntype=\"xml\"><arguments><string>" + argument +
         "</string></arguments></invoke>";
}
