#pragma once

#include <QString>
#include <exception>

// The application's default error display: a box captioned "Kaldrino" with
// the stop icon, one "OK" and the error's message, a full stop appended when
// the message is not empty and its last character's code is above '.'.
QString errorBoxText(const QString& message);
void ShowErrorMessage(const QString& message);
void ShowException(const std::exception& error);

// For errors found where a box cannot open at once (while painting): shows
// the error once control is back in an event loop.
void ShowExceptionLater(std::exception_ptr error);
