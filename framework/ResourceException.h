#pragma once

#include <stdexcept>

// A window class, resource or GDI object the system could not provide.
class CResourceException : public std::runtime_error {
public:
    CResourceException() : std::runtime_error("a system resource could not be created") {}
};

[[noreturn]] inline void AfxThrowResourceException()
{
    throw CResourceException();
}
