// Error types of the data access layer.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace db {

// A failure reported by the database client. mensaje() is the client's own
// text (what operators see and what an event's error column stores);
// sentencia() is the statement that failed, for logs; what() joins both.
class ErrorBaseDatos : public std::runtime_error {
public:
    ErrorBaseDatos(std::string mensaje, std::string sentencia, std::vector<long> codigos = {});
    const std::string& mensaje() const { return mensaje_; }
    const std::string& sentencia() const { return sentencia_; }
    // Client error codes (isc_*), first one first.
    const std::vector<long>& codigos() const { return codigos_; }
    // The connection itself is gone (network failure, server shut down).
    bool conexionPerdida() const;

private:
    std::string mensaje_;
    std::string sentencia_;
    std::vector<long> codigos_;
};

// A value that cannot be converted to the requested type or column.
class ErrorConversion : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that should be an integer key and is not (see claveNumerica).
class ErrorClave : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The current operation was abandoned after its error was already reported
// (a row that could not be posted). Front ends show nothing for it.
class AbortoSilencioso : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace db
