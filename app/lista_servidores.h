// The server list of the login dialog: SERVIDORES.cfg in the agent's
// directory, plain text, one server location per line.
#pragma once

#include <string>
#include <vector>

namespace app {

extern const char* const kArchivoServidores;  // "SERVIDORES.cfg"

// The lines of the file at `ruta`, in order. CR, LF and CR LF each end one
// line; an empty line is kept as an empty entry; a last line without a line
// end counts too. No length limit. A file that cannot be opened gives an
// empty list.
std::vector<std::string> leerListaServidores(const std::string& ruta);

}  // namespace app
