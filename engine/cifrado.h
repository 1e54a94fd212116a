// Position-dependent byte shift that keeps the login password out of plain
// sight in memory. Texts are byte strings of any value, zero included.
#pragma once

#include <string>

namespace engine {

std::string cifrar(const std::string& texto);
std::string descifrar(const std::string& texto);

}  // namespace engine
