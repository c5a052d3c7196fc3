#pragma once

#include <string>

// The requests the movies understand, as the player's external-interface invoke texts.
std::string InvokeRequest(const std::string& function, const std::string& argument);
