#pragma once
// The application's error handler: where errors go that must not end the operation that
// met them (an error in a filter handler, for one). A GUI shows them in a message box;
// the default writes the message to standard error.
#include <exception>
#include <functional>

using TApplicationExceptionHandler = std::function<void(const std::exception &)>;

// Installs a handler (an empty one restores the default); returns the previous one.
TApplicationExceptionHandler SetApplicationExceptionHandler(TApplicationExceptionHandler handler);
void ApplicationHandleException(const std::exception &error);
