#include "logger/ExceptionText.h"

#include <exception>

const char* caughtText() noexcept
{
    try
    {
        throw;
    }
    catch (const std::exception& exception)
    {
        return exception.what();
    }
    catch (...)
    {
        return "not a standard exception";
    }
}
