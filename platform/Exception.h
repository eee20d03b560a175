#pragma once
// The error classes of the platform library. Every failure in the engines is
// raised as one of these; the front end shows the message as it stands.
#include <exception>
#include <string>
#include <utility>

namespace tal {

// The general exception class: a message text and nothing else.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const noexcept { return FMessage; }

private:
    std::string FMessage;
};

// Stream failures: reading past the end, seeking outside the data.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};

class EReadError : public EStreamError {
public:
    EReadError() : EStreamError("Stream read error") {}
    using EStreamError::EStreamError;
};

class EWriteError : public EStreamError {
public:
    EWriteError() : EStreamError("Stream write error") {}
    using EStreamError::EStreamError;
};

// A file that cannot be created or opened; the message names the file.
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A text that is not a number where a number was expected.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An object used as a class it is not (a metafile where a bitmap must be).
class EInvalidCast : public Exception {
public:
    EInvalidCast() : Exception("Invalid class typecast") {}
};

// A picture whose bytes cannot be decoded; the message names the picture kind.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// Out of a resource we cap on purpose (a raster too large to allocate).
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

}  // namespace tal
