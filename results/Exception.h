#pragma once

#include <exception>
#include <string>
#include <utility>

// The error type of the results layer; the window layer shows Message to the user.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : Message(std::move(message)) {}

    const char* what() const noexcept override { return Message.c_str(); }

    std::string Message;
};
