#pragma once
// The engine's error classes. Every error carries a message; what() returns it.
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char *what() const noexcept override { return message_.c_str(); }
    const std::string &Message() const noexcept { return message_; }

private:
    std::string message_;
};

// "List index out of bounds (%d)" and "List count out of bounds (%d)".
class EListError : public Exception {
public:
    using Exception::Exception;
};

// "Cannot open file ..." / "Cannot create file ...".
class EFileStreamError : public Exception {
public:
    using Exception::Exception;
};
class EFOpenError : public EFileStreamError {
public:
    using EFileStreamError::EFileStreamError;
};
class EFCreateError : public EFileStreamError {
public:
    using EFileStreamError::EFileStreamError;
};

// "Stream read error" / "Stream write error".
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
