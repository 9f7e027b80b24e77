#include "ApplicationError.h"

#include <cstdio>
#include <utility>

namespace {

TApplicationExceptionHandler &CurrentHandler()
{
    static TApplicationExceptionHandler handler;
    return handler;
}

} // namespace

TApplicationExceptionHandler SetApplicationExceptionHandler(TApplicationExceptionHandler handler)
{
    return std::exchange(CurrentHandler(), std::move(handler));
}

void ApplicationHandleException(const std::exception &error)
{
    if (CurrentHandler())
        CurrentHandler()(error);
    else
        std::fprintf(stderr, "%s\n", error.what());
}
