// Framework failures: exceptions that carry a CP932 message for the user.
#pragma once

#include <exception>
#include <string>

// Base of every failure the program reports in a message box. The message is a
// CP932 byte string; what() returns the same bytes.
class Exception : public std::exception {
public:
    explicit Exception(std::string Message) : FMessage(std::move(Message)) {}
    const std::string& Message() const { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// A list index outside its range, or another misuse of a list.
class EListError : public Exception {
public:
    using Exception::Exception;
};
class EStringListError : public EListError {
public:
    using EListError::EListError;
};
// Assigning one persistent object from another of a class it does not know.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};
// File streams: a file that cannot be created, opened, read or written.
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
// A settings or other file that cannot be written ("%s に書き込めません").
class EIniFileException : public Exception {
public:
    using Exception::Exception;
};
