// Helpers for statements built as text.
#pragma once

#include <string>

namespace db {

// x in single quotes with every embedded single quote doubled.
std::string quoted(const std::string& x);

// The text of an integer key, checked: an optional sign and digits, blanks
// around it ignored. Anything else (empty included) throws ErrorClave naming
// the value, so no queue value can change the shape of a statement.
std::string claveNumerica(const std::string& texto);
std::string claveNumerica(long long valor);

}  // namespace db
